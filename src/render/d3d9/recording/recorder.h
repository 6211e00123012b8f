#pragma once
// The recording Direct3D 9 backend for tests: every call the system makes is logged with its
// arguments in order, any call can be made to fail with a chosen result, buffers and textures
// hold real bytes, and every object counts its references so that a test can see each one
// released exactly once.
//
//     Recorder recorder;
//     ScopedDirect3DBackend backend(recorder.Factory());
//     ... run the system ...
//     EXPECT_EQ(recorder.CallsNamed("IDirect3DDevice9::DrawIndexedPrimitive").size(), 126u);
//     EXPECT_TRUE(recorder.LiveObjects().empty());
//
// The recorder owns every object it hands out; it must outlive the system's use of them. An
// object whose last reference went is kept (marked freed) so that a further Release or call on
// it is reported in Problems() instead of touching freed memory.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/d3d9/d3d9.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/recording/recorded_objects.h"

namespace velmora::d3d9::recording {

struct RecorderState;

class Recorder {
public:
    Recorder();
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // The factory to select with UseDirect3DBackend / ScopedDirect3DBackend.
    Direct3DFactory Factory();

    // Makes the call `name` ("IDirect3DDevice9::CreateVertexBuffer", "IDirect3DVertexBuffer9::
    // Lock", "IDirect3DDevice9::BeginScene", "Direct3DCreate9" ...) fail with `result`, for the
    // next `times` calls (every call when times is negative). A failing creation hands out
    // no object; a failing Direct3DCreate9 returns null.
    void FailCall(std::string name, HRESULT result, int times = -1);
    void ClearFailures();

    // Client size that CreateDevice reports for a windowed back buffer of size 0.
    void SetWindowClientSize(UINT width, UINT height);

    const std::vector<RecordedCall>& Calls() const;
    std::vector<RecordedCall> CallsNamed(std::string_view name) const;
    // Every call as ToString() text, one element a call.
    std::vector<std::string> CallLog() const;
    void ClearCalls();

    // The record of an object made by this recorder (null for foreign or null pointers).
    const RecordedObject* Find(const IUnknown* object) const;
    const RecordedObject* Find(std::string_view id) const;
    // Ids of every object not yet freed.
    std::vector<std::string> LiveObjects() const;
    // Misuse seen: Release of a freed object, calls on freed objects, Unlock without Lock ...
    const std::vector<std::string>& Problems() const;

private:
    std::unique_ptr<RecorderState> state_;
};

}  // namespace velmora::d3d9::recording
