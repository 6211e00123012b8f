#include "world_view/world_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "world/render/ground_image.h"
#include "world_view/camera_box.h"
#include "world_view/ground_height.h"
#include "world_view/ground_pick.h"
#include "world_view/ground_probe.h"
#include "world_view/readouts.h"
#include "world_view/view_cameras.h"

#include <wx/dcclient.h>

namespace world_view {

namespace {

constexpr int MovingInterval = 16;    // ms between frames while the camera moves
constexpr int ArrivingInterval = 33;  // ms between frames while sectors arrive
constexpr double GlideSeconds = 0.8;
// Ticks further apart than this (a busy machine) move as if they were this far apart.
constexpr double LongestTick = 0.1;

std::unique_ptr<wxGLContext> CoreContext(wxGLCanvas& canvas) {
    wxGLContextAttrs attributes;
    attributes.PlatformDefaults().CoreProfile().OGLVersion(4, 5).EndList();
    auto context = std::make_unique<wxGLContext>(&canvas, nullptr, &attributes);
    return context->IsOK() ? std::move(context) : nullptr;
}

// The viewer reads .\terrain.image; Wine finds it in any case.
std::filesystem::path GroundTextureFile() {
    std::error_code error;
    for (std::filesystem::directory_iterator it(".", error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (name == "terrain.image" && it->is_regular_file(error)) {
            return it->path();
        }
    }
    return {};
}

}  // namespace

// clang-format off
wxBEGIN_EVENT_TABLE(WorldCanvas, wxGLCanvas)
    EVT_PAINT(WorldCanvas::OnPaint)
    EVT_SIZE(WorldCanvas::OnSize)
    EVT_MOTION(WorldCanvas::OnMotion)
    EVT_LEFT_DOWN(WorldCanvas::OnButtonDown)
    EVT_RIGHT_DOWN(WorldCanvas::OnButtonDown)
    EVT_LEFT_DCLICK(WorldCanvas::OnDoubleClick)
    EVT_MOUSEWHEEL(WorldCanvas::OnWheel)
    EVT_LEAVE_WINDOW(WorldCanvas::OnLeave)
    EVT_KEY_DOWN(WorldCanvas::OnKeyDown)
    EVT_KEY_UP(WorldCanvas::OnKeyUp)
    EVT_KILL_FOCUS(WorldCanvas::OnKillFocus)
    EVT_TIMER(wxID_ANY, WorldCanvas::OnTimer)
wxEND_EVENT_TABLE()
    // clang-format on

