#include "world_view/world_app.h"

#include <cstdio>
#include <memory>

#include "world_view/world_frame.h"

#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/glcanvas.h>
#include <wx/log.h>
#include <wx/stdpaths.h>

namespace world_view {

WorldApp::WorldApp(CommandLine commandLine) : commandLine_(std::move(commandLine)) {
    SetAppName("velmora-world");
    // wxGTK makes the window class of the display name.
    SetAppDisplayName(WindowClass);
    SetClassName(WindowClass);
}

bool WorldApp::OnInit() {
    // wx's messages and failed checks go to stderr, one line each, never into a dialog.
    std::unique_ptr<wxLog>(wxLog::SetActiveTarget(new wxLogStderr()));
    wxSetAssertHandler([](const wxString& file, int line, const wxString&, const wxString& cond,
                          const wxString& message) {
        std::fprintf(stderr, "velmora-world: %s:%d: %s %s\n", file.utf8_str().data(), line,
                     cond.utf8_str().data(), message.utf8_str().data());
    });
    // Settings in $XDG_CONFIG_HOME (~/.config) as velmora-world.conf, not a dot file in home.
    wxStandardPaths::Get().SetFileLayout(wxStandardPaths::FileLayout_XDG);
    wxFileName::Mkdir(wxStandardPaths::Get().GetUserConfigDir(), wxS_DIR_DEFAULT,
                      wxPATH_MKDIR_FULL);
    wxConfigBase::Set(new wxFileConfig(GetAppName(), wxString(), wxString(), wxString(),
                                       wxCONFIG_USE_LOCAL_FILE));

    wxGLAttributes attributes;
    attributes.PlatformDefaults().RGBA().DoubleBuffer().Depth(24).EndList();
    auto* frame = new WorldFrame(attributes, commandLine_.camera);
    frame->Show();
    frame->Start(commandLine_.world);
    return true;
}

int WorldApp::OnExit() {
    // Written out while wx's messages still go to stderr.
    std::unique_ptr<wxConfigBase>(wxConfigBase::Set(nullptr));
    return wxApp::OnExit();
}

}  // namespace world_view
