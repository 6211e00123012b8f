#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include <unistd.h>

#include "app/platform/wine/wine_prefix.h"
#include "image/image_test_files.h"
#include "render/d3d9/d3dx9.h"
#include "render/d3d9/recording/recorder.h"

namespace {

namespace fs = std::filesystem;
using namespace image_test;
using velmora::d3d9::recording::RecordedObject;
using velmora::d3d9::recording::Recorder;

// A throw-away Wine prefix whose C: drive holds the image files, the current directory inside
// it, and a recording device.
class TextureFromFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        prefix_ = fs::temp_directory_path() /
                  ("velmora-texture-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                   "-" + std::to_string(::getpid()));
        fs::remove_all(prefix_);
        fs::create_directories(prefix_ / "drive_c" / "Viewer");
        fs::create_directories(prefix_ / "dosdevices");
        fs::create_directory_symlink("../drive_c", prefix_ / "dosdevices" / "c:");
        if (const char* previous = std::getenv("WINEPREFIX")) {
            savedPrefix_ = previous;
        }
        ::setenv("WINEPREFIX", prefix_.c_str(), 1);
        wine::ResetPrefixSelection();
        savedDirectory_ = fs::current_path();
        fs::current_path(prefix_ / "drive_c" / "Viewer");

        d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d_, nullptr);
        D3DPRESENT_PARAMETERS params{};
        params.BackBufferCount = 1;
        params.SwapEffect = D3DSWAPEFFECT_DISCARD;
        params.Windowed = TRUE;
        ASSERT_EQ(d3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_),
                  D3D_OK);
        recorder_.ClearCalls();
    }

    void TearDown() override {
        if (device_ != nullptr) {
            device_->Release();
        }
        if (d3d_ != nullptr) {
            d3d_->Release();
        }
        EXPECT_TRUE(recorder_.Problems().empty());
        fs::current_path(savedDirectory_);
        if (savedPrefix_) {
            ::setenv("WINEPREFIX", savedPrefix_->c_str(), 1);
        } else {
            ::unsetenv("WINEPREFIX");
        }
        wine::ResetPrefixSelection();
        fs::remove_all(prefix_);
    }

    // Writes `bytes` into the current directory (C:\Viewer) under `name`.
    void WriteFile(const std::string& name, const Bytes& bytes) {
        std::ofstream out(prefix_ / "drive_c" / "Viewer" / name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    HRESULT Load(const char* path, IDirect3DTexture9** texture) {
        return D3DXCreateTextureFromFileA(device_, path, texture);
    }

    Recorder recorder_;
    ScopedDirect3DBackend backend_{recorder_.Factory()};
    IDirect3D9* d3d_ = nullptr;
    IDirect3DDevice9* device_ = nullptr;
    fs::path prefix_;
    fs::path savedDirectory_;
    std::optional<std::string> savedPrefix_;
};

TEST_F(TextureFromFileTest, LoadsTheCurrentDirectorysTerrainImageWithEveryLevel) {
    // 2 x 2 RGBA, named like the viewer's ground texture: the name says nothing of the format.
    WriteFile("terrain.image",
              Png(2, 2, 4, {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128}));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load(".\\terrain.image", &texture), D3D_OK);
    ASSERT_NE(texture, nullptr);

    const RecordedObject* record = recorder_.Find(texture);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(record->pool, D3DPOOL_MANAGED);
    EXPECT_EQ(record->usage, 0u);
    ASSERT_EQ(record->levels.size(), 2u);
    // Level 0 in memory: B, G, R, A per texel, rows at the level's pitch.
    const auto& top = record->levels[0];
    ASSERT_EQ(top.width, 2u);
    const std::uint8_t expectedRow0[] = {0, 0, 255, 255, 0, 255, 0, 255};
    const std::uint8_t expectedRow1[] = {255, 0, 0, 255, 255, 255, 255, 128};
    EXPECT_EQ(std::memcmp(top.bytes.data(), expectedRow0, 8), 0);
    EXPECT_EQ(std::memcmp(top.bytes.data() + top.pitch, expectedRow1, 8), 0);
    const std::uint8_t mean[] = {128, 128, 128, 223};
    EXPECT_EQ(std::memcmp(record->levels[1].bytes.data(), mean, 4), 0);
    for (const auto& level : record->levels) {
        EXPECT_EQ(level.lockCount, 0u);  // every level unlocked again
    }
    EXPECT_EQ(recorder_.CallsNamed("IDirect3DTexture9::LockRect").size(), 2u);
    EXPECT_EQ(texture->Release(), 0u);
}

