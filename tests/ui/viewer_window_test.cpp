// The real VelmoraExplorer on the demo world under X, driven by real input (xdotool) and checked
// through what the screen shows and how the process ends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "demo/demo_world.h"
#include "private_x_server.h"
#include "support/temporary_prefix.h"
#include "x_session.h"

namespace ui_test {
namespace {

constexpr const char* ViewerCaption = "Velmora Explorer v0.1";
constexpr const char* AboutCaption = "About VelmoraExplorer";
constexpr std::uint32_t ClearBlue = 0x0000FF;

// The viewer's size and layout in dialog units (its template).
constexpr double DialogWidthUnits = 524;
constexpr double DialogHeightUnits = 508;
constexpr double ViewportCentreX = 56 + 464 / 2.0;
constexpr double ViewportCentreY = 40 + 464 / 2.0;

// The sizes of the icons a window offers the desktop (_NET_WM_ICON: width, height, then that
// many pixels, icon after icon); -1 x -1 marks a list that breaks off inside an icon.
std::vector<std::pair<long, long>> NetWmIconSizes(const std::string& window) {
    // xprop shows 250,000 bytes of a property unless told more; 256 x 256 alone is 262,144.
    const std::string text =
        Shell("xprop -len 1000000 -id " + window + " -notype 32c _NET_WM_ICON");
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) {
        return {};  // no icon at all
    }
    std::vector<long> values;
    std::istringstream numbers(text.substr(equals + 1));
    for (std::string number; std::getline(numbers, number, ',');) {
        values.push_back(std::stol(number));
    }
    std::vector<std::pair<long, long>> sizes;
    std::size_t at = 0;
    for (; at + 1 < values.size();
         at += static_cast<std::size_t>(2 + values[at] * values[at + 1])) {
        sizes.emplace_back(values[at], values[at + 1]);
    }
    if (at != values.size()) {
        sizes.emplace_back(-1, -1);  // a cut-off icon
    }
    return sizes;
}

struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the terrain's pixels reach in the viewport, as fractions of its width and height.
struct Extent {
    double left = 1;
    double top = 1;
    double right = 0;
    double bottom = 0;
};

class ViewerWindowTest : public testing::Test {
protected:
    ViewerWindowTest() { demo::WriteDemoPrefix(demo.path()); }

    ~ViewerWindowTest() override {
        if (HasFailure()) {
            std::ifstream log(demo.path() / "viewer.log");
            std::stringstream text;
            text << log.rdbuf();
            std::cerr << "viewer output:\n" << text.str();
        }
    }

    // Starts the viewer on the demo prefix (the ground texture lies in its current directory)
    // and waits for its window.
    void Start(const std::vector<std::pair<std::string, std::string>>& environment = {}) {
        std::vector<std::pair<std::string, std::string>> settings{
            {"WINEPREFIX", demo.path().string()}, {"MESA_SHADER_CACHE_DISABLE", "true"}};
        settings.insert(settings.end(), environment.begin(), environment.end());
        viewer =
            std::make_unique<ChildProcess>(VELMORA_VIEWER_EXECUTABLE, demo.path(), settings,
                                           std::vector<std::string>{}, demo.path() / "viewer.log");
        ASSERT_TRUE(WaitUntil([&] { return !(window = FindWindow(ViewerCaption)).empty(); }))
            << "no window captioned " << ViewerCaption;
        geometry = GeometryOf(window);
        // The window shows before the dialog has filled its lists; the first frame comes after.
        bool firstFrame = false;
        WaitForMiddle(AllBlue, &firstFrame);
        ASSERT_TRUE(firstFrame) << "no first frame in the viewport";
    }

    static std::string FindWindow(const std::string& caption) {
        std::string found =
            Shell("xdotool search --onlyvisible --name '^" + caption + "$' 2>/dev/null");
        const std::size_t end = found.find('\n');
        return end == std::string::npos ? found : found.substr(0, end);
    }

    // The client area of a top-level window on the screen (xwininfo counts it without the frame
    // a window manager adds; xdotool would not).
    static Geometry GeometryOf(const std::string& id) {
        Geometry g;
        std::istringstream lines(Shell("xwininfo -id " + id));
        std::string line;
        while (std::getline(lines, line)) {
            std::sscanf(line.c_str(), " Absolute upper-left X: %d", &g.x);
            std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &g.y);
            std::sscanf(line.c_str(), " Width: %d", &g.width);
            std::sscanf(line.c_str(), " Height: %d", &g.height);
        }
        return g;
    }

