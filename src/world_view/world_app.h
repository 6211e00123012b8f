#pragma once
// velmora-world's application object: its names (the window class is "VelmoraWorld"), where
// its settings live, and its one window.

#include "world_view/command_line.h"

#include <wx/app.h>

namespace world_view {

class WorldApp : public wxApp {
public:
    explicit WorldApp(CommandLine commandLine);

    bool OnInit() override;
    int OnExit() override;

private:
    CommandLine commandLine_;
};

// The window class, as the desktop entry's StartupWMClass names it.
inline constexpr const char* WindowClass = "VelmoraWorld";

}  // namespace world_view