    WorldCanvas::WorldCanvas(wxWindow* parent, const wxGLAttributes& attributes)
    : wxGLCanvas(parent, attributes, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
      context_(CoreContext(*this)),
      timer_(this) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
}

WorldCanvas::~WorldCanvas() {
    timer_.Stop();
    ReleaseDrawing();
    // Without a current context nothing may be deleted: the names go with the context.
    [[maybe_unused]] FrameTarget* left = target_.release();
}

void WorldCanvas::ReleaseDrawing() {
    // GL objects go while their context is current, which a hidden canvas cannot make it.
    if (target_ && context_ && IsShown() && SetCurrent(*context_)) {
        target_.reset();
    }
}

void WorldCanvas::ShowWorld(world::WorldModel* model, const world::Camera& camera) {
    model_ = model;
    camera_ = camera;
    unreadable_.clear();
    places_ = model != nullptr ? WorldPlaces::Of(*model, unreadable_) : WorldPlaces();
    rampBound_ = model != nullptr ? FirstFrameErrorPixels : 0.0;
    glide_.reset();
    lastPatches_.clear();
    groundText_.clear();
    if (groundChanged) {
        groundChanged({});
    }
    Moved();
}

void WorldCanvas::WorldChanged() {
    if (model_ != nullptr) {
        places_ = WorldPlaces::Of(*model_, unreadable_);
        // A world grown or shrunk keeps the camera within its reach.
        Moved();
    }
    Refresh(false);
}

void WorldCanvas::SetUnreadable(const std::vector<std::string>& names) {
    if (names == unreadable_) {
        return;
    }
    unreadable_ = names;
    if (model_ != nullptr) {
        places_ = WorldPlaces::Of(*model_, unreadable_);
    }
    UpdateGround();
}

void WorldCanvas::GoHome() {
    if (model_ == nullptr) {
        return;
    }
    glide_.reset();
    camera_ = world::OverviewCamera(model_->Extent());
    Moved();
}

wxSize WorldCanvas::PixelSize() const {
    const wxSize size = GetClientSize();
    const double scale = GetContentScaleFactor();
    return {static_cast<int>(std::lround(size.x * scale)),
            static_cast<int>(std::lround(size.y * scale))};
}

wxPoint WorldCanvas::PixelPoint(const wxPoint& point) const {
    const double scale = GetContentScaleFactor();
    return {static_cast<int>(std::floor(point.x * scale)),
            static_cast<int>(std::floor(point.y * scale))};
}

double WorldCanvas::HeightAboveGround() const {
    if (model_ == nullptr) {
        return camera_.z;
    }
    const std::optional<double> ground = GroundBelow(*model_, camera_.x, camera_.y);
    return camera_.z - ground.value_or(model_->Extent().minZ);
}

void WorldCanvas::Moved() {
    if (model_ != nullptr) {
        KeepInBox(camera_, model_->Extent());
        KeepAboveGround(camera_, GroundBelow(*model_, camera_.x, camera_.y));
    }
    Refresh(false);
    if (cameraMoved) {
        cameraMoved();
    }
}

void WorldCanvas::SetShading(world::Shading shading) {
    shading_ = shading;
    if (target_) {
        target_->Renderer().SetShading(shading);
    }
    Refresh(false);
}

void WorldCanvas::LoadGroundTexture() {
    const std::filesystem::path file = GroundTextureFile();
    if (file.empty()) {
        return;  // grey terrain, as the viewer without its texture
    }
    try {
        target_->Renderer().SetGroundTexture(world::render::ReadGroundImage(file));
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "velmora-world: the texture %s is not used, the terrain is grey: %s\n",
                     file.c_str(), error.what());
    }
}

void WorldCanvas::OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    const wxSize size = PixelSize();
    if (!context_ || targetFailed_ || size.x <= 0 || size.y <= 0 || !IsShownOnScreen() ||
        !SetCurrent(*context_)) {
        return;
    }
    if (!target_) {
        try {
            target_ = std::make_unique<FrameTarget>();
        } catch (const std::runtime_error& error) {
            targetFailed_ = true;
            if (drawingFailed) {
                drawingFailed(error.what());
            }
            return;
        }
        LoadGroundTexture();
        target_->Renderer().SetShading(shading_);
        target_->Prepare(size.x, size.y);
    }
    if (model_ != nullptr) {
        // Where the camera will be in a second, asked before the frame's selection: the ground
        // probe selects too, and the frame's wishes must be the last the model hears.
        const Thrust thrust = HeldThrust();
        std::optional<world::Camera> ahead;
        if (thrust.Any()) {
            ahead = camera_;
            Fly(*ahead, thrust, 1.0, HeightAboveGround(), TopSpeed(model_->Extent()));
        }
        wholeDue_ = rampBound_ > MaxErrorPixels;
        world::FrameSelection frame =
            model_->Select(camera_, size.x, size.y, wholeDue_ ? rampBound_ : MaxErrorPixels);
        rampBound_ /= 2.0;
        target_->Draw(frame, camera_, model_->Range(), size.x, size.y);
        missing_ = frame.missingSectors;
        lastPatches_ = std::move(frame.patches);
        if (ahead) {
            // The sectors a second ahead load after those of this frame.
            model_->Prefetch(*ahead, size.x, size.y, MaxErrorPixels);
        }
    } else {
        target_->DrawEmpty(size.x, size.y);
        missing_ = 0;
        wholeDue_ = false;
        lastPatches_.clear();
    }
    lastDrawn_ = camera_;
    SwapBuffers();
    UpdateGround();
    Schedule();
}

