#pragma once
// A stand-in window without a display server: an EGL pbuffer whose default framebuffer plays
// the window's client area, so that Present's blit into a window can be checked headless.
// The reported client size can be changed after device creation (a resized window); the
// pbuffer keeps its size and its lower-left part (GL's origin) plays the client area.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/platform/win32/gl_surface.h"

namespace velmora::d3d9::gl {

class PbufferWindowTarget final : public win32::GlSurface {
public:
    // Null when EGL cannot give a pbuffer with a 4.5 core context.
    static std::shared_ptr<PbufferWindowTarget> Create(UINT width, UINT height);

    ~PbufferWindowTarget() override;
    PbufferWindowTarget(const PbufferWindowTarget&) = delete;
    PbufferWindowTarget& operator=(const PbufferWindowTarget&) = delete;

    HWND Window() const;
    // At most the pbuffer's size.
    void SetClientSize(UINT width, UINT height);

    // The client area as the window shows it: RGBA, width * 4 bytes a row, top row first.
    std::vector<std::uint8_t> ReadClientPixels();
    int swapCount() const { return swapCount_; }
    int swapInterval() const { return swapInterval_; }

    bool MakeCurrent() override;
    SIZE ClientSizeInPixels() const override;
    void SwapBuffers() override { ++swapCount_; }
    bool SetSwapInterval(int interval) override;

private:
    struct Egl;
    PbufferWindowTarget(UINT width, UINT height, std::unique_ptr<Egl> egl);

    UINT width_;
    UINT height_;
    UINT clientWidth_;
    UINT clientHeight_;
    std::unique_ptr<Egl> egl_;
    int swapCount_ = 0;
    int swapInterval_ = -1;  // never asked
};

}  // namespace velmora::d3d9::gl
