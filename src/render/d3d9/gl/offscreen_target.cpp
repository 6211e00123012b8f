#include "render/d3d9/gl/offscreen_target.h"

#include <stdexcept>

namespace velmora::d3d9::gl {

std::shared_ptr<OffscreenTarget> OffscreenTarget::Create(UINT width, UINT height) {
    if (width == 0 || height == 0) {
        return nullptr;
    }
    std::unique_ptr<::gl::HeadlessContext> context;
    try {
        context = std::make_unique<::gl::HeadlessContext>();
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    std::shared_ptr<OffscreenTarget> target(new OffscreenTarget(width, height, std::move(context)));
    win32::RegisterGlSurface(target->Window(), target);
    return target;
}

OffscreenTarget::OffscreenTarget(UINT width, UINT height,
                                 std::unique_ptr<::gl::HeadlessContext> context)
    : width_(width), height_(height), context_(std::move(context)) {}

OffscreenTarget::~OffscreenTarget() {
    win32::UnregisterGlSurface(Window());
}

HWND OffscreenTarget::Window() const {
    // The target's own address: unique among living targets and never a real window.
    return reinterpret_cast<HWND>(const_cast<OffscreenTarget*>(this));
}

bool OffscreenTarget::MakeCurrent() {
    return context_->MakeCurrent();
}

SIZE OffscreenTarget::ClientSizeInPixels() const {
    return SIZE{static_cast<LONG>(width_), static_cast<LONG>(height_)};
}

}  // namespace velmora::d3d9::gl