void WorldCanvas::UpdateGround() {
    std::string text;
    if (model_ != nullptr && target_ && pointer_ && context_ && IsShownOnScreen() &&
        SetCurrent(*context_)) {
        const wxPoint at = PixelPoint(*pointer_);
        const wxSize size = PixelSize();
        if (at.x >= 0 && at.y >= 0 && at.x < size.x && at.y < size.y) {
            text = WordsAt(at);
        }
    }
    if (text != groundText_) {
        groundText_ = text;
        if (groundChanged) {
            groundChanged(text);
        }
    }
}

std::string WorldCanvas::WordsAt(const wxPoint& pixel) {
    const wxSize size = PixelSize();
    const std::optional<float> depth = target_->DepthAt(pixel.x, pixel.y);
    const auto point =
        depth ? PickedPoint(lastDrawn_, size.x, size.y, pixel.x, pixel.y, *depth) : std::nullopt;
    if (point) {
        const std::optional<GroundPoint> ground = GroundAt(lastPatches_, (*point)[0], (*point)[1]);
        if (ground) {
            return GroundText((*point)[0], (*point)[1], ground->nearest, ground->height);
        }
        // A hole's skirt, hung from its neighbours' edges.
        return places_.WordsAt((*point)[0], (*point)[1]);
    }
    // Nothing drawn there: the ray through the pixel, one unit of view depth along.
    const auto along = PickedPoint(lastDrawn_, size.x, size.y, pixel.x, pixel.y, 1.0f);
    if (!along) {
        return {};
    }
    return places_.WordsAlong(lastDrawn_, {(*along)[0] - lastDrawn_.x, (*along)[1] - lastDrawn_.y,
                                           (*along)[2] - lastDrawn_.z});
}

void WorldCanvas::OnSize(wxSizeEvent& event) {
    Refresh(false);
    event.Skip();
}

void WorldCanvas::OnButtonDown(wxMouseEvent& event) {
    SetFocus();
    anchor_.reset();
    event.Skip();
}

void WorldCanvas::OnMotion(wxMouseEvent& event) {
    pointer_ = event.GetPosition();
    const bool turning = event.LeftIsDown();
    const bool sliding = !turning && event.RightIsDown();
    if (!turning && !sliding) {
        anchor_.reset();
        UpdateGround();
        return;
    }
    if (!anchor_) {
        // The first move of a drag only anchors it, as in the viewer.
        anchor_ = pointer_;
        return;
    }
    const wxPoint delta = *pointer_ - *anchor_;
    anchor_ = pointer_;
    glide_.reset();
    if (turning) {
        Turn(camera_, delta.x, delta.y);
    } else {
        Slide(camera_, delta.x, delta.y, PaceScale(HeightAboveGround()));
    }
    Moved();
}

void WorldCanvas::OnDoubleClick(wxMouseEvent& event) {
    if (model_ == nullptr || !target_ || !context_ || !IsShownOnScreen() ||
        !SetCurrent(*context_)) {
        return;
    }
    const wxPoint at = PixelPoint(event.GetPosition());
    const wxSize size = PixelSize();
    const std::optional<float> depth = target_->DepthAt(at.x, at.y);
    const auto point =
        depth ? PickedPoint(lastDrawn_, size.x, size.y, at.x, at.y, *depth) : std::nullopt;
    if (!point) {
        return;  // the sky
    }
    glide_.emplace(camera_, LookingAt(camera_, (*point)[0], (*point)[1], (*point)[2]),
                   GlideSeconds);
    glideStart_ = Clock::now();
    lastTick_ = glideStart_;
    Schedule();
}

void WorldCanvas::OnWheel(wxMouseEvent& event) {
    if (event.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL) {
        return;
    }
    glide_.reset();
    world_view::Lower(camera_, event.GetWheelRotation(), PaceScale(HeightAboveGround()));
    Moved();
}

