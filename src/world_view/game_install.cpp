#include "world_view/game_install.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "app/platform/wine/registry_hive_file.h"
#include "app/platform/wine/windows_path.h"
#include "app/platform/wine/wine_prefix.h"

namespace world_view {

namespace {

constexpr const char* InstallRootKey = "SOFTWARE\\MolvaneStudios\\Quarlend";
// The viewer enumerates the key's values into buffers of these sizes; a value that does not fit
// ends its lookup, so it ends this one too.
constexpr std::size_t NameBufferChars = 512;
constexpr std::size_t DataBufferBytes = 512;

bool EqualFolded(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t k = 0; k < a.size(); ++k) {
        const auto fold = [](char c) {
            return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (fold(a[k]) != fold(b[k])) {
            return false;
        }
    }
    return true;
}

// The default value's text up to its first NUL, as the viewer's registry reader takes it.
std::optional<std::string> DefaultValue(const std::vector<wine::RegistryValue>& values) {
    for (const wine::RegistryValue& value : values) {
        if (value.data.size() > DataBufferBytes || value.name.size() >= NameBufferChars) {
            return std::nullopt;
        }
        if (EqualFolded(value.name, "")) {
            return std::string(value.data.c_str(), strnlen(value.data.data(), value.data.size()));
        }
    }
    return std::nullopt;
}

std::string Searched() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return std::string("the Wine prefix WINEPREFIX names (") + prefix + ")";
    }
    const std::size_t count = wine::CandidatePrefixes().size();
    return "~/.wine and the Steam Proton prefixes (" + std::to_string(count) +
           (count == 1 ? " prefix" : " prefixes") + " found)";
}

}  // namespace

std::filesystem::path GameInstall::Below(const std::string& relative) const {
    return wine::ResolveWindowsPath(root + "\\" + relative).hostPath;
}

GameInstall FindGameInstall() {
    GameInstall install;
    std::optional<std::string> root;
    wine::SelectPrefix([&](const std::filesystem::path& prefix) {
        const auto values = wine::ReadRegistryKey(prefix / "system.reg", InstallRootKey);
        if (!values) {
            return false;
        }
        root = DefaultValue(*values);
        return true;
    });
    if (!root) {
        install.problem = "No Quarlend install found: no system.reg in " + Searched() +
                          " holds HKEY_LOCAL_MACHINE\\" + InstallRootKey +
                          " with the game's folder. Set WINEPREFIX to the prefix the game runs in.";
        return install;
    }
    install.found = true;
    install.root = *root;
    return install;
}

}  // namespace world_view
