#include "render/d3d9/direct3d_backend.h"

#include <utility>

namespace {

// Only the user-interface thread creates Direct3D objects, so no lock guards the selection.
Direct3DFactory& SelectedFactory() {
    static Direct3DFactory factory;
    return factory;
}

}  // namespace

void UseDirect3DBackend(Direct3DFactory factory) {
    SelectedFactory() = std::move(factory);
}

ScopedDirect3DBackend::ScopedDirect3DBackend(Direct3DFactory factory)
    : previous_(std::exchange(SelectedFactory(), std::move(factory))) {}

ScopedDirect3DBackend::~ScopedDirect3DBackend() {
    SelectedFactory() = std::move(previous_);
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
    if (SDKVersion != D3D_SDK_VERSION || !SelectedFactory()) {
        return nullptr;
    }
    return SelectedFactory()();
}
