#include "app/platform/wine/wine_prefix.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <system_error>

namespace wine {

namespace fs = std::filesystem;

namespace {

struct Selection {
    std::mutex mutex;
    std::optional<fs::path> chosen;
};

Selection& State() {
    static Selection selection;
    return selection;
}

// $WINEPREFIX as Wine takes it: absolute only, trailing slashes stripped. Empty when unset or
// unusable.
std::optional<fs::path> PrefixFromEnvironment() {
    const char* value = std::getenv("WINEPREFIX");
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    std::string text(value);
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return fs::path(text);
}

fs::path HomeDirectory() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return fs::path(home);
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return fs::path(entry->pw_dir);
    }
    return fs::path("/");
}

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

// The Proton prefixes below one Steam root, in a stable order (by app id text).
void AppendProtonPrefixes(const fs::path& steamRoot, std::vector<fs::path>& out) {
    const fs::path compatData = steamRoot / "steamapps" / "compatdata";
    std::error_code error;
    fs::directory_iterator entries(compatData, error);
    if (error) {
        return;
    }
    std::vector<fs::path> found;
    for (const fs::directory_entry& entry : entries) {
        const fs::path prefix = entry.path() / "pfx";
        if (IsDirectory(prefix)) {
            found.push_back(prefix);
        }
    }
    std::sort(found.begin(), found.end());
    for (fs::path& prefix : found) {
        // ~/.steam/steam is often a link to one of the other roots: list each prefix once.
        std::error_code canonicalError;
        const fs::path canonical = fs::weakly_canonical(prefix, canonicalError);
        const bool seen = std::any_of(out.begin(), out.end(), [&](const fs::path& known) {
            std::error_code knownError;
            return fs::weakly_canonical(known, knownError) == canonical;
        });
        if (!seen) {
            out.push_back(std::move(prefix));
        }
    }
}

}  // namespace

std::vector<fs::path> CandidatePrefixes() {
    if (std::optional<fs::path> fromEnvironment = PrefixFromEnvironment()) {
        if (!fromEnvironment->is_absolute()) {
            return {};  // Wine refuses a relative WINEPREFIX
        }
        return {*fromEnvironment};
    }
    const fs::path home = HomeDirectory();
    std::vector<fs::path> candidates;
    if (IsDirectory(home / ".wine")) {
        candidates.push_back(home / ".wine");
    }
    for (const fs::path& steamRoot :
         {home / ".steam" / "steam", home / ".local" / "share" / "Steam",
          home / ".var" / "app" / "com.valvesoftware.Steam" / ".local" / "share" / "Steam",
          home / "snap" / "steam" / "common" / ".local" / "share" / "Steam"}) {
        AppendProtonPrefixes(steamRoot, candidates);
    }
    return candidates;
}

std::optional<fs::path> SelectPrefix(const std::function<bool(const fs::path&)>& holds) {
    for (const fs::path& candidate : CandidatePrefixes()) {
        if (holds(candidate)) {
            Selection& state = State();
            std::lock_guard lock(state.mutex);
            if (!state.chosen) {
                state.chosen = candidate;
            }
            return candidate;
        }
    }
    return std::nullopt;
}

fs::path DrivePrefix() {
    {
        Selection& state = State();
        std::lock_guard lock(state.mutex);
        if (state.chosen) {
            return *state.chosen;
        }
    }
    std::vector<fs::path> candidates = CandidatePrefixes();
    if (!candidates.empty()) {
        return candidates.front();
    }
    if (std::optional<fs::path> fromEnvironment = PrefixFromEnvironment();
        fromEnvironment && fromEnvironment->is_absolute()) {
        return *fromEnvironment;
    }
    return HomeDirectory() / ".wine";
}

void ResetPrefixSelection() {
    Selection& state = State();
    std::lock_guard lock(state.mutex);
    state.chosen.reset();
}

}  // namespace wine
