#include "render/d3d9/recording/recorder.h"
#include "render/d3d9/windowed_parameters.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace velmora::d3d9::recording {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class RecorderTest : public ::testing::Test {
protected:
    // A Direct3D object and a device, both made through Direct3DCreate9.
    void MakeDevice() {
        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS params = WindowedParameters(nullptr);
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_),
                  D3D_OK);
    }

    Recorder recorder_;
    ScopedDirect3DBackend backend_{recorder_.Factory()};
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
};

TEST_F(RecorderTest, LogsEveryCallWithItsArgumentsInOrder) {
    MakeDevice();
    recorder_.ClearCalls();
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0);
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device_->SetFVF(0x142);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 16129, 31750, 252);
    EXPECT_THAT(
        recorder_.CallLog(),
        ElementsAre(
            "device1 IDirect3DDevice9::SetRenderState(D3DRS_LIGHTING, 0) -> D3D_OK",
            "device1 IDirect3DDevice9::SetRenderState(D3DRS_ZENABLE, 1) -> D3D_OK",
            "device1 IDirect3DDevice9::Clear(0, null, D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER, "
            "0xFF0000FF, 1, 0) -> D3D_OK",
            "device1 IDirect3DDevice9::SetSamplerState(0, D3DSAMP_MAGFILTER, 2) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTextureStageState(0, D3DTSS_COLORARG2, 0) -> D3D_OK",
            "device1 IDirect3DDevice9::SetFVF(0x142) -> D3D_OK",
            "device1 IDirect3DDevice9::DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, 16129, "
            "31750, 252) -> D3D_OK"));
    device_->Release();
    d3d_->Release();
}

TEST_F(RecorderTest, KeepsTypedCopiesOfMatricesAndPresentParameters) {
    MakeDevice();
    const auto creations = recorder_.CallsNamed("IDirect3D9::CreateDevice");
    ASSERT_EQ(creations.size(), 1u);
    ASSERT_TRUE(creations[0].presentParameters.has_value());
    // The record holds the parameters as passed, before the back buffer size was filled in.
    EXPECT_EQ(creations[0].presentParameters->BackBufferWidth, 0u);
    EXPECT_EQ(creations[0].presentParameters->AutoDepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(creations[0].args[1], "D3DDEVTYPE_HAL");
    EXPECT_EQ(creations[0].args[3], "0x40");

    D3DMATRIX view{};
    view.m[3][2] = 0.1f;
    device_->SetTransform(D3DTS_VIEW, &view);
    const auto transforms = recorder_.CallsNamed("IDirect3DDevice9::SetTransform");
    ASSERT_EQ(transforms.size(), 1u);
    EXPECT_EQ(transforms[0].args[0], "D3DTS_VIEW");
    ASSERT_TRUE(transforms[0].matrix.has_value());
    EXPECT_EQ(transforms[0].matrix->m[3][2], 0.1f);
    device_->Release();
    d3d_->Release();
}

TEST_F(RecorderTest, WindowedZeroSizedBackBufferTakesTheClientSize) {
    recorder_.SetWindowClientSize(630, 620);
    IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params = WindowedParameters(nullptr);
    IDirect3DDevice9* device = nullptr;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                &params, &device),
              D3D_OK);
    EXPECT_EQ(params.BackBufferWidth, 630u);
    EXPECT_EQ(params.BackBufferHeight, 620u);
    device->Release();
    d3d->Release();
}

