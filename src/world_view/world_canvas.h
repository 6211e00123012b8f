#pragma once
// The window's view of the world: a wxGLCanvas with an OpenGL 4.5 core context (GLX) that draws
// the world model's frames through the world renderer, and flies the camera with the mouse and
// the keys. Frames are drawn when something changed: continuously only while the camera moves
// or while sectors the frame wants are still arriving; a frame never waits for the disk.

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "world/relief_shading.h"
#include "world/terrain_patch.h"
#include "world/world_camera.h"
#include "world/world_model.h"
#include "world_view/flight.h"
#include "world_view/frame_target.h"
#include "world_view/glide.h"
#include "world_view/world_places.h"

// wx after epoxy: its GL headers must come second.
#include <wx/glcanvas.h>
#include <wx/timer.h>

namespace world_view {

class WorldCanvas : public wxGLCanvas {
public:
    // Frames with at most this much error on screen, in pixels.
    static constexpr double MaxErrorPixels = 1.5;
    // The first frame of a world shown: coarse, so that it comes at once; each next frame halves
    // the bound until it is MaxErrorPixels, so that no frame meets all the ground's new patches
    // at once (a driver drawing in software takes long over its first frames of many triangles).
    static constexpr double FirstFrameErrorPixels = 8.0;

    WorldCanvas(wxWindow* parent, const wxGLAttributes& attributes);
    ~WorldCanvas() override;

    // Whether an OpenGL 4.5 core context could be made for the canvas.
    bool HasContext() const { return static_cast<bool>(context_); }

    // The world to show from now on, seen from `camera`; null: none. The model must outlive its
    // time here.
    void ShowWorld(world::WorldModel* model, const world::Camera& camera);
    // The model's data changed (a sector was written or removed).
    void WorldChanged();
    // The sectors found unreadable so far, which the status bar names where they would be.
    void SetUnreadable(const std::vector<std::string>& names);

    // Lets go of the GL objects, to be made again by the next frame: before the canvas hides.
    void ReleaseDrawing();

    // How the ground is shaded from now on (default: by height, as the viewer shades it).
    void SetShading(world::Shading shading);
    world::Shading Shading() const { return shading_; }

    const world::Camera& Camera() const { return camera_; }
    // Back to the overview of the whole world.
    void GoHome();

    // Told of every change of the camera, and of what lies under the pointer (the ground, a
    // hole, an unreadable sector or nothing of the world; empty outside the view).
    std::function<void()> cameraMoved;
    std::function<void(const std::string&)> groundChanged;
    // Told once when the frame target cannot be made (the driver lacks what the renderer needs).
    std::function<void(const std::string&)> drawingFailed;

private:
    using Clock = std::chrono::steady_clock;

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnButtonDown(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);
    void OnWheel(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnKeyDown(wxKeyEvent& event);
    void OnKeyUp(wxKeyEvent& event);
    void OnKillFocus(wxFocusEvent& event);
    void OnTimer(wxTimerEvent& event);

    wxSize PixelSize() const;
    wxPoint PixelPoint(const wxPoint& point) const;
    double HeightAboveGround() const;
    void Moved();
    Thrust HeldThrust() const;
    void UpdateGround();
    // What lies at a pixel of the last frame, in the status bar's words.
    std::string WordsAt(const wxPoint& pixel);
    // Starts, slows or stops the timer for what is going on.
    void Schedule();
    void LoadGroundTexture();

    std::unique_ptr<wxGLContext> context_;
    std::unique_ptr<FrameTarget> target_;
    bool targetFailed_ = false;
    world::WorldModel* model_ = nullptr;
    world::Shading shading_ = world::Shading::Height;
    world::Camera camera_;
    WorldPlaces places_;
    std::vector<std::string> unreadable_;
    std::vector<world::TerrainPatch> lastPatches_;
    world::Camera lastDrawn_;
    std::size_t missing_ = 0;
    double rampBound_ = 0.0;  // the next frame's bound while a world's first frames ramp up
    bool wholeDue_ = false;   // a ramping frame is on screen, the whole one not yet
    std::optional<wxPoint> anchor_;
    std::optional<wxPoint> pointer_;
    std::set<int> held_;
    std::optional<Glide> glide_;
    Clock::time_point glideStart_;
    Clock::time_point lastTick_;
    std::string groundText_;
    wxTimer timer_;

    wxDECLARE_EVENT_TABLE();
};

}  // namespace world_view
