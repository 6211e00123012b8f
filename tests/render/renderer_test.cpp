#include <cstring>

#include "app/platform/mfc/message_box.h"
#include "camera/view_matrix.h"
#include "render/d3d9/d3dx9.h"
#include "render/recording_fixture.h"
#include "render/strip_constants.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;

namespace render_test {
namespace {

TEST_F(RecordingRendererTest, CreateRendererMakesDeviceStatesTextureAndBuiltGrid) {
    WriteGroundTexture();
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    ASSERT_TRUE(RendererDevice && RendererGrid && RendererTerrain);
    EXPECT_THAT(
        SystemCalls(),
        ElementsAre(
            "Direct3DCreate9(32) -> D3D_OK",
            "d3d1 IDirect3D9::CreateDevice(0, D3DDEVTYPE_HAL, null, 0x40, params, out) -> "
            "D3D_OK",
            "device1 IDirect3DDevice9::SetRenderState(D3DRS_LIGHTING, 0) -> D3D_OK",
            "device1 IDirect3DDevice9::SetRenderState(D3DRS_ZENABLE, 1) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTexture(0, texture1) -> D3D_OK",
            "device1 IDirect3DDevice9::SetSamplerState(0, D3DSAMP_MAGFILTER, 2) -> D3D_OK",
            "device1 IDirect3DDevice9::SetSamplerState(0, D3DSAMP_MINFILTER, 2) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTextureStageState(0, D3DTSS_COLOROP, 4) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTextureStageState(0, D3DTSS_COLORARG1, 2) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTextureStageState(0, D3DTSS_COLORARG2, 0) -> D3D_OK",
            "device1 IDirect3DDevice9::SetTextureStageState(0, D3DTSS_ALPHAOP, 1) -> D3D_OK",
            "device1 IDirect3DDevice9::CreateIndexBuffer(64008, 0x0, D3DFMT_INDEX16, "
            "D3DPOOL_DEFAULT, out, null) -> D3D_OK",
            "ib1 IDirect3DIndexBuffer9::Lock(0, 64008, out, 0x0) -> D3D_OK",
            "ib1 IDirect3DIndexBuffer9::Unlock() -> D3D_OK"));

    const auto creation = recorder.CallsNamed("IDirect3D9::CreateDevice").at(0);
    ASSERT_TRUE(creation.presentParameters.has_value());
    const D3DPRESENT_PARAMETERS& p = *creation.presentParameters;
    EXPECT_EQ(p.BackBufferWidth, 0u);
    EXPECT_EQ(p.BackBufferHeight, 0u);
    EXPECT_EQ(p.BackBufferFormat, D3DFMT_UNKNOWN);
    EXPECT_EQ(p.BackBufferCount, 1u);
    EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(p.MultiSampleQuality, 0u);
    EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(p.hDeviceWindow, ViewportWindow());
    EXPECT_EQ(p.Windowed, TRUE);
    EXPECT_EQ(p.EnableAutoDepthStencil, TRUE);
    EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24X8);
    EXPECT_EQ(p.Flags, 0u);
    EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_ONE);

    EXPECT_EQ(RendererDevice->window, ViewportWindow());
    EXPECT_NE(RendererDevice->groundTexture, nullptr);
    EXPECT_EQ(RendererTerrain->buffer, nullptr);
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());
}

TEST_F(RecordingRendererTest, MissingTextureSetsNoTextureStatesAndStillSucceeds) {
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    EXPECT_EQ(RendererDevice->groundTexture, nullptr);
    EXPECT_EQ(Count("IDirect3DDevice9::SetTexture"), 0u);
    EXPECT_EQ(Count("IDirect3DDevice9::SetSamplerState"), 0u);
    EXPECT_EQ(Count("IDirect3DDevice9::SetTextureStageState"), 0u);
    EXPECT_EQ(Count("IDirect3DDevice9::SetRenderState"), 2u);
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());
}

