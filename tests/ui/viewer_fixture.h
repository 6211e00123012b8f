#pragma once
// The viewer dialog on the headless window system and the recording Direct3D backend, in a
// temporary Wine prefix whose C: drive holds a game cache that each test fills.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/install_root.h"
#include "app/platform/headless/headless_window_system.h"
#include "app/platform/win32/string_table.h"
#include "camera/camera_state.h"
#include "catalogue/sector_table.h"
#include "render/d3d9/direct3d_backend.h"
#include "render/d3d9/recording/recorder.h"
#include "render/renderer.h"
#include "support/control_texts.h"
#include "support/temporary_prefix.h"
#include "ui/resource_script.h"
#include "ui/viewer_dialog.h"

namespace ui_test {

using velmora::d3d9::recording::Recorder;

inline constexpr std::size_t HeaderBytes = 24;
inline constexpr std::size_t SampleCount = 127 * 127;

// A heightmap file whose samples all equal `sample` (so every vertex has z = sample / 4).
inline std::string HeightmapBytes(std::uint16_t sample) {
    std::string bytes(HeaderBytes, 'H');
    for (std::size_t index = 0; index < SampleCount; ++index) {
        bytes.push_back(static_cast<char>(sample & 0xFF));
        bytes.push_back(static_cast<char>(sample >> 8));
    }
    return bytes;
}

// Restores the camera defaults, which the navigation changes program-wide.
inline void ResetCameraState() {
    CameraPosition = DefaultCameraPosition;
    CameraYaw = DefaultCameraYaw;
    CameraPitch = DefaultCameraPitch;
}

class ViewerTest : public testing::Test {
protected:
    explicit ViewerTest(
        headless::HeadlessWindowSystem& system = headless::UseHeadlessWindowSystem())
        : ui(system), cwd(prefix.driveC()) {
        RegisterViewerResources();
        InstallRoot = "C:\\Games\\Q";
        SectorTable.RemoveAll();
        ResetCameraState();
    }

    ~ViewerTest() override {
        DestroyRenderer();
        SectorTable.RemoveAll();
        InstallRoot.Empty();
        ResetCameraState();
    }

    std::filesystem::path Cache() const { return prefix.driveC() / "Games" / "Q" / "world_cache"; }

    std::filesystem::path SectorDirectory(const std::string& worldDirectory,
                                          const std::string& sector) const {
        return Cache() / worldDirectory / "terrain" / sector;
    }

    std::filesystem::path HeightmapFile(const std::string& worldDirectory,
                                        const std::string& sector) const {
        return SectorDirectory(worldDirectory, sector) / ("heightmap_" + sector + ".zdt");
    }

    // A sector directory with a heightmap of constant samples.
    void AddSector(const std::string& worldDirectory, const std::string& sector,
                   std::uint16_t sample) {
        WriteFile(HeightmapFile(worldDirectory, sector), HeightmapBytes(sample));
    }

    // A sector directory with a heightmap of exactly these bytes.
    void AddSectorFile(const std::string& worldDirectory, const std::string& sector,
                       const std::string& bytes) {
        WriteFile(HeightmapFile(worldDirectory, sector), bytes);
    }

    void Then(std::function<void()> step) { ui.QueueStep(std::move(step)); }

    std::size_t Count(const std::string& name) const { return recorder.CallsNamed(name).size(); }
    std::size_t Frames() const { return Count("IDirect3DDevice9::Present"); }
    std::size_t Loads() const { return Count("IDirect3DDevice9::CreateVertexBuffer"); }

    // z of the first vertex of the vertex buffer created last (the mesh on view).
    float FirstVertexHeight() const {
        const auto creations = recorder.CallsNamed("IDirect3DDevice9::CreateVertexBuffer");
        const std::string id = "vb" + std::to_string(creations.size());
        const auto* buffer = recorder.Find(id);
        if (buffer == nullptr || buffer->bytes.size() < 12) {
            ADD_FAILURE() << "no vertex buffer " << id;
            return -1.0f;
        }
        float z = 0.0f;
        std::memcpy(&z, buffer->bytes.data() + 8, sizeof z);
        return z;
    }

    static std::string Text(const CWnd& window) { return control_texts::Text(window); }
    static std::vector<std::string> Items(const CListBox& list) { return mfc::ControlItems(list); }
    static std::vector<std::string> Items(const CComboBox& combo) {
        return mfc::ControlItems(combo);
    }

    Recorder recorder;
    ScopedDirect3DBackend backend{recorder.Factory()};
    headless::HeadlessWindowSystem& ui;
    TemporaryPrefix prefix;
    ScopedCurrentDirectory cwd;
};

}  // namespace ui_test