    // The whole window: the client area and the window manager's frame around it, if any.
    static Geometry WholeWindowOf(const std::string& id) {
        Geometry g = GeometryOf(id);
        int left = 0;
        int right = 0;
        int top = 0;
        int bottom = 0;
        const std::string extents = Shell("xprop -id " + id + " _NET_FRAME_EXTENTS");
        const std::size_t equals = extents.find('=');
        if (equals != std::string::npos) {
            std::sscanf(extents.c_str() + equals + 1, " %d, %d, %d, %d", &left, &right, &top,
                        &bottom);
        }
        return Geometry{g.x - left, g.y - top, g.width + left + right, g.height + top + bottom};
    }

    // The viewport: the dialog's one child X window (the GL drawable), in screen coordinates.
    static Geometry ViewportOf(const std::string& id) {
        Geometry largest;
        std::istringstream lines(Shell("xwininfo -children -id " + id));
        std::string line;
        while (std::getline(lines, line)) {
            // "     0x20002b (has no name): ()  812x754+105+74  +286+173"
            Geometry g;
            int relativeX = 0;
            int relativeY = 0;
            const std::size_t close = line.find("()");
            if (close == std::string::npos ||
                std::sscanf(line.c_str() + close + 2, " %dx%d+%d+%d +%d+%d", &g.width, &g.height,
                            &relativeX, &relativeY, &g.x, &g.y) != 6) {
                continue;
            }
            if (g.width * g.height > largest.width * largest.height) {
                largest = g;
            }
        }
        return largest;
    }

    static Extent TerrainExtent(const Screenshot& shot, const Geometry& viewport) {
        Extent extent;
        for (int y = 0; y < viewport.height; ++y) {
            for (int x = 0; x < viewport.width; ++x) {
                if (shot.At(viewport.x + x, viewport.y + y) == ClearBlue) {
                    continue;
                }
                extent.left = std::min(extent.left, static_cast<double>(x) / viewport.width);
                extent.top = std::min(extent.top, static_cast<double>(y) / viewport.height);
                extent.right = std::max(extent.right, (x + 1.0) / viewport.width);
                extent.bottom = std::max(extent.bottom, (y + 1.0) / viewport.height);
            }
        }
        return extent;
    }

    // Chooses the first sector and returns where its terrain reaches once it shows.
    Extent ShowFirstSector() {
        PickFirstSector();
        bool met = false;
        WaitForMiddle([](const auto& pixels) { return !AllBlue(pixels); }, &met);
        EXPECT_TRUE(met) << "choosing a sector draws its terrain";
        return TerrainExtent(Shot(), ViewportOf(window));
    }

    // A point given in the dialog's units, on the screen.
    int ScreenX(double units) const {
        return geometry.x +
               static_cast<int>(std::lround(units * geometry.width / DialogWidthUnits));
    }
    int ScreenY(double units) const {
        return geometry.y +
               static_cast<int>(std::lround(units * geometry.height / DialogHeightUnits));
    }

    static void Xdo(const std::string& arguments) { Shell("xdotool " + arguments); }

    void MoveTo(double unitsX, double unitsY) const {
        Xdo("mousemove " + std::to_string(ScreenX(unitsX)) + " " + std::to_string(ScreenY(unitsY)));
    }

    Screenshot Shot() const { return Screenshot::Take(demo.path() / "shot.png"); }

    // A square of the viewport's middle, where the terrain of a sector shows at the defaults.
    std::vector<std::uint32_t> ViewportMiddle(const Screenshot& shot) const {
        return shot.Region(ScreenX(ViewportCentreX) - 40, ScreenY(ViewportCentreY) - 40, 80, 80);
    }

    static bool AllBlue(const std::vector<std::uint32_t>& pixels) {
        for (std::uint32_t pixel : pixels) {
            if (pixel != ClearBlue) {
                return false;
            }
        }
        return true;
    }

    // Waits for the viewport's middle to satisfy `want`; returns the pixels last seen.
    std::vector<std::uint32_t> WaitForMiddle(
        const std::function<bool(const std::vector<std::uint32_t>&)>& want, bool* met) const {
        std::vector<std::uint32_t> seen;
        *met = WaitUntil(
            [&] {
                seen = ViewportMiddle(Shot());
                return want(seen);
            },
            10.0);
        return seen;
    }