TEST_F(RecordingRendererTest, NoDirect3DFailsSilentlyAndLeavesOnlyTheDeviceObject) {
    recorder.FailCall("Direct3DCreate9", E_FAIL);
    EXPECT_FALSE(CreateRenderer(ViewportWindow()));
    ASSERT_TRUE(RendererDevice);
    EXPECT_EQ(RendererDevice->d3d, nullptr);
    EXPECT_EQ(RendererDevice->window, ViewportWindow());
    EXPECT_FALSE(RendererGrid);
    EXPECT_FALSE(RendererTerrain);
    EXPECT_THAT(ui.MessageBoxes(), IsEmpty());

    recorder.ClearCalls();
    RenderFrame();
    EXPECT_THAT(recorder.Calls(), IsEmpty());
}

TEST_F(RecordingRendererTest, DeviceCreationFailureIsReportedByName) {
    const std::pair<HRESULT, const char*> cases[] = {
        {D3DERR_NOTAVAILABLE, "D3DERR_NOTAVAILABLE"},
        {D3DERR_OUTOFVIDEOMEMORY, "D3DERR_OUTOFVIDEOMEMORY"},
        {D3DERR_INVALIDCALL, "D3DERR_INVALIDCALL"},
        {D3DERR_DEVICELOST, "D3DERR_DEVICELOST"},
        {E_FAIL, "UNKNOWN"},
    };
    for (const auto& [result, name] : cases) {
        recorder.ClearFailures();
        recorder.FailCall("IDirect3D9::CreateDevice", result);
        EXPECT_FALSE(CreateRenderer(ViewportWindow()));
        ASSERT_FALSE(ui.MessageBoxes().empty());
        EXPECT_EQ(ui.MessageBoxes().back().text,
                  std::string("Failed to Create 3D9Device. ") + name);
        EXPECT_EQ(ui.MessageBoxes().back().type, MB_OK);
        EXPECT_EQ(RendererDevice->device, nullptr);
        EXPECT_FALSE(RendererGrid);
        EXPECT_FALSE(RendererTerrain);
    }
    EXPECT_EQ(ui.MessageBoxes().size(), std::size(cases));
    EXPECT_EQ(Count("IDirect3DDevice9::SetRenderState"), 0u);

    recorder.ClearCalls();
    RenderFrame();  // a device object without a Direct3D device draws nothing
    EXPECT_THAT(recorder.Calls(), IsEmpty());
}

