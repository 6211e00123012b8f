// velmora-world: the whole world of the game's cache in 3D, in a window of its own.

#include <csignal>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "world_view/command_line.h"
#include "world_view/display_check.h"
#include "world_view/world_app.h"

#include <wx/init.h>

namespace {

constexpr const char* Version = "velmora-world 0.1";

}  // namespace

int main(int argc, char** argv) {
    world_view::CommandLine commandLine;
    try {
        commandLine = world_view::ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& error) {
        std::fprintf(stderr, "velmora-world: %s\n%s", error.what(), world_view::Usage);
        return 64;
    }
    if (commandLine.help) {
        std::fputs(world_view::Usage, stdout);
        return 0;
    }
    if (commandLine.version) {
        std::printf("%s\n", Version);
        return 0;
    }
    // Past a file-size limit (ulimit -f) the summary cache's write fails with EFBIG and is left
    // out, rather than the window dying.
    std::signal(SIGXFSZ, SIG_IGN);
    const world_view::DisplayCheck display;
    if (!display.Problem().empty()) {
        std::fprintf(stderr, "velmora-world: %s\n", display.Problem().c_str());
        return 1;
    }
    // wx takes the application object over and deletes it when it ends. It sees no arguments:
    // they are ours, read above.
    wxApp::SetInstance(new world_view::WorldApp(commandLine));
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "velmora-world: cannot start the window system on the display\n");
        return 1;
    }
    int status = 1;
    if (wxTheApp->CallOnInit()) {
        status = wxTheApp->OnRun();
        wxTheApp->OnExit();
    }
    wxEntryCleanup();
    return status;
}
