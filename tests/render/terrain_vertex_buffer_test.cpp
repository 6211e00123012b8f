#include <cstring>

#include "camera/view_matrix.h"
#include "render/d3d9/d3dx9.h"
#include "render/recording_fixture.h"
#include "render/strip_constants.h"
#include "terrain/terrain_mesh.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace render_test {
namespace {

// A heightmap file whose sample (r, c) is 100 + r + c.
std::string HeightmapBytes(std::size_t length = 24 + 2 * 127 * 127) {
    std::string bytes(24, 'H');
    for (int r = 0; r < 127; ++r) {
        for (int c = 0; c < 127; ++c) {
            const int sample = 100 + r + c;
            bytes.push_back(static_cast<char>(sample & 0xFF));
            bytes.push_back(static_cast<char>(sample >> 8));
        }
    }
    bytes.resize(length, '\0');
    return bytes;
}

class TerrainBufferTest : public RecordingRendererTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateRenderer(ViewportWindow()));
        WriteFile(prefix.driveC() / "sector" / "heightmap_1_2.zdt", HeightmapBytes());
        recorder.ClearCalls();
    }

    bool Load(const char* path = "C:\\sector\\heightmap_1_2.zdt") {
        return RendererTerrain->LoadHeightmap(path);
    }

    void ExpectFields(UINT vertexCount, UINT stride, UINT byteSize) {
        EXPECT_EQ(RendererTerrain->vertexCount, vertexCount);
        EXPECT_EQ(RendererTerrain->stride, stride);
        EXPECT_EQ(RendererTerrain->byteSize, byteSize);
    }
};

TEST_F(TerrainBufferTest, FreshBufferIsEmptyWithTheTerrainFormat) {
    EXPECT_EQ(RendererTerrain->buffer, nullptr);
    ExpectFields(0, 1, 0);
    EXPECT_EQ(RendererTerrain->fvf, 0x142u);
    EXPECT_EQ(RendererTerrain->StrideFor(0x142), 24u);
    EXPECT_EQ(RendererTerrain->StrideFor(0x102), 0u);
    EXPECT_EQ(RendererTerrain->StrideFor(0), 0u);
}

TEST_F(TerrainBufferTest, LoadFillsADeviceBufferWithTheMesh) {
    ASSERT_TRUE(Load());
    ExpectFields(16129, 24, 387096);
    EXPECT_THAT(SystemCalls(),
                ElementsAre("device1 IDirect3DDevice9::CreateVertexBuffer(387096, 0x0, 0x142, "
                            "D3DPOOL_DEFAULT, out, null) -> D3D_OK",
                            "vb1 IDirect3DVertexBuffer9::Lock(0, 387096, out, 0x0) -> D3D_OK",
                            "vb1 IDirect3DVertexBuffer9::Unlock() -> D3D_OK"));

    HeightmapSamples samples;
    for (int r = 0; r < 127; ++r) {
        for (int c = 0; c < 127; ++c) {
            samples[SampleIndex(r, c)] = static_cast<std::uint16_t>(100 + r + c);
        }
    }
    std::vector<TerrainVertex> expected(TerrainVertexCount);
    BuildTerrainMesh(samples, expected.data());
    const auto* buffer = recorder.Find(RendererTerrain->buffer);
    ASSERT_NE(buffer, nullptr);
    ASSERT_EQ(buffer->bytes.size(), TerrainMeshBytes);
    EXPECT_EQ(std::memcmp(buffer->bytes.data(), expected.data(), TerrainMeshBytes), 0);
}

TEST_F(TerrainBufferTest, FailedReadReleasesThePreviousMeshAndKeepsTheFields) {
    ASSERT_TRUE(Load());
    EXPECT_FALSE(Load("C:\\sector\\missing.zdt"));
    EXPECT_EQ(RendererTerrain->buffer, nullptr);
    ExpectFields(16129, 24, 387096);
    EXPECT_THAT(recorder.LiveObjects(), testing::Not(testing::Contains("vb1")));

    WriteFile(prefix.driveC() / "sector" / "header_only.zdt", std::string(24, 'H'));
    EXPECT_FALSE(Load("C:\\sector\\header_only.zdt"));
    WriteFile(prefix.driveC() / "sector" / "short.zdt", HeightmapBytes(25));
    EXPECT_TRUE(Load("C:\\sector\\short.zdt"));
    EXPECT_NE(RendererTerrain->buffer, nullptr);
}

