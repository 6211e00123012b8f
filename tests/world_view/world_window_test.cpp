// velmora-world on a small world written here, under X, driven by real input (xdotool) and
// checked through what the screen shows, what its status bar says on the accessibility bus (as
// a screen reader hears it) and how the process ends.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include "support/temporary_prefix.h"
#include "terrain/grid_constants.h"
#include "ui/private_x_server.h"
#include "ui/x_session.h"

namespace {

using ui_test::ChildProcess;
using ui_test::Screenshot;
using ui_test::Shell;

namespace fs = std::filesystem;

constexpr std::uint32_t ClearBlue = 0x0000FF;
// The ground under the pointer in the fixture's world of sectors 0 and 1 each way.
const std::regex GroundWords(
    "sector [01]_[01], sample \\d+, height \\d+\\.\\d, x \\d+\\.\\d, y \\d+\\.\\d");
const std::string Hint =
    "label: W A S D or arrows fly, E Q up and down, drag turns; Home: whole world";

// A session bus of the test's own, where the window's accessibility bridge meets the reader.
class SessionBus {
public:
    SessionBus() {
        std::istringstream lines(
            Shell("dbus-daemon --session --fork --print-address=1 "
                  "--print-pid=1 2>/dev/null"));
        std::getline(lines, address_);
        lines >> pid_;
        if (const char* old = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
            old_ = old;
        }
        setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
    ~SessionBus() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
        }
        if (old_) {
            setenv("DBUS_SESSION_BUS_ADDRESS", old_->c_str(), 1);
        } else {
            unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
    }
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

private:
    std::string address_;
    pid_t pid_ = -1;
    std::optional<std::string> old_;
};

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Rolling ground, the same function everywhere, so that neighbours meet.
std::string Heightmap(int a, int b) {
    std::string bytes(HeightmapHeaderSize, '\0');
    for (int r = 0; r < GridSide; ++r) {
        for (int c = 0; c < GridSide; ++c) {
            const int x = 126 * a + r;
            const int y = 126 * b + c;
            const int value = 1500 + (x * 7 % 211) * 3 + (y * 11 % 197) * 2;
            bytes.push_back(static_cast<char>(value & 0xFF));
            bytes.push_back(static_cast<char>(value >> 8));
        }
    }
    return bytes;
}

class WorldWindowTest : public testing::Test {
protected:
    WorldWindowTest() {
        BuildPrefix(home.path() / "prefix");
        WriteFile(home.path() / "prefix" / "system.reg",
                  "WINE REGISTRY Version 2\n\n[Software\\\\MolvaneStudios\\\\Quarlend] 1\n"
                  "@=\"C:\\\\Games\\\\Quarlend\"\n");
        terrain = home.path() / "prefix" / "drive_c" / "Games" / "Quarlend" / "world_cache" /
                  "Eastquarlend" / "terrain";
        // Three of the four places of a 2 x 2 world: 1_1 is written while the window is open.
        for (const auto& [a, b] : {std::pair{0, 0}, {1, 0}, {0, 1}}) {
            WriteSector(a, b);
        }
        fs::create_directories(terrain.parent_path().parent_path() / "Northquarlend" / "terrain");
    }

    ~WorldWindowTest() override {
        if (HasFailure()) {
            std::ifstream log(home.path() / "world.log");
            std::cerr << "velmora-world output:\n" << log.rdbuf();
        }
    }

    void WriteSector(int a, int b) {
        const std::string name = std::to_string(a) + "_" + std::to_string(b);
        WriteFile(terrain / name / ("heightmap_" + name + ".zdt"), Heightmap(a, b));
    }

