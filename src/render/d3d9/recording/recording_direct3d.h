#pragma once
// The recording IDirect3D9: CreateDevice hands out recording devices.

#include "render/d3d9/recording/recorder_internals.h"

namespace velmora::d3d9::recording {

// A new recording IDirect3D9 with one reference, owned by `internals`.
IDirect3D9* MakeRecordingDirect3D(Recorder::Internals& internals);

}  // namespace velmora::d3d9::recording