TEST_F(TerrainBufferTest, FailedBufferCreationOrLockStillReportsTheRead) {
    recorder.FailCall("IDirect3DDevice9::CreateVertexBuffer", D3DERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_TRUE(Load());
    EXPECT_EQ(RendererTerrain->buffer, nullptr);
    ExpectFields(16129, 24, 387096);

    recorder.FailCall("IDirect3DVertexBuffer9::Lock", D3DERR_INVALIDCALL, 1);
    EXPECT_TRUE(Load());
    EXPECT_NE(RendererTerrain->buffer, nullptr);
    EXPECT_EQ(Count("IDirect3DVertexBuffer9::Unlock"), 0u);
    EXPECT_THAT(recorder.Problems(), IsEmpty());
}

TEST_F(TerrainBufferTest, FrameDrawsTheMeshIn126StripsFromTheCamera) {
    ASSERT_TRUE(Load());
    recorder.ClearCalls();
    RenderFrame();

    const auto& calls = recorder.Calls();
    ASSERT_EQ(calls.size(), 2u + 2u + 2u + 2u * StripCount + 2u);
    EXPECT_EQ(calls[0].name, "IDirect3DDevice9::Clear");
    EXPECT_EQ(calls[1].name, "IDirect3DDevice9::BeginScene");

    EXPECT_EQ(calls[2].args.at(0), "D3DTS_VIEW");
    const D3DXMATRIX view = BuildViewMatrix();
    EXPECT_EQ(std::memcmp(&*calls[2].matrix, &view, sizeof(D3DMATRIX)), 0);
    EXPECT_EQ(calls[3].args.at(0), "D3DTS_PROJECTION");
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveFovLH(&projection, 0.78539819f, 1.0f, 1.0f, 5000.0f);
    EXPECT_EQ(std::memcmp(&*calls[3].matrix, &projection, sizeof(D3DMATRIX)), 0);

    EXPECT_EQ(calls[4].ToString(), "device1 IDirect3DDevice9::SetFVF(0x142) -> D3D_OK");
    EXPECT_EQ(calls[5].ToString(),
              "device1 IDirect3DDevice9::SetStreamSource(0, vb1, 0, 24) -> D3D_OK");
    for (UINT strip = 0; strip < StripCount; ++strip) {
        const RecordedCall& indices = calls[6 + 2 * strip];
        const RecordedCall& draw = calls[7 + 2 * strip];
        ASSERT_EQ(indices.ToString(), "device1 IDirect3DDevice9::SetIndices(ib1) -> D3D_OK");
        ASSERT_EQ(draw.ToString(),
                  "device1 IDirect3DDevice9::DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, 0, "
                  "16129, " +
                      std::to_string(254 * strip) + ", 252) -> D3D_OK");
    }
    EXPECT_EQ(calls[calls.size() - 2].name, "IDirect3DDevice9::EndScene");
    EXPECT_EQ(calls.back().name, "IDirect3DDevice9::Present");
}

TEST_F(TerrainBufferTest, BuffersWithoutADeviceMakeNoDeviceCalls) {
    RenderDevice deviceless;  // no backend call reaches a device: there is none
    recorder.ClearCalls();
    TerrainVertexBuffer terrain(&deviceless);
    GridIndexBuffer grid(&deviceless);
    terrain.BindFormat();
    terrain.BindStream();
    terrain.DrawStrip(&grid, 31750, 252);
    terrain.Release();
    terrain.Release();
    grid.Release();
    EXPECT_THAT(recorder.Calls(), IsEmpty());
}

}  // namespace
}  // namespace render_test