    void Start(const std::string& title = "Velmora World \xE2\x80\x93 East") {
        program = std::make_unique<ChildProcess>(
            VELMORA_WORLD_EXECUTABLE, home.path(),
            std::vector<std::pair<std::string, std::string>>{
                {"WINEPREFIX", (home.path() / "prefix").string()},
                {"HOME", home.path().string()},
                {"XDG_CONFIG_HOME", (home.path() / "config").string()},
                {"XDG_CACHE_HOME", (home.path() / "cache").string()},
                {"MESA_SHADER_CACHE_DISABLE", "true"}},
            std::vector<std::string>{}, home.path() / "world.log");
        ASSERT_TRUE(WaitUntil([&] {
            window = Shell("xdotool search --onlyvisible --class '^VelmoraWorld$' 2>/dev/null");
            window = window.substr(0, window.find('\n'));
            return !window.empty() && Title() == title;
        })) << "no window of class VelmoraWorld titled "
            << title << " (title: " << (window.empty() ? "" : Title()) << ")";
        client = ClientArea();
        if (title != "Velmora World") {
            // The title comes with the model; the terrain with the next frame.
            ASSERT_TRUE(WaitUntil([&] { return Count(Ground()) > 10000; })) << "no terrain";
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }

    std::string Title() const {
        const std::string text = Shell("xprop -id " + window + " _NET_WM_NAME");
        const std::size_t open = text.find('"');
        return open == std::string::npos ? "" : text.substr(open + 1, text.rfind('"') - open - 1);
    }

    Rect ClientArea() const {
        Rect r;
        std::istringstream lines(Shell("xwininfo -id " + window));
        for (std::string line; std::getline(lines, line);) {
            std::sscanf(line.c_str(), " Absolute upper-left X: %d", &r.x);
            std::sscanf(line.c_str(), " Absolute upper-left Y: %d", &r.y);
            std::sscanf(line.c_str(), " Width: %d", &r.width);
            std::sscanf(line.c_str(), " Height: %d", &r.height);
        }
        return r;
    }

    // The status bar's fields as the accessibility bus tells them: state, angles, position,
    // ground under the pointer.
    std::vector<std::string> Fields() const {
        std::vector<std::string> fields;
        std::istringstream lines(Shell("timeout 20 /usr/bin/python3 " STATUS_FIELDS_SCRIPT));
        for (std::string line; std::getline(lines, line);) {
            fields.push_back(line);
        }
        fields.resize(4);
        return fields;
    }

    // The buttons and labels on screen, "role: name" each, as a screen reader finds them.
    std::vector<std::string> Controls() const {
        std::vector<std::string> controls;
        std::istringstream lines(Shell("timeout 20 /usr/bin/python3 " WINDOW_CONTROLS_SCRIPT));
        for (std::string line; std::getline(lines, line);) {
            controls.push_back(line);
        }
        return controls;
    }

    void Press(const std::string& button) const {
        Shell("timeout 20 /usr/bin/python3 " WINDOW_CONTROLS_SCRIPT " press '" + button + "'");
    }

    // The window's middle, where the view is: pixels that are not the clear blue.
    std::vector<bool> Ground() const {
        const Screenshot shot = Screenshot::Take(home.path() / "shot.png");
        std::vector<bool> ground;
        for (int y = client.y + client.height / 5; y < client.y + client.height * 4 / 5; ++y) {
            for (int x = client.x; x < client.x + client.width; ++x) {
                ground.push_back(shot.At(x, y) != ClearBlue);
            }
        }
        return ground;
    }

    static std::size_t Count(const std::vector<bool>& pixels) {
        return static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), true));
    }

    void Xdo(const std::string& arguments) const { Shell("xdotool " + arguments); }

    // Keys go to the window under the pointer (no window manager here).
    void PointAtMiddle() const {
        Xdo("mousemove " + std::to_string(client.x + client.width / 2) + " " +
            std::to_string(client.y + client.height / 2));
    }

    void ExpectExitStatusZero() {
        const std::optional<int> status = program->WaitForExit(10.0);
        ASSERT_TRUE(status.has_value()) << "still running";
        EXPECT_EQ(*status, 0);
    }

    SessionBus bus;
    TemporaryDirectory home;
    fs::path terrain;
    std::unique_ptr<ChildProcess> program;
    std::string window;
    Rect client;
};