    void PickFirstSector() const {
        // The first item of the sector list, just below the list's top edge.
        MoveTo(28, 68 + 5);
        Xdo("click 1");
    }

    void ExpectExitStatusZero() {
        const std::optional<int> status = viewer->WaitForExit(10.0);
        ASSERT_TRUE(status.has_value()) << "the viewer did not end";
        EXPECT_EQ(*status, 0);
        EXPECT_TRUE(FindWindow(ViewerCaption).empty());
    }

    TemporaryDirectory demo;
    std::unique_ptr<ChildProcess> viewer;
    std::string window;
    Geometry geometry;
};

TEST_F(ViewerWindowTest, ShowsTheViewerThenTerrainAndNavigatesWithTheMouse) {
    Start();
    EXPECT_GT(geometry.width, 500);
    EXPECT_GT(geometry.height, 500);
    const Screenshot first = Shot();
    ASSERT_TRUE(first.IsValid());
    EXPECT_LE(geometry.x + geometry.width, first.Width()) << "the dialog fits the screen";
    EXPECT_LE(geometry.y + geometry.height, first.Height());
    // Instance and class as the desktop entry's StartupWMClass names them.
    EXPECT_THAT(Shell("xprop -id " + window + " WM_CLASS"),
                testing::HasSubstr("= \"VelmoraExplorer\", \"VelmoraExplorer\""));

    bool met = false;
    WaitForMiddle(AllBlue, &met);
    EXPECT_TRUE(met) << "the viewport shows the clear colour before a sector is chosen";

    PickFirstSector();
    const auto sector = WaitForMiddle([](const auto& pixels) { return !AllBlue(pixels); }, &met);
    ASSERT_TRUE(met) << "choosing a sector draws its terrain";
    // The whole sector is in view from the default height: the viewport's corner stays blue.
    EXPECT_EQ(Shot().At(ScreenX(60), ScreenY(44)), ClearBlue);

    // Wheel: forward notches lower the camera, the picture grows.
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("click --repeat 20 --delay 20 4");
    WaitForMiddle([&](const auto& pixels) { return pixels != sector; }, &met);
    EXPECT_TRUE(met) << "the wheel moves the camera";

    // Reset Camera restores exactly the first picture of the sector.
    MoveTo(148 + 28, 8 + 6);
    Xdo("click 1");
    WaitForMiddle([&](const auto& pixels) { return pixels == sector; }, &met);
    EXPECT_TRUE(met) << "Reset Camera restores the default view";

    // Right drag slides, left drag turns; each is undone by a reset.
    for (const char* button : {"3", "1"}) {
        MoveTo(ViewportCentreX, ViewportCentreY);
        Xdo(std::string("mousedown ") + button);
        // GTK merges motion that arrives faster than it is handled; paced steps each arrive.
        for (int step = 1; step <= 6; ++step) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            Xdo("mousemove_relative -- 20 8");
        }
        Xdo(std::string("mouseup ") + button);
        WaitForMiddle([&](const auto& pixels) { return pixels != sector; }, &met);
        EXPECT_TRUE(met) << "a drag with button " << button << " moves the camera";
        MoveTo(148 + 28, 8 + 6);
        Xdo("click 1");
        WaitForMiddle([&](const auto& pixels) { return pixels == sector; }, &met);
        EXPECT_TRUE(met) << "reset after the drag with button " << button;
    }

    // Enter with the focus on the Reset button presses that button, as the platform does: the
    // viewer runs on.
    Xdo("key Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_FALSE(viewer->WaitForExit(0.5).has_value());

    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Escape");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, EnterEndsTheViewerWithStatusZero) {
    Start();
    // The window offers its icon for task bars and docks at every size, IDI_APP's own two and
    // the larger ones, each whole.
    EXPECT_THAT(NetWmIconSizes(window),
                testing::UnorderedElementsAre(std::pair{16L, 16L}, std::pair{32L, 32L},
                                              std::pair{48L, 48L}, std::pair{64L, 64L},
                                              std::pair{128L, 128L}, std::pair{256L, 256L}));
    // The first focus is in the angle readout; Enter is the hidden OK button's command.
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Return");
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(ViewerCaption).empty(); }));
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, SectorChoiceTakesTheKeyboardFocusOutOfTheList) {
    Start();
    PickFirstSector();
    bool met = false;
    const auto sector = WaitForMiddle([](const auto& pixels) { return !AllBlue(pixels); }, &met);
    ASSERT_TRUE(met);
    // With the focus on the viewport, Down does not move the list's selection to the next sector.
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Down");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(ViewportMiddle(Shot()) == sector) << "the list kept the focus and loaded 0_1";
    Xdo("key Escape");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, TabbingIntoTheSectorListLoadsNothing) {
    Start();
    bool met = false;
    WaitForMiddle(AllBlue, &met);
    ASSERT_TRUE(met);
    // From the first focus (the angle readout): the location readout, then the sector list. The
    // list gets the focus without a selection, as on Windows, so no sector is loaded.
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Tab");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Xdo("key Tab");
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_TRUE(AllBlue(ViewportMiddle(Shot()))) << "tabbing into the list loaded a sector";
    // A sector chosen afterwards still loads.
    PickFirstSector();
    WaitForMiddle([](const auto& pixels) { return !AllBlue(pixels); }, &met);
    EXPECT_TRUE(met);
    Xdo("key Escape");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, EscapeEndsTheViewerWithStatusZero) {
    Start();
    PickFirstSector();
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Escape");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, SystemMenuOpensTheAboutBoxAndCloses) {
    Start();
    // A right click without motion opens the window menu: Close, a separator, the About entry.
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("click 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Xdo("key Up Return");
    std::string about;
    ASSERT_TRUE(WaitUntil([&] { return !(about = FindWindow(AboutCaption)).empty(); }))
        << "the About entry opens the About box";
    Xdo("key Escape");
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(AboutCaption).empty(); }));
    EXPECT_FALSE(FindWindow(ViewerCaption).empty()) << "the viewer runs on";

    Xdo("click 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Xdo("key Down Return");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, AfterTheAboutBoxTheViewerHasTheKeyboardAgain) {
    Start();
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("click 3");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Xdo("key Up Return");
    ASSERT_TRUE(WaitUntil([&] { return !FindWindow(AboutCaption).empty(); }));
    Xdo("key Return");  // the About box's OK
    // Enter the moment the box is gone, with no click in between: it must reach the viewer.
    Shell(std::string("while xdotool search --onlyvisible --name '^") + AboutCaption +
          "$' >/dev/null 2>&1; do :; done; xdotool key Return");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, AnUnreadableHeightmapIsReportedAndTheViewerRunsOn) {
    // Sector 0_0's heightmap becomes a file whose every read fails (EIO).
    const std::filesystem::path heightmap = demo.path() / "drive_c" / "Games" / "Quarlend" /
                                            "world_cache" / "Eastquarlend" / "terrain" / "0_0" /
                                            "heightmap_0_0.zdt";
    std::filesystem::remove(heightmap);
    std::filesystem::create_symlink("/proc/self/mem", heightmap);
    Start();
    PickFirstSector();
    std::string box;
    ASSERT_TRUE(WaitUntil([&] { return !(box = FindWindow("VelmoraExplorer")).empty(); }))
        << "a message box captioned with the application's name";
    const Geometry boxGeometry = GeometryOf(box);
    Xdo("mousemove " + std::to_string(boxGeometry.x + boxGeometry.width / 2) + " " +
        std::to_string(boxGeometry.y + boxGeometry.height / 2));
    Xdo("key Return");
    EXPECT_TRUE(WaitUntil([&] { return FindWindow("VelmoraExplorer").empty(); }));
    EXPECT_FALSE(viewer->WaitForExit(0.5).has_value()) << "the viewer runs on";

    // The next sector loads and shows as usual.
    MoveTo(28, 68 + 5 + 10);
    Xdo("click 1");
    bool met = false;
    WaitForMiddle([](const auto& pixels) { return !AllBlue(pixels); }, &met);
    EXPECT_TRUE(met);
    MoveTo(ViewportCentreX, ViewportCentreY);
    Xdo("key Escape");
    ExpectExitStatusZero();
}