TEST_F(TextureFromFileTest, EveryFormatLoads) {
    const std::vector<std::uint8_t> rgb = Repeat({40, 80, 120}, 16);
    std::vector<float> hdr(48, 0.5f);
    Bytes dds = DdsHeader(4, 4, 1, nullptr, 32, {0xFF0000, 0xFF00, 0xFF, 0});
    dds.resize(dds.size() + 64, 0x55);
    const std::pair<const char*, Bytes> files[] = {{"a.image", Png(4, 4, 3, rgb)},
                                                   {"b.image", Bmp(4, 4, 3, rgb)},
                                                   {"c.image", Tga(4, 4, 3, rgb, true)},
                                                   {"d.image", Jpeg(4, 4, rgb)},
                                                   {"e.image", Hdr(4, 4, hdr)},
                                                   {"f.image", Ppm(4, 4, rgb)},
                                                   {"g.image", dds}};
    for (const auto& [name, bytes] : files) {
        WriteFile(name, bytes);
        IDirect3DTexture9* texture = nullptr;
        ASSERT_EQ(Load(name, &texture), D3D_OK) << name;
        const RecordedObject* record = recorder_.Find(texture);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->format, D3DFMT_X8R8G8B8) << name;
        EXPECT_EQ(record->levels.size(), 3u) << name;
        texture->Release();
    }
}

TEST_F(TextureFromFileTest, BadFilesAreInvalidDataAndCreateNothing) {
    Bytes halfPng = Png(32, 32, 3, Repeat({1, 2, 3}, 32 * 32));
    halfPng.resize(halfPng.size() / 2);
    WriteFile("half.png", halfPng);
    WriteFile("text.png", Bytes{'h', 'e', 'l', 'l', 'o'});
    WriteFile("empty.png", {});
    Bytes lying = DdsHeader(65536, 65536, 1, "DXT1");
    lying.resize(lying.size() + 8);
    WriteFile("lying.dds", lying);
    fs::create_directory(prefix_ / "drive_c" / "Viewer" / "folder.png");

    for (const char* path : {"half.png", "text.png", "empty.png", "lying.dds", "missing.png",
                             "folder.png", "C:\\Nowhere\\terrain.image", ""}) {
        IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(&recorder_);
        EXPECT_EQ(Load(path, &texture), D3DXERR_INVALIDDATA) << path;
        EXPECT_EQ(texture, nullptr) << path;
    }
    EXPECT_TRUE(recorder_.CallsNamed("IDirect3DDevice9::CreateTexture").empty());
}

TEST_F(TextureFromFileTest, NullArgumentsAreInvalidCalls) {
    WriteFile("terrain.image", Png(1, 1, 3, {1, 2, 3}));
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(D3DXCreateTextureFromFileA(nullptr, "terrain.image", &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(Load(nullptr, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(Load("terrain.image", nullptr), D3DERR_INVALIDCALL);
    EXPECT_TRUE(recorder_.CallsNamed("IDirect3DDevice9::CreateTexture").empty());
}

TEST_F(TextureFromFileTest, DeviceFailuresPassThroughAndLeakNothing) {
    WriteFile("terrain.image", Png(4, 4, 3, Repeat({9, 9, 9}, 16)));
    IDirect3DTexture9* texture = nullptr;

    recorder_.FailCall("IDirect3DDevice9::CreateTexture", D3DERR_OUTOFVIDEOMEMORY, 1);
    EXPECT_EQ(Load("terrain.image", &texture), D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(texture, nullptr);

    recorder_.FailCall("IDirect3DTexture9::LockRect", D3DERR_INVALIDCALL, 1);
    EXPECT_EQ(Load("terrain.image", &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);

    const std::vector<std::string> live = recorder_.LiveObjects();
    for (const std::string& id : live) {
        EXPECT_EQ(id.rfind("texture", 0), std::string::npos) << id << " was not released";
    }
}

}  // namespace