TEST_F(WorldWindowTest, ShowsTheFirstWorldWithItsCameraReadoutsCopiesTheCameraAndQuitsOnCtrlQ) {
    Start();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_THAT(Shell("xprop -id " + window + " WM_CLASS"), testing::HasSubstr("\"VelmoraWorld\""));

    const std::vector<std::string> fields = Fields();
    EXPECT_EQ(fields[0], "East");
    EXPECT_TRUE(std::regex_match(fields[1], std::regex("Z:-?\\d+\\.\\d, Y:-?\\d+\\.\\d")))
        << fields[1];
    EXPECT_TRUE(std::regex_match(
        fields[2], std::regex("x:[-0-9]{5}\\.\\d, y:[-0-9]{5}\\.\\d, z:[-0-9]{5}\\.\\d")))
        << fields[2];

    // The pointer over the middle of the view, where the ground is.
    Xdo("mousemove " + std::to_string(client.x + client.width / 2) + " " +
        std::to_string(client.y + client.height * 2 / 3));
    std::vector<std::string> pointed;
    EXPECT_TRUE(WaitUntil([&] { return !(pointed = Fields())[3].empty(); }, 5.0));
    EXPECT_TRUE(std::regex_match(pointed[3], GroundWords)) << pointed[3];

    // Ctrl+C: the camera, as velmora render --camera takes it, where the readout says it is.
    Xdo("key ctrl+c");
    std::string copied;
    EXPECT_TRUE(WaitUntil(
        [&] { return !(copied = Shell("xclip -o -selection clipboard 2>/dev/null")).empty(); },
        5.0));
    std::array<double, 5> camera{};
    std::array<double, 3> readout{};
    EXPECT_TRUE(std::regex_match(copied, std::regex("(-?\\d+\\.\\d+,){4}-?\\d+\\.\\d+"))) << copied;
    std::sscanf(copied.c_str(), "%lf,%lf,%lf,%lf,%lf", &camera[0], &camera[1], &camera[2],
                &camera[3], &camera[4]);
    std::sscanf(fields[2].c_str(), "x:%lf, y:%lf, z:%lf", &readout[0], &readout[1], &readout[2]);
    for (std::size_t k = 0; k < readout.size(); ++k) {
        EXPECT_NEAR(camera[k], readout[k], 0.05) << copied << " against " << fields[2];
    }

    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

// The way back from anywhere is on screen: the whole-world button brings the overview back
// after a flight; the hint of the controls beside it, once closed, stays closed next time.
TEST_F(WorldWindowTest, TheWholeWorldButtonBringsTheOverviewBackAndAClosedHintStaysClosed) {
    Start();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_THAT(Controls(), testing::IsSupersetOf(std::vector<std::string>{
                                "push button: Whole world", Hint, "push button: Close"}));
    const std::string overview = Fields()[2];
    PointAtMiddle();
    Xdo("keydown w");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Xdo("keyup w");
    ASSERT_TRUE(WaitUntil([&] { return Fields()[2] != overview; }, 5.0));
    Press("Whole world");
    EXPECT_TRUE(WaitUntil([&] { return Fields()[2] == overview; }, 5.0)) << Fields()[2];

    Press("Close");
    EXPECT_TRUE(
        WaitUntil([&] { return !testing::Value(Controls(), testing::Contains(Hint)); }, 5.0));
    Xdo("key ctrl+q");
    ExpectExitStatusZero();

    Start();
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> again = Controls();
    EXPECT_THAT(again, testing::Contains("push button: Whole world"));
    EXPECT_THAT(again, testing::Not(testing::Contains(Hint)));
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

// Swept across the view, the pointer finds the ground, the hole where 1_1 would be, the
// unreadable 2_0 beyond the world's edge and the sky, each said in its words.
TEST_F(WorldWindowTest, ThePointerSaysTheGroundAHoleAnUnreadableSectorAndOutsideTheWorld) {
    WriteFile(terrain / "2_0" / "heightmap_2_0.zdt", std::string(HeightmapHeaderSize, '\0'));
    Start();
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<std::string> wanted = {"no sector at 1_1", "sector 2_0 could not be read",
                                             "outside the world"};
    std::set<std::string> said;
    bool ground = false;
    const auto allSaid = [&] {
        return ground && std::all_of(wanted.begin(), wanted.end(),
                                     [&](const std::string& words) { return said.count(words); });
    };
    constexpr int Columns = 16;
    constexpr int Rows = 10;
    for (int row = 0; row < Rows && !allSaid(); ++row) {
        for (int column = 0; column < Columns && !allSaid(); ++column) {
            Xdo("mousemove " +
                std::to_string(client.x + client.width * (2 * column + 1) / (2 * Columns)) + " " +
                std::to_string(client.y + client.height * (2 * row + 1) / (2 * Rows)));
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
            const std::string words = Fields()[3];
            if (std::regex_match(words, GroundWords)) {
                ground = true;
            } else if (!words.empty()) {
                said.insert(words);
            }
        }
    }
    EXPECT_TRUE(ground);
    EXPECT_THAT(said, testing::IsSupersetOf(wanted));
    // Nothing else is said anywhere in the view (the tool row and the status bar say nothing).
    for (const std::string& words : said) {
        EXPECT_THAT(wanted, testing::Contains(words));
    }
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

TEST_F(WorldWindowTest, ASectorWrittenWhileOpenAppearsWithinASecondAndGoesWhenRemoved) {
    Start();
    ASSERT_FALSE(HasFatalFailure());
    const std::vector<bool> before = Ground();

    // Written in two goes, as a game flushing its file: the first half alone is not drawn.
    const std::string bytes = Heightmap(1, 1);
    const fs::path file = terrain / "1_1" / "heightmap_1_1.zdt";
    WriteFile(file, bytes.substr(0, bytes.size() / 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    {
        std::ofstream rest(file, std::ios::binary | std::ios::app);
        rest << bytes.substr(bytes.size() / 2);
    }
    const auto written = std::chrono::steady_clock::now();
    std::vector<bool> after;
    std::size_t appeared = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            after = Ground();
            appeared = 0;
            for (std::size_t k = 0; k < after.size(); ++k) {
                appeared += !before[k] && after[k];
            }
            return appeared > 2000;
        },
        3.0))
        << "ground where 1_1 lies: " << appeared << " new pixels";
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - written).count();
    // A screenshot takes a while itself.
    EXPECT_LT(seconds, 1.5);

    // Removed: where it appeared is sky again, but for a few pixels its neighbours' edges now
    // cover, drawn at another level of detail.
    fs::remove_all(terrain / "1_1");
    std::size_t left = 0;
    EXPECT_TRUE(WaitUntil(
        [&] {
            const std::vector<bool> now = Ground();
            left = 0;
            for (std::size_t k = 0; k < now.size(); ++k) {
                left += !before[k] && after[k] && now[k];
            }
            return left < appeared / 10;
        },
        3.0))
        << "1_1 goes again: " << left << " of its " << appeared << " pixels left";
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

TEST_F(WorldWindowTest, AHeldKeyFliesAheadAndF11FillsTheScreen) {
    Start();
    ASSERT_FALSE(HasFatalFailure());
    PointAtMiddle();
    const std::string from = Fields()[2];
    Xdo("keydown w");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    Xdo("keyup w");
    double x0 = 0, y0 = 0, z0 = 0, x1 = 0, y1 = 0, z1 = 0;
    std::sscanf(from.c_str(), "x:%lf, y:%lf, z:%lf", &x0, &y0, &z0);
    std::string to;
    ASSERT_TRUE(WaitUntil([&] { return (to = Fields()[2]) != from; }, 5.0)) << from;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    to = Fields()[2];
    std::sscanf(to.c_str(), "x:%lf, y:%lf, z:%lf", &x1, &y1, &z1);
    // The overview looks along +y: ahead is +y, at the same height.
    EXPECT_NEAR(x1, x0, 0.1) << to;
    EXPECT_GT(y1, y0 + 100.0) << to;
    EXPECT_NEAR(z1, z0, 0.1) << to;
    // Released: it stays.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Fields()[2], to);

    const Rect windowed = ClientArea();
    Xdo("key F11");
    EXPECT_TRUE(WaitUntil([&] { return ClientArea().width >= 1280; }, 5.0));
    Xdo("key Escape");
    EXPECT_TRUE(WaitUntil([&] { return ClientArea().width == windowed.width; }, 5.0));
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

// Under a window manager, full screen is the window manager's to give: the picture must follow
// the window's new size, not stay at the size it had. And started, used and quit as a user
// does, nothing is said on stderr.
TEST_F(WorldWindowTest, UnderAWindowManagerF11FillsTheScreenWithThePictureAndNothingIsSaid) {
    ui_test::PrivateXServer server(1280, 800);
    const std::unique_ptr<ChildProcess> windowManager =
        ui_test::StartOpenbox(home.path() / "openbox.log");
    ASSERT_TRUE(windowManager) << "openbox did not start";
    Start();
    ASSERT_FALSE(HasFatalFailure());
    Xdo("windowactivate --sync " + window);
    Xdo("key F11");
    ASSERT_TRUE(WaitUntil([&] { return ClientArea().width == 1280; }, 5.0));
    // The overview's sky along the whole top row, and below the world along the bottom of the
    // view: nothing of the window as it was, nothing of the screen behind it.
    const auto wholeRowsBlue = [&] {
        const Screenshot shot = Screenshot::Take(home.path() / "full.png");
        for (const int y : {2, 700}) {
            for (int x = 0; x < 1280; ++x) {
                if (shot.At(x, y) != ClearBlue) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_TRUE(WaitUntil(wholeRowsBlue, 5.0));
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
    EXPECT_THAT(ui_test::LinesOf(home.path() / "world.log"), testing::IsEmpty());
}

// Heightmaps that cannot be read (a FIFO, a folder, a link that loops, none at all, one too
// short) are counted in the status bar and named on stderr, never waited on; a place named twice
// is said too.
TEST_F(WorldWindowTest, UnreadableSectorsAreCountedInTheStatusBarAndNamedOnStderr) {
    const fs::path fifo = terrain / "2_0" / "heightmap_2_0.zdt";
    fs::create_directories(fifo.parent_path());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directories(terrain / "2_1" / "heightmap_2_1.zdt");
    fs::create_directories(terrain / "3_0");
    fs::create_directories(terrain / "3_1");
    fs::create_symlink("heightmap_3_1.zdt", terrain / "3_1" / "heightmap_3_1.zdt");
    WriteFile(terrain / "3_2" / "heightmap_3_2.zdt", std::string(24, '\0'));
    WriteFile(terrain / "01_0" / "heightmap_01_0.zdt", Heightmap(1, 0));
    Start();
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(WaitUntil(
        [&] {
            return Fields()[0] ==
                   "East, 5 unreadable sectors drawn as holes, 1 sector left out (another name "
                   "gives its place)";
        },
        5.0))
        << Fields()[0];
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
    const std::vector<std::string> lines = ui_test::LinesOf(home.path() / "world.log");
    for (const std::string sector : {"2_0", "2_1", "3_0", "3_1", "3_2"}) {
        EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                                [&](const std::string& line) {
                                    return line.find("heightmap_" + sector + ".zdt") !=
                                           std::string::npos;
                                }),
                  1)
            << sector << " in " << testing::PrintToString(lines);
    }
}

TEST_F(WorldWindowTest, WithoutTheGameItSaysSoInTheWindow) {
    WriteFile(home.path() / "prefix" / "system.reg", "WINE REGISTRY Version 2\n");
    Start("Velmora World");
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_THAT(Fields()[0], testing::HasSubstr("No Quarlend install found"));
    PointAtMiddle();
    Xdo("key ctrl+q");
    ExpectExitStatusZero();
}

TEST_F(WorldWindowTest, WithoutADisplayItSaysSoInOneLineAndFails) {
    ChildProcess headless(VELMORA_WORLD_EXECUTABLE, home.path(), {}, {"DISPLAY", "WAYLAND_DISPLAY"},
                          home.path() / "world.log");
    const std::optional<int> status = headless.WaitForExit(10.0);
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    const std::vector<std::string> lines = ui_test::LinesOf(home.path() / "world.log");
    ASSERT_EQ(lines.size(), 1u) << testing::PrintToString(lines);
    EXPECT_THAT(lines[0], testing::HasSubstr("display"));
}

}  // namespace
