#pragma once
// Which implementation Direct3DCreate9 hands out. The program selects one at start (the gl
// backend in the viewer and the command line, the recording backend in tests); until then
// Direct3DCreate9 returns null, which the system treats as Direct3D being unavailable.

#include <functional>

#include "render/d3d9/d3d9.h"

// Makes a new IDirect3D9 object with one reference owned by the caller, or null.
using Direct3DFactory = std::function<IDirect3D9*()>;

// Selects the factory for every later Direct3DCreate9 call; an empty factory selects none.
void UseDirect3DBackend(Direct3DFactory factory);

// Selects `factory` for the lifetime of this object and restores the previous one afterwards.
class ScopedDirect3DBackend {
public:
    explicit ScopedDirect3DBackend(Direct3DFactory factory);
    ~ScopedDirect3DBackend();
    ScopedDirect3DBackend(const ScopedDirect3DBackend&) = delete;
    ScopedDirect3DBackend& operator=(const ScopedDirect3DBackend&) = delete;

private:
    Direct3DFactory previous_;
};