void WorldCanvas::OnLeave(wxMouseEvent& event) {
    pointer_.reset();
    UpdateGround();
    event.Skip();
}

Thrust WorldCanvas::HeldThrust() const {
    const auto held = [this](std::initializer_list<int> keys) {
        return std::any_of(keys.begin(), keys.end(), [this](int key) { return held_.count(key); })
                   ? 1
                   : 0;
    };
    Thrust thrust;
    thrust.forward = held({'W', WXK_UP, WXK_NUMPAD_UP}) - held({'S', WXK_DOWN, WXK_NUMPAD_DOWN});
    thrust.right =
        held({'D', WXK_RIGHT, WXK_NUMPAD_RIGHT}) - held({'A', WXK_LEFT, WXK_NUMPAD_LEFT});
    thrust.up =
        held({'E', WXK_PAGEUP, WXK_NUMPAD_PAGEUP}) - held({'Q', WXK_PAGEDOWN, WXK_NUMPAD_PAGEDOWN});
    thrust.fast = held_.count(WXK_SHIFT) > 0;
    return thrust;
}

void WorldCanvas::OnKeyDown(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    static const std::set<int> flying{'W',
                                      'S',
                                      'A',
                                      'D',
                                      'Q',
                                      'E',
                                      WXK_UP,
                                      WXK_DOWN,
                                      WXK_LEFT,
                                      WXK_RIGHT,
                                      WXK_PAGEUP,
                                      WXK_PAGEDOWN,
                                      WXK_NUMPAD_UP,
                                      WXK_NUMPAD_DOWN,
                                      WXK_NUMPAD_LEFT,
                                      WXK_NUMPAD_RIGHT,
                                      WXK_NUMPAD_PAGEUP,
                                      WXK_NUMPAD_PAGEDOWN,
                                      WXK_SHIFT};
    if (flying.count(key) == 0 || event.ControlDown() || event.AltDown()) {
        event.Skip();
        return;
    }
    // Held keys move the camera by the time they are held, not by the keyboard's repeat.
    if (held_.insert(key).second && key != WXK_SHIFT) {
        glide_.reset();
        lastTick_ = Clock::now();
        Schedule();
    }
}

void WorldCanvas::OnKeyUp(wxKeyEvent& event) {
    held_.erase(event.GetKeyCode());
    event.Skip();
}

void WorldCanvas::OnKillFocus(wxFocusEvent& event) {
    // Key releases elsewhere never reach the canvas.
    held_.clear();
    event.Skip();
}

void WorldCanvas::OnTimer(wxTimerEvent&) {
    const Clock::time_point now = Clock::now();
    const double seconds =
        std::clamp(std::chrono::duration<double>(now - lastTick_).count(), 0.0, LongestTick);
    lastTick_ = now;
    const Thrust thrust = HeldThrust();
    if (model_ != nullptr && thrust.Any()) {
        Fly(camera_, thrust, seconds, HeightAboveGround(), TopSpeed(model_->Extent()));
        Moved();
    } else if (glide_) {
        const double elapsed = std::chrono::duration<double>(now - glideStart_).count();
        camera_ = glide_->At(elapsed);
        if (glide_->Over(elapsed)) {
            glide_.reset();
        }
        Moved();
    } else {
        Refresh(false);  // sectors arriving
    }
    timer_.Stop();  // the frame's paint schedules the next tick
}

void WorldCanvas::Schedule() {
    const bool moving = model_ != nullptr && (HeldThrust().Any() || glide_.has_value());
    const int interval =
        wholeDue_ ? 1 : (moving ? MovingInterval : (missing_ > 0 ? ArrivingInterval : 0));
    if (interval == 0) {
        timer_.Stop();
    } else if (!timer_.IsRunning()) {
        timer_.StartOnce(interval);
    }
}

}  // namespace world_view
