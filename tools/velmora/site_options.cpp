#include "site_options.h"

#include <filesystem>
#include <system_error>

#include "app/platform/wine/windows_path.h"
#include "command_failure.h"
#include "text/printable_name.h"
#include "world/summary_file.h"

namespace {

namespace fs = std::filesystem;

// Where the page's files lie: installed, or in the build tree.
fs::path PageFiles() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    for (const fs::path& candidate :
         {executable.parent_path() / VELMORA_WEB_INSTALLED, fs::path(VELMORA_WEB_STAGED)}) {
        std::error_code missing;
        if (fs::is_regular_file(candidate / "index.html", missing)) {
            return candidate.lexically_normal();
        }
    }
    throw CommandFailure(ExitFailure, "the web page's files are not installed beside velmora");
}

}  // namespace

web::SiteOptions SiteOptionsFor(const std::string& texture, bool force) {
    web::SiteOptions options;
    options.pageFiles = PageFiles();
    options.leaflet = VELMORA_LEAFLET;
    options.leafletLicence = VELMORA_LEAFLET_LICENCE;
    std::error_code error;
    if (!fs::is_regular_file(options.leaflet / "leaflet.js", error)) {
        throw CommandFailure(ExitFailure, "Leaflet is missing (" + options.leaflet.string() +
                                              "): install Debian's libjs-leaflet");
    }
    if (texture.empty()) {
        // As the viewer: .\terrain.image, in any case; none there, grey ground.
        const fs::path found = wine::ResolveWindowsPath(".\\terrain.image").hostPath;
        if (fs::exists(found, error)) {
            options.groundTexture = found;
        }
    } else if (!fs::is_regular_file(texture, error)) {
        throw CommandFailure(
            ExitFailure, "the texture " + text::PrintableName(texture) +
                             (fs::exists(texture, error) ? " is not a file" : " does not exist"));
    } else {
        options.groundTexture = texture;
    }
    options.summaryFolder = world::DefaultSummaryFolder();
    options.force = force;
    return options;
}
