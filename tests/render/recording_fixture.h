#pragma once
// Runs the renderer on the recording Direct3D backend and the headless window system, in a
// temporary Wine prefix whose C: drive holds the test's heightmap files, with the current
// directory holding (or not) the ground texture.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/platform/headless/headless_window_system.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/recording/recorder.h"
#include "render/renderer.h"
#include "support/temporary_prefix.h"

namespace render_test {

using velmora::d3d9::recording::RecordedCall;
using velmora::d3d9::recording::Recorder;

// A handle that stands for the viewport window; the recording backend never looks into it.
inline HWND ViewportWindow() {
    return reinterpret_cast<HWND>(std::uintptr_t{0x1000});
}

// A 2 x 2 binary PPM: enough for the texture loader to make a texture.
inline std::string TinyPpm() {
    return std::string("P6\n2 2\n255\n") + std::string(12, '\x80');
}

class RecordingRendererTest : public testing::Test {
protected:
    RecordingRendererTest() : ui(headless::UseHeadlessWindowSystem()), cwd(prefix.driveC()) {}

    ~RecordingRendererTest() override { DestroyRenderer(); }

    void WriteGroundTexture() { WriteFile(prefix.driveC() / "terrain.image", TinyPpm()); }

    // The calls made so far, without those the texture loader makes to fill the texture.
    std::vector<std::string> SystemCalls() const {
        std::vector<std::string> calls;
        for (const RecordedCall& call : recorder.Calls()) {
            if (call.name.rfind("IDirect3DTexture9::", 0) == 0 ||
                call.name == "IDirect3DDevice9::CreateTexture") {
                continue;
            }
            calls.push_back(call.ToString());
        }
        return calls;
    }

    std::vector<std::string> CallNames() const {
        std::vector<std::string> names;
        for (const RecordedCall& call : recorder.Calls()) {
            names.push_back(call.name);
        }
        return names;
    }

    std::size_t Count(const std::string& name) const { return recorder.CallsNamed(name).size(); }

    Recorder recorder;
    ScopedDirect3DBackend backend{recorder.Factory()};
    headless::HeadlessWindowSystem& ui;
    TemporaryPrefix prefix;
    ScopedCurrentDirectory cwd;
};

}  // namespace render_test
