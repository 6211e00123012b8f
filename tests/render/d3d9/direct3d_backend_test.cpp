#include "render/d3d9/direct3d_backend.h"

#include <gtest/gtest.h>

namespace {

// A minimal IDirect3D9 that counts how often the factory made one.
class CountingDirect3D final : public IDirect3D9 {
public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }
    HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                         IDirect3DDevice9**) override {
        return D3DERR_NOTAVAILABLE;
    }

private:
    ULONG refs_ = 1;
};

TEST(Direct3DBackendTest, CreateReturnsNullWithoutABackendOrWithAnotherSdkVersion) {
    UseDirect3DBackend(nullptr);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);

    int made = 0;
    ScopedDirect3DBackend scope([&made]() -> IDirect3D9* {
        ++made;
        return new CountingDirect3D;
    });
    EXPECT_EQ(Direct3DCreate9(31), nullptr);
    EXPECT_EQ(made, 0);

    IDirect3D9* d3d = Direct3DCreate9(32);
    ASSERT_NE(d3d, nullptr);
    EXPECT_EQ(made, 1);
    EXPECT_EQ(d3d->Release(), 0u);
}

TEST(Direct3DBackendTest, ScopedSelectionRestoresThePreviousBackend) {
    UseDirect3DBackend(nullptr);
    {
        ScopedDirect3DBackend outer([] { return static_cast<IDirect3D9*>(new CountingDirect3D); });
        {
            ScopedDirect3DBackend inner(nullptr);
            EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
        }
        IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        d3d->Release();
    }
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

}  // namespace
