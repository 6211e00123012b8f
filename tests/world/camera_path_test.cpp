// Camera paths from hand-written files, and the cameras a flight takes along them and around a
// world.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "support/temporary_prefix.h"
#include "world/camera_path.h"
#include "world/loop_camera.h"

namespace {

namespace fs = std::filesystem;
using world::Camera;
using world::CameraPathError;

void ExpectCamera(const Camera& actual, const Camera& expected, const std::string& where) {
    EXPECT_NEAR(actual.x, expected.x, 1e-9) << where;
    EXPECT_NEAR(actual.y, expected.y, 1e-9) << where;
    EXPECT_NEAR(actual.z, expected.z, 1e-9) << where;
    EXPECT_NEAR(actual.yaw, expected.yaw, 1e-9) << where;
    EXPECT_NEAR(actual.pitch, expected.pitch, 1e-9) << where;
}

class CameraPathFileTest : public ::testing::Test {
protected:
    fs::path Write(const std::string& text) {
        const fs::path file = directory_.path() / ("path" + std::to_string(++written_));
        WriteFile(file, text);
        return file;
    }

    TemporaryDirectory directory_;
    int written_ = 0;
};

TEST_F(CameraPathFileTest, ReadsOneCameraALineSkippingCommentsAndBlankLines) {
    const fs::path file = Write(
        "# start\n"
        "\n"
        "1,2,3,0.5,3.1\r\n"
        "  \t# indented comment\n"
        " -10.5 , 2e3,\t3 ,-1, 4 ");
    const std::vector<Camera> path = world::ReadCameraPath(file);
    ASSERT_EQ(path.size(), 2u);
    ExpectCamera(path[0], {1, 2, 3, 0.5, 3.1}, "first");
    ExpectCamera(path[1], {-10.5, 2000, 3, -1, 4}, "second");
}

// Each refusal in one line naming the file (printable) and, for a camera that does not read, its
// line.
TEST_F(CameraPathFileTest, FilesThatHoldNoPathAreRefusedNamingTheFileAndLine) {
    const std::string notACamera = ": not a camera X,Y,Z,YAW,PITCH";
    const std::vector<std::pair<std::string, std::string>> lines = {
        {"1,2,3,4\n", ":1"},       {"# fine\n1,2,3,4,5\n1,2,3,4,5,6\n", ":3"},
        {"1,2,3,4,5 six\n", ":1"}, {"1,,3,4,5\n", ":1"},
        {"1 2 3 4 5\n", ":1"},     {"1,2,inf,4,5\n", ":1"},
        {"nan,2,3,4,5\n", ":1"},   {"1,2,1e999,4,5\n", ":1"},
    };
    std::vector<std::pair<fs::path, std::string>> cases;
    for (const auto& [text, line] : lines) {
        const fs::path file = Write(text);
        cases.emplace_back(file, file.string() + line + notACamera);
    }
    const fs::path empty = Write("# nothing\n\n");
    cases.emplace_back(empty, "the camera path " + empty.string() + " holds no camera");
    cases.emplace_back(directory_.path() / "missing\x01",
                       "cannot read the camera path " + (directory_.path() / "missing_").string());
    for (const auto& [file, message] : cases) {
        try {
            world::ReadCameraPath(file);
            ADD_FAILURE() << file << " was read";
        } catch (const CameraPathError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

TEST(PathCameraTest, StartsAndEndsAtTheEndsAndPassesThroughEveryCamera) {
    const std::vector<Camera> path = {
        {0, 0, 100, 0, 3.1}, {100, 0, 200, 1, 3.2}, {100, 300, 100, 2, 3.3}, {0, 0, 0, 1, 3.4}};
    // Three frames a segment: camera k at frame 3 k.
    const int frames = 3 * 3 + 1;
    for (int k = 0; k < 4; ++k) {
        ExpectCamera(world::PathCamera(path, 3 * k, frames), path[k],
                     "camera " + std::to_string(k));
    }
    // Between cameras the spline stays near their chord, not beyond the next camera.
    const Camera between = world::PathCamera(path, 1, frames);
    EXPECT_GT(between.x, 0.0);
    EXPECT_LT(between.x, 100.0);
}

TEST(PathCameraTest, AnglesTurnTheShortWayRound) {
    // From just below pi to just above -pi is a small turn through pi, not a turn through zero.
    const double pi = std::numbers::pi;
    const std::vector<Camera> path = {{0, 0, 0, pi - 0.1, pi - 0.1},
                                      {0, 0, 0, -pi + 0.1, -pi + 0.1}};
    const Camera middle = world::PathCamera(path, 1, 3);
    for (const double angle : {middle.yaw, middle.pitch}) {
        EXPECT_NEAR(std::cos(angle), -1.0, 1e-9) << angle;
    }
    const Camera last = world::PathCamera(path, 2, 3);
    EXPECT_NEAR(std::remainder(last.yaw - path[1].yaw, 2 * pi), 0.0, 1e-9);
}

TEST(LoopCameraTest, CirclesTheMiddleAtOneHeightLookingAheadAndDown) {
    struct Case {
        world::WorldModel::Bounds extent;
        double radius;
        double height;
    };
    const Case cases[] = {
        // 10 x 4 sectors: the radius and the clearance follow the smaller side.
        {{0, 0, 0, 12600, 5040, 400}, 0.3 * 5040, 400 + 504},
        // One sector: no less than a sector's side, and at least 150 units above the ground.
        {{1260, 2520, -50, 2520, 3780, 80}, 0.3 * 1260, 80 + 150},
    };
    const int frames = 12;
    for (const Case& c : cases) {
        const double middleX = (c.extent.minX + c.extent.maxX) / 2;
        const double middleY = (c.extent.minY + c.extent.maxY) / 2;
        for (int frame = 0; frame <= frames; ++frame) {
            const Camera camera = world::LoopCamera(c.extent, frame, frames);
            const double angle = 2 * std::numbers::pi * frame / frames;
            const std::string where = "frame " + std::to_string(frame);
            EXPECT_NEAR(camera.x, middleX + c.radius * std::cos(angle), 1e-6) << where;
            EXPECT_NEAR(camera.y, middleY + c.radius * std::sin(angle), 1e-6) << where;
            EXPECT_NEAR(camera.z, c.height, 1e-9) << where;
            // Ahead along the loop (towards +y from the +x side) shows straight ahead, 20
            // degrees above the middle of the picture.
            const std::array<double, 3> ahead =
                world::ToView(camera, -std::sin(angle), std::cos(angle), 0.0);
            EXPECT_NEAR(ahead[0], 0.0, 1e-9) << where;
            EXPECT_NEAR(std::atan2(ahead[1], ahead[2]), 20 * std::numbers::pi / 180, 1e-9) << where;
        }
    }
}

}  // namespace
