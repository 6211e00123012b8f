#pragma once
// velmora-world's window: a world chooser, the world's view, and a status bar with the world's
// state, the camera and the ground under the pointer. It finds the game's worlds, makes a
// world's model on a thread of its own while the window goes on, and follows the game's writes
// to the world's terrain folder.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "world/terrain_watch.h"
#include "world/world_camera.h"
#include "world/world_model.h"
#include "world_view/game_install.h"
#include "world_view/sector_reports.h"
#include "world_view/world_canvas.h"
#include "world_view/world_loader.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/timer.h>

namespace world_view {

class StatusFields;

class WorldFrame : public wxFrame {
public:
    // The window, its size and place as they were last time. `camera` is the first world's
    // first camera (default: its overview).
    WorldFrame(const wxGLAttributes& attributes, std::optional<world::Camera> camera);
    ~WorldFrame() override;

    // Finds the game and shows `requested` (any case, as listed or as its folder), else the world
    // shown last time, else the first.
    void Start(const std::string& requested);

private:
    enum Field { StateField, AnglesField, PositionField, GroundField, FieldCount };

    void OnChoice(wxCommandEvent& event);
    void OnCharHook(wxKeyEvent& event);
    void OnPoll(wxTimerEvent& event);

    void Load(const std::string& name);
    void FinishLoading();
    void CheckLoading();
    void ApplyChanges();
    void ShowModel(std::unique_ptr<world::WorldModel> model);
    // Puts a message where the view was (and in the state field).
    void ShowMessage(const wxString& message);
    void ShowView();
    void UpdateCamera();
    void UpdateState();
    // Takes the sectors reported unreadable since the last call, and says the first few on stderr.
    void TakeReports();
    // The state field's tooltip: every sector left out of the picture, and why.
    wxString LeftOutTip() const;
    void CopyCamera();
    // Shades the view so, shows it in the chooser and keeps it for the next run.
    void SetShading(world::Shading shading);
    void ToggleFullScreen();
    // Hides the hint of the controls, for good.
    void CloseHint();
    // Shows the hint where the row of controls has room for it beside them, until it is closed.
    void FitHint();

    std::filesystem::path TerrainOf(const std::string& name) const;

    GameInstall install_;
    std::vector<std::string> worlds_;
    std::optional<world::Camera> firstCamera_;

    // The world in the window: its name, its model (none while it has no terrain) and the watch
    // on its folder. The canvas draws the model, so it is told before the model goes.
    std::string shownName_;
    std::unique_ptr<world::WorldModel> model_;
    std::unique_ptr<world::TerrainWatch> watch_;
    std::shared_ptr<SectorReports> reports_;
    // The shown world's unreadable sectors, in the order found, and how many were named on
    // stderr.
    std::vector<SectorReport> unreadable_;
    std::size_t namedOnStderr_ = 0;

    std::string loadingName_;
    std::shared_ptr<SectorReports> loadingReports_;
    std::unique_ptr<WorldLoader> loader_;
    // Loaders of worlds chosen away from before they finished; dropped once they have.
    std::vector<std::unique_ptr<WorldLoader>> abandoned_;

    wxPanel* tools_ = nullptr;        // the row of controls, owned by the frame
    wxChoice* chooser_ = nullptr;     // owned by the row of controls
    wxChoice* shading_ = nullptr;     // owned by the row of controls
    wxButton* wholeWorld_ = nullptr;  // owned by the row of controls
    wxPanel* hint_ = nullptr;         // owned by the row of controls
    bool hintClosed_ = false;
    WorldCanvas* canvas_ = nullptr;    // owned by the frame
    wxPanel* messagePanel_ = nullptr;  // owned by the frame
    wxStaticText* message_ = nullptr;  // owned by the panel
    StatusFields* status_ = nullptr;   // owned by the frame
    wxString stateNote_;               // said in the state field beside the world's name
    wxTimer poll_;
};

}  // namespace world_view