TEST_F(RecorderTest, InjectedFailuresReplaceTheCallAndHandOutNothing) {
    recorder_.FailCall("Direct3DCreate9", E_FAIL, 1);
    EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
    MakeDevice();

    recorder_.FailCall("IDirect3DDevice9::CreateVertexBuffer", D3DERR_OUTOFVIDEOMEMORY);
    IDirect3DVertexBuffer9* vb = nullptr;
    EXPECT_EQ(device_->CreateVertexBuffer(24, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(device_->CreateVertexBuffer(24, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr),
              D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(vb, nullptr);

    recorder_.FailCall("IDirect3DDevice9::BeginScene", D3DERR_DEVICELOST, 1);
    EXPECT_EQ(device_->BeginScene(), D3DERR_DEVICELOST);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3D_OK);

    recorder_.ClearFailures();
    ASSERT_EQ(device_->CreateVertexBuffer(24, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr), D3D_OK);
    recorder_.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    void* data = nullptr;
    EXPECT_EQ(vb->Lock(0, 24, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(vb->Lock(0, 24, &data, 0), D3D_OK);
    EXPECT_NE(data, nullptr);
    vb->Unlock();

    recorder_.FailCall("IDirect3D9::CreateDevice", D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS params = WindowedParameters(nullptr);
    IDirect3DDevice9* second = nullptr;
    EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0, &params, &second),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(second, nullptr);

    vb->Release();
    device_->Release();
    d3d_->Release();
    EXPECT_THAT(recorder_.LiveObjects(), IsEmpty());
    EXPECT_THAT(recorder_.Problems(), IsEmpty());
}

TEST_F(RecorderTest, BuffersHoldTheBytesWrittenUnderLock) {
    MakeDevice();
    IDirect3DIndexBuffer9* ib = nullptr;
    ASSERT_EQ(device_->CreateIndexBuffer(8, 0, D3DFMT_INDEX16, D3DPOOL_DEFAULT, &ib, nullptr),
              D3D_OK);
    void* data = nullptr;
    ASSERT_EQ(ib->Lock(0, 0, &data, 0), D3D_OK);  // size 0: the whole buffer
    const std::uint16_t indices[] = {127, 0, 128, 1};
    std::memcpy(data, indices, sizeof indices);
    EXPECT_EQ(ib->Unlock(), D3D_OK);
    ASSERT_EQ(ib->Lock(6, 2, &data, 0), D3D_OK);  // a part, at its offset
    const std::uint16_t last = 9;
    std::memcpy(data, &last, sizeof last);
    ib->Unlock();

    const RecordedObject* record = recorder_.Find(ib);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->id, "ib1");
    EXPECT_EQ(record->format, D3DFMT_INDEX16);
    std::vector<std::uint16_t> stored(4);
    std::memcpy(stored.data(), record->bytes.data(), 8);
    EXPECT_THAT(stored, ElementsAre(127, 0, 128, 9));

    // Past the end, or without an out pointer, nothing is locked.
    EXPECT_EQ(ib->Lock(6, 4, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(ib->Lock(9, 0, &data, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(ib->Lock(0, 8, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(ib->Unlock(), D3DERR_INVALIDCALL);
    EXPECT_THAT(recorder_.Problems(), ElementsAre("Unlock of ib1 without Lock"));
    ib->Release();
    device_->Release();
    d3d_->Release();
}

TEST_F(RecorderTest, TexturesHaveLevelsAndLockableRows) {
    MakeDevice();
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(
        device_->CreateTexture(8, 2, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
        D3D_OK);
    EXPECT_EQ(texture->GetLevelCount(), 4u);  // 8x2, 4x1, 2x1, 1x1
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(3, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(texture->GetLevelDesc(4, &desc), D3DERR_INVALIDCALL);

    D3DLOCKED_RECT locked{};
    const RECT secondRow{2, 1, 8, 2};
    ASSERT_EQ(texture->LockRect(0, &locked, &secondRow, 0), D3D_OK);
    EXPECT_EQ(locked.Pitch, 32);
    static_cast<std::uint8_t*>(locked.pBits)[0] = 0xAB;
    texture->UnlockRect(0);
    EXPECT_EQ(recorder_.Find(texture)->levels[0].bytes[32 + 2 * 4], 0xAB);

    IDirect3DTexture9* unsupported = nullptr;
    EXPECT_EQ(
        device_->CreateTexture(8, 8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &unsupported, nullptr),
        D3DERR_INVALIDCALL);  // more levels than the chain has
    EXPECT_EQ(
        device_->CreateTexture(8, 8, 1, 0, D3DFMT_D24X8, D3DPOOL_MANAGED, &unsupported, nullptr),
        D3DERR_INVALIDCALL);
    EXPECT_EQ(unsupported, nullptr);
    texture->Release();
    device_->Release();
    d3d_->Release();
}

TEST_F(RecorderTest, SceneNestingFollowsDirect3D) {
    MakeDevice();
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->BeginScene(), D3D_OK);
    EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->EndScene(), D3D_OK);
    EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device_->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    device_->Release();
    d3d_->Release();
}

TEST_F(RecorderTest, ResourcesKeepTheirDeviceAliveAndEveryReleaseIsCounted) {
    MakeDevice();
    IDirect3DVertexBuffer9* vb = nullptr;
    device_->CreateVertexBuffer(24, 0, 0x142, D3DPOOL_DEFAULT, &vb, nullptr);
    device_->SetStreamSource(0, vb, 0, 24);
    EXPECT_EQ(recorder_.CallsNamed("IDirect3DDevice9::SetStreamSource")[0].args[1], "vb1");

    EXPECT_EQ(d3d_->Release(), 1u);     // the device still holds the Direct3D object
    EXPECT_EQ(device_->Release(), 1u);  // the buffer still holds the device
    EXPECT_THAT(recorder_.LiveObjects(), ElementsAre("d3d1", "device1", "vb1"));
    EXPECT_EQ(vb->AddRef(), 2u);
    EXPECT_EQ(vb->Release(), 1u);
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_THAT(recorder_.LiveObjects(), IsEmpty());
    EXPECT_THAT(recorder_.Problems(), IsEmpty());

    // One Release too many, and a call on a freed object, are reported, not undefined.
    EXPECT_EQ(vb->Release(), 0u);
    EXPECT_EQ(device_->SetFVF(0x142), D3DERR_INVALIDCALL);
    EXPECT_THAT(recorder_.Problems(),
                ElementsAre("Release of freed vb1", "IDirect3DDevice9::SetFVF on freed device1"));
    const auto releases = recorder_.CallsNamed("IDirect3DVertexBuffer9::Release");
    ASSERT_EQ(releases.size(), 3u);
    EXPECT_EQ(releases[0].ToString(), "vb1 IDirect3DVertexBuffer9::Release() -> 1");
}

}  // namespace
}  // namespace velmora::d3d9::recording