// Screens too small for the dialog at its font's size: it shrinks to the work area, and the
// terrain fills the viewport as it does at the natural size (the GL viewport and back buffer
// follow the real pixels, also under GDK_SCALE=2). Below the smallest font it stays on screen.
TEST_F(ViewerWindowTest, FitsSmallAndScaledScreensWithTheTerrainFillingTheViewport) {
    Extent natural;
    {
        // At 1x on a screen large enough nothing changes: 524 x 508 units of 7 x 13 pixels.
        PrivateXServer server(1280, 1024);
        Start();
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(geometry.width, 917);
        EXPECT_EQ(geometry.height, 826);
        natural = ShowFirstSector();
        Xdo("key Escape");
        ExpectExitStatusZero();
    }
    ASSERT_GT(natural.right, natural.left);

    struct Setting {
        const char* name;
        int width;
        int height;
        std::vector<std::pair<std::string, std::string>> environment;
        Geometry workArea;
        bool windowManager = false;
    };
    const std::vector<Setting> settings = {
        // A laptop screen with a 32-pixel panel at the top.
        {"1366 x 768 with a panel", 1366, 768, {}, {0, 32, 1366, 736}},
        // The same under a window manager, whose caption and borders count too.
        {"1366 x 768 under openbox", 1366, 768, {}, {0, 0, 1366, 768}, true},
        {"GDK_DPI_SCALE=1.25 on 1280 x 1024",
         1280,
         1024,
         {{"GDK_DPI_SCALE", "1.25"}},
         {0, 0, 1280, 1024}},
        {"GDK_SCALE=2 on 2560 x 1440", 2560, 1440, {{"GDK_SCALE", "2"}}, {0, 0, 2560, 1440}},
    };
    for (const Setting& setting : settings) {
        SCOPED_TRACE(setting.name);
        PrivateXServer server(setting.width, setting.height);
        const Geometry& area = setting.workArea;
        if (area.width != setting.width || area.height != setting.height) {
            server.SetWorkArea(area.x, area.y, area.width, area.height);
        }
        std::unique_ptr<ChildProcess> windowManager;
        if (setting.windowManager) {
            windowManager = StartOpenbox(demo.path() / "openbox.log");
            ASSERT_TRUE(windowManager) << "openbox did not start";
        }
        Start(setting.environment);
        if (HasFatalFailure()) {
            return;
        }
        const Geometry whole = WholeWindowOf(window);
        EXPECT_GE(whole.x, area.x);
        EXPECT_GE(whole.y, area.y);
        EXPECT_LE(whole.x + whole.width, area.x + area.width);
        EXPECT_LE(whole.y + whole.height, area.y + area.height);
        // Shrunk no more than needed: one side fills the work area.
        EXPECT_TRUE(whole.width >= area.width - 1 || whole.height >= area.height - 1)
            << whole.width << " x " << whole.height;
        if (setting.windowManager) {
            EXPECT_GT(whole.height, geometry.height) << "openbox put no frame around the dialog";
        }

        const Geometry viewport = ViewportOf(window);
        EXPECT_GT(viewport.width, geometry.width / 2);
        EXPECT_GE(viewport.x, geometry.x);
        EXPECT_GE(viewport.y, geometry.y);
        EXPECT_LE(viewport.x + viewport.width, geometry.x + geometry.width);
        EXPECT_LE(viewport.y + viewport.height, geometry.y + geometry.height);

        const Extent extent = ShowFirstSector();
        EXPECT_NEAR(extent.left, natural.left, 0.02);
        EXPECT_NEAR(extent.top, natural.top, 0.02);
        EXPECT_NEAR(extent.right, natural.right, 0.02);
        EXPECT_NEAR(extent.bottom, natural.bottom, 0.02);
        Xdo("key Escape");
        ExpectExitStatusZero();
        if (HasFailure()) {
            return;
        }
    }

    // Too small even at the smallest readable font: the top-left corner is on screen, below the
    // panel, where the caption and the first controls are.
    SCOPED_TRACE("600 x 480 with a panel");
    PrivateXServer server(600, 480);
    server.SetWorkArea(0, 24, 600, 456);
    Start();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(geometry.x, 0);
    EXPECT_EQ(geometry.y, 24);
    Xdo("key Escape");
    ExpectExitStatusZero();
}

TEST_F(ViewerWindowTest, WithoutADisplayItSaysSoInOneLineAndFails) {
    ChildProcess headless(VELMORA_VIEWER_EXECUTABLE, demo.path(),
                          {{"WINEPREFIX", demo.path().string()}}, {"DISPLAY", "WAYLAND_DISPLAY"},
                          demo.path() / "viewer.log");
    const std::optional<int> status = headless.WaitForExit(10.0);
    ASSERT_TRUE(status.has_value());
    EXPECT_GT(*status, 0) << "a failure status, not a crash";
    const std::vector<std::string> lines = LinesOf(demo.path() / "viewer.log");
    ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
    EXPECT_THAT(lines[0], testing::HasSubstr("display"));
}

}  // namespace
}  // namespace ui_test