TEST_F(RecordingRendererTest, GridFailuresLeaveNoTerrainBufferAndFramesStayClear) {
    recorder.FailCall("IDirect3DDevice9::CreateIndexBuffer", D3DERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_FALSE(CreateRenderer(ViewportWindow()));
    ASSERT_TRUE(RendererGrid);
    EXPECT_EQ(RendererGrid->buffer, nullptr);
    EXPECT_FALSE(RendererTerrain);

    recorder.FailCall("IDirect3DIndexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    EXPECT_FALSE(CreateRenderer(ViewportWindow()));
    ASSERT_TRUE(RendererGrid);
    EXPECT_NE(RendererGrid->buffer, nullptr);  // created, held, unfilled
    EXPECT_FALSE(RendererTerrain);
    EXPECT_EQ(Count("IDirect3DIndexBuffer9::Unlock"), 0u);

    // A device without the terrain buffer presents the cleared frame.
    recorder.ClearCalls();
    RenderFrame();
    EXPECT_THAT(CallNames(),
                ElementsAre("IDirect3DDevice9::Clear", "IDirect3DDevice9::BeginScene",
                            "IDirect3DDevice9::SetTransform", "IDirect3DDevice9::SetTransform",
                            "IDirect3DDevice9::EndScene", "IDirect3DDevice9::Present"));
}

TEST_F(RecordingRendererTest, GridHoldsTheStripIndexList) {
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    const auto* grid = recorder.Find(RendererGrid->buffer);
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->bytes.size(), 64008u);
    std::vector<std::uint16_t> indices(32004);
    std::memcpy(indices.data(), grid->bytes.data(), grid->bytes.size());
    EXPECT_THAT(std::vector<std::uint16_t>(indices.begin(), indices.begin() + 6),
                ElementsAre(127, 0, 128, 1, 129, 2));
    EXPECT_EQ(indices[254], 254);
    EXPECT_EQ(indices[255], 127);
    EXPECT_EQ(indices[32002], 16128);
    EXPECT_EQ(indices[32003], 16001);
    EXPECT_EQ(*std::max_element(indices.begin(), indices.end()), 16128);
    // The last strip's 254 indices join vertex columns 126 and 125.
    for (std::size_t k = 0; k < 127; ++k) {
        ASSERT_EQ(indices[31750 + 2 * k], 127 * 126 + k);
        ASSERT_EQ(indices[31750 + 2 * k + 1], 127 * 125 + k);
    }
}

TEST_F(RecordingRendererTest, FrameWithoutMeshClearsAndPresentsWithoutDraws) {
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    recorder.ClearCalls();
    RenderFrame();
    EXPECT_THAT(CallNames(),
                ElementsAre("IDirect3DDevice9::Clear", "IDirect3DDevice9::BeginScene",
                            "IDirect3DDevice9::SetTransform", "IDirect3DDevice9::SetTransform",
                            "IDirect3DDevice9::SetFVF", "IDirect3DDevice9::EndScene",
                            "IDirect3DDevice9::Present"));
    EXPECT_EQ(recorder.Calls()[0].ToString(),
              "device1 IDirect3DDevice9::Clear(0, null, D3DCLEAR_TARGET|D3DCLEAR_ZBUFFER, "
              "0xFF0000FF, 1, 0) -> D3D_OK");
    EXPECT_EQ(recorder.Calls().back().ToString(),
              "device1 IDirect3DDevice9::Present(null, null, null, null) -> D3D_OK");
}

TEST_F(RecordingRendererTest, FrameBeginningFailureSkipsDrawingEndAndPresent) {
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    recorder.ClearCalls();
    recorder.FailCall("IDirect3DDevice9::BeginScene", D3DERR_INVALIDCALL, 1);
    RenderFrame();
    EXPECT_THAT(CallNames(),
                ElementsAre("IDirect3DDevice9::Clear", "IDirect3DDevice9::BeginScene"));
}

TEST_F(RecordingRendererTest, DestroyingTwiceReleasesEverythingOnce) {
    WriteGroundTexture();
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    DestroyRenderer();
    EXPECT_FALSE(RendererDevice || RendererGrid || RendererTerrain);
    EXPECT_THAT(recorder.LiveObjects(), IsEmpty());
    recorder.ClearCalls();
    DestroyRenderer();
    EXPECT_THAT(recorder.Calls(), IsEmpty());
    EXPECT_THAT(recorder.Problems(), IsEmpty());
    RenderFrame();
    EXPECT_THAT(recorder.Calls(), IsEmpty());
}

TEST_F(RecordingRendererTest, RecreatingReleasesTheOldObjectsFirst) {
    WriteGroundTexture();
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    recorder.ClearCalls();
    ASSERT_TRUE(CreateRenderer(ViewportWindow()));
    std::vector<std::string> releases;
    for (const RecordedCall& call : recorder.Calls()) {
        if (call.name == " Direct3DCreate9" || call.name == "Direct3DCreate9") {
            break;
        }
        releases.push_back(call.ToString());
    }
    EXPECT_THAT(releases, ElementsAre("ib1 IDirect3DIndexBuffer9::Release() -> 0",
                                      "texture1 IDirect3DTexture9::Release() -> 0",
                                      "device1 IDirect3DDevice9::Release() -> 0",
                                      "d3d1 IDirect3D9::Release() -> 0"));
    EXPECT_THAT(recorder.LiveObjects(), ElementsAre("d3d2", "device2", "texture2", "ib2"));
}

TEST(DescribeResultTest, NamesTheKnownResultsAndUnknownForTheRest) {
    EXPECT_EQ(DescribeResult(D3D_OK), "D3D_OK");
    EXPECT_EQ(DescribeResult(static_cast<HRESULT>(0x8876017Cu)), "D3DERR_OUTOFVIDEOMEMORY");
    EXPECT_EQ(DescribeResult(static_cast<HRESULT>(0x88760868u)), "D3DERR_DEVICELOST");
    EXPECT_EQ(DescribeResult(static_cast<HRESULT>(0x8876086Au)), "D3DERR_NOTAVAILABLE");
    EXPECT_EQ(DescribeResult(static_cast<HRESULT>(0x8876086Cu)), "D3DERR_INVALIDCALL");
    EXPECT_EQ(DescribeResult(static_cast<HRESULT>(0x88760869u)), "UNKNOWN");
    EXPECT_EQ(DescribeResult(1), "UNKNOWN");
}

}  // namespace
}  // namespace render_test
