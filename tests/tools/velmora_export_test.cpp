// velmora map and export on the demo world: what they write is read back with libspng and
// assimp and compared with the heightmap files and the viewer's mesh, and failures are checked
// to leave nothing behind.

#include <assimp/cimport.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tiny_gltf.h>

#include <array>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "terrain/shading_range.h"
#include "terrain/terrain_mesh.h"
#include "tools/png_picture.h"
#include "tools/velmora_process.h"

using testing::HasSubstr;

namespace {

namespace fs = std::filesystem;
using velmora_process::Outcome;
using velmora_process::Quote;
using velmora_process::ReadWhole;
using velmora_process::RunVelmora;

constexpr int Side = 127;
constexpr int Stride = 126;

// The first demo world: its name as listed, its folder and its size in sectors.
const demo::DemoWorld& World() {
    return demo::DemoWorlds[0];
}
std::string ShownName() {
    const std::string folder(World().name);
    return folder.substr(0, folder.size() - std::string("quarlend").size());
}

class DemoWorldOutputTest : public velmora_process::DemoPrefixSuite {
protected:
    static fs::path HeightmapFile(int a, int b) {
        const std::string name = std::to_string(a) + "_" + std::to_string(b);
        return WorldCache() / std::string(World().name) / "terrain" / name /
               ("heightmap_" + name + ".zdt");
    }

    // The samples of sector a_b as its file holds them.
    static HeightmapSamples FileSamples(int a, int b) {
        const std::string bytes = ReadWhole(HeightmapFile(a, b));
        HeightmapSamples samples{};
        for (std::size_t i = 0; i < samples.size() && 24 + 2 * i + 1 < bytes.size(); ++i) {
            samples[i] = static_cast<std::uint16_t>(std::uint8_t(bytes[24 + 2 * i]) |
                                                    std::uint8_t(bytes[24 + 2 * i + 1]) << 8);
        }
        return samples;
    }

    // The world's shading range: least sample >= 101 and greatest over every sector.
    static ShadingRange WorldRange() {
        std::uint16_t low = 65535;
        std::uint16_t high = 0;
        for (int a = 0; a < World().sectorsX; ++a) {
            for (int b = 0; b < World().sectorsY; ++b) {
                for (std::uint16_t sample : FileSamples(a, b)) {
                    if (sample >= 101) {
                        low = std::min(low, sample);
                    }
                    high = std::max(high, sample);
                }
            }
        }
        return ShadingRange(low, high);
    }

    Outcome Velmora(const std::vector<std::string>& arguments) {
        return RunVelmora(Prefix(), arguments, Prefix());
    }

    fs::path Output(const std::string& name) { return Scratch() / name; }
};

struct MeshFormat {
    const char* name;
    const char* up;  // --up, or "" for the format's default
    bool zUp;        // which way is up in the file
    bool coloured;   // vertex colours and texture coordinates
};

TEST_F(DemoWorldOutputTest, EachMeshFormatReadsBackAsTheViewersMeshWoundUpwards) {
    constexpr int A = 1;
    constexpr int B = 2;
    const HeightmapSamples samples = FileSamples(A, B);
    std::vector<TerrainVertex> viewer(TerrainVertexCount);
    BuildTerrainMesh(samples, viewer.data());

    // The viewer's strips cut cell (r..r+1, c..c+1) along its (r, c)-(r+1, c+1) diagonal.
    std::set<std::array<int, 3>> expectedTriangles;
    const auto vertex = [](int r, int c) { return c * Side + r; };
    for (int r = 0; r < Stride; ++r) {
        for (int c = 0; c < Stride; ++c) {
            std::array<int, 3> first{vertex(r, c + 1), vertex(r, c), vertex(r + 1, c + 1)};
            std::array<int, 3> second{vertex(r + 1, c + 1), vertex(r, c), vertex(r + 1, c)};
            std::sort(first.begin(), first.end());
            std::sort(second.begin(), second.end());
            expectedTriangles.insert(first);
            expectedTriangles.insert(second);
        }
    }

    const std::string sector = std::to_string(A) + "_" + std::to_string(B);
    // OBJ is Y up by default, as Blender reads it; PLY and STL Z up; glTF always Y up.
    for (const MeshFormat format :
         {MeshFormat{"gltf", "", false, true}, MeshFormat{"glb", "", false, true},
          MeshFormat{"obj", "", false, true}, MeshFormat{"obj", "z", true, true},
          MeshFormat{"ply", "", true, true}, MeshFormat{"ply", "y", false, true},
          MeshFormat{"stl", "", true, false}, MeshFormat{"stl", "y", false, false}}) {
        SCOPED_TRACE(std::string(format.name) + " up " + format.up);
        const fs::path output = Output(std::string("sector.") + format.name);
        std::vector<std::string> arguments = {"export",    ShownName(), sector,          "--format",
                                              format.name, "--output",  output.string(), "--force"};
        if (*format.up != '\0') {
            arguments.insert(arguments.end(), {"--up", format.up});
        }
        const Outcome exported = Velmora(arguments);
        ASSERT_EQ(exported.exitCode, 0) << exported.err;

        const aiScene* scene = aiImportFile(output.c_str(), 0);
        ASSERT_NE(scene, nullptr) << aiGetErrorString();
        std::unique_ptr<const aiScene, void (*)(const aiScene*)> owner(scene, aiReleaseImport);
        ASSERT_EQ(scene->mNumMeshes, 1u);
        const aiMesh& mesh = *scene->mMeshes[0];
        ASSERT_EQ(mesh.mNumFaces, expectedTriangles.size());
        ASSERT_EQ(format.coloured, mesh.HasVertexColors(0) && mesh.HasTextureCoords(0));

        std::set<std::array<int, 3>> triangles;
        std::size_t wrong = 0;
        std::size_t downwards = 0;
        for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
            ASSERT_EQ(mesh.mFaces[f].mNumIndices, 3u);
            std::array<int, 3> numbers{};
            std::array<aiVector3D, 3> corners;
            for (unsigned k = 0; k < 3; ++k) {
                const unsigned index = mesh.mFaces[f].mIndices[k];
                const aiVector3D p = mesh.mVertices[index];
                // Z up: (x, -y, z); glTF, Y up: (x, z, y).
                const float x = p.x;
                const float y = format.zUp ? -p.y : p.z;
                const float z = format.zUp ? p.z : p.y;
                const int r = static_cast<int>(std::lround(x / 10));
                const int c = static_cast<int>(std::lround(y / 10));
                ASSERT_TRUE(r >= 0 && r < Side && c >= 0 && c < Side) << x << "," << y;
                const TerrainVertex& expected = viewer[static_cast<std::size_t>(vertex(r, c))];
                bool same = x == expected.x && y == expected.y && z == expected.z;
                if (format.coloured) {
                    const aiColor4D colour = mesh.mColors[0][index];
                    const float grey = static_cast<float>(expected.diffuse & 0xFF) / 255.0f;
                    const aiVector3D uv = mesh.mTextureCoords[0][index];
                    // assimp counts v up from the image's bottom, Direct3D down from its top.
                    same = same && std::abs(colour.r - grey) < 1e-3f && colour.r == colour.g &&
                           colour.g == colour.b && std::abs(uv.x - expected.u) < 1e-4f &&
                           std::abs(uv.y - (1.0f - expected.v)) < 1e-4f;
                }
                wrong += same ? 0 : 1;
                numbers[k] = vertex(r, c);
                corners[k] = aiVector3D(x, format.zUp ? p.y : -p.z, z);  // back to Z up
            }
            // Counter-clockwise seen from above: the normal points to the sky.
            const aiVector3D normal = (corners[1] - corners[0]) ^ (corners[2] - corners[0]);
            downwards += normal.z > 0 ? 0 : 1;
            std::sort(numbers.begin(), numbers.end());
            triangles.insert(numbers);
        }
        EXPECT_EQ(wrong, 0u);
        EXPECT_EQ(downwards, 0u);
        EXPECT_TRUE(triangles == expectedTriangles);
    }

    // glTF's up axis is fixed by its format, and a heightmap has none.
    for (const char* format : {"gltf", "glb", "png16"}) {
        const Outcome refused = Velmora({"export", ShownName(), sector, "--format", format,
                                         "--output", Output("refused").string(), "--up", "z"});
        EXPECT_EQ(refused.exitCode, 64) << format;
        EXPECT_THAT(refused.err, HasSubstr("--up is for obj, ply and stl")) << format;
        EXPECT_FALSE(fs::exists(Output("refused")));
    }
}

TEST_F(DemoWorldOutputTest, WholeWorldMeshHasOneNamedMeshPerSectorAtItsPlace) {
    const fs::path output = Output("world.glb");
    const Outcome exported =
        Velmora({"export", ShownName(), "--all", "--format", "glb", "--output", output.string()});
    ASSERT_EQ(exported.exitCode, 0) << exported.err;
    const aiScene* scene = aiImportFile(output.c_str(), 0);
    ASSERT_NE(scene, nullptr) << aiGetErrorString();
    std::unique_ptr<const aiScene, void (*)(const aiScene*)> owner(scene, aiReleaseImport);
    ASSERT_EQ(scene->mNumMeshes, unsigned(World().sectorsX * World().sectorsY));
    // The texture is embedded and sampled as the viewer draws it.
    EXPECT_EQ(scene->mNumTextures, 1u);
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh& mesh = *scene->mMeshes[m];
        int a = -1;
        int b = -1;
        ASSERT_EQ(std::sscanf(mesh.mName.C_Str(), "%d_%d", &a, &b), 2) << mesh.mName.C_Str();
        float leastX = 1e9f;
        float leastY = 1e9f;
        for (unsigned i = 0; i < mesh.mNumVertices; ++i) {
            leastX = std::min(leastX, mesh.mVertices[i].x);
            leastY = std::min(leastY, mesh.mVertices[i].z);
        }
        EXPECT_EQ(leastX, 1260.0f * a) << mesh.mName.C_Str();
        EXPECT_EQ(leastY, 1260.0f * b) << mesh.mName.C_Str();
    }

    // The texture coordinates run to 18, so the sampler must repeat, and filter linearly as the
    // viewer's device does.
    tinygltf::TinyGLTF loader;
    tinygltf::Model model;
    std::string error;
    std::string warning;
    ASSERT_TRUE(loader.LoadBinaryFromFile(&model, &error, &warning, output.string())) << error;
    ASSERT_EQ(model.materials.size(), 1u);
    const int texture = model.materials[0].pbrMetallicRoughness.baseColorTexture.index;
    ASSERT_TRUE(texture >= 0 && std::size_t(texture) < model.textures.size());
    const int sampler = model.textures[std::size_t(texture)].sampler;
    ASSERT_TRUE(sampler >= 0 && std::size_t(sampler) < model.samplers.size());
    const tinygltf::Sampler& sampling = model.samplers[std::size_t(sampler)];
    EXPECT_EQ(sampling.wrapS, TINYGLTF_TEXTURE_WRAP_REPEAT);
    EXPECT_EQ(sampling.wrapT, TINYGLTF_TEXTURE_WRAP_REPEAT);
    EXPECT_EQ(sampling.magFilter, TINYGLTF_TEXTURE_FILTER_LINEAR);
    EXPECT_EQ(sampling.minFilter, TINYGLTF_TEXTURE_FILTER_LINEAR);
}

TEST_F(DemoWorldOutputTest, GltfAndGlbPassTheKhronosValidatorWithoutErrorsOrWarnings) {
    if (std::system("command -v node >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "node is missing, so the Khronos glTF validator cannot run";
    }
    for (const auto& [format, scope] : std::vector<std::pair<std::string, std::string>>{
             {"gltf", "3_2"}, {"glb", "3_2"}, {"gltf", "--all"}, {"glb", "--all"}}) {
        const fs::path output = Output("valid-" + scope + "." + format);
        const Outcome exported = Velmora(
            {"export", ShownName(), scope, "--format", format, "--output", output.string()});
        ASSERT_EQ(exported.exitCode, 0) << exported.err;
        const fs::path report = Output("validator.txt");
        const int status = std::system(
            ("node " + Quote(GLTF_VALIDATOR_SCRIPT) + " " + Quote(GLTF_VALIDATOR_FOLDER) + " " +
             Quote(output.string()) + " >" + Quote(report.string()) + " 2>&1")
                .c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
            << format << " " << scope << ": " << ReadWhole(report)
            << "(scripts/setup installs the validator)";
    }
}

TEST_F(DemoWorldOutputTest, Png16HoldsTheFileSamplesUnchangedOneSectorOrTheWholeWorld) {
    const fs::path sector = Output("sector.png");
    ASSERT_EQ(
        Velmora({"export", ShownName(), "2_1", "--format", "png16", "--output", sector.string()})
            .exitCode,
        0);
    const Picture one = DecodePng(sector, SPNG_FMT_PNG);
    ASSERT_EQ(one.width, unsigned(Side));
    ASSERT_EQ(one.height, unsigned(Side));
    const HeightmapSamples samples = FileSamples(2, 1);
    const auto pixel16 = [](const Picture& picture, std::size_t x, std::size_t y) {
        std::uint16_t value = 0;
        std::memcpy(&value, &picture.bytes[(y * picture.width + x) * 2], 2);
        return value;
    };
    std::size_t differing = 0;
    for (int r = 0; r < Side; ++r) {
        for (int c = 0; c < Side; ++c) {
            differing += pixel16(one, r, c) == samples[SampleIndex(r, c)] ? 0 : 1;
        }
    }
    EXPECT_EQ(differing, 0u);

    const fs::path world = Output("world16.png");
    ASSERT_EQ(
        Velmora({"export", ShownName(), "--all", "--format", "png16", "--output", world.string()})
            .exitCode,
        0);
    const Picture all = DecodePng(world, SPNG_FMT_PNG);
    ASSERT_EQ(all.width, unsigned(World().sectorsX * Stride + 1));
    ASSERT_EQ(all.height, unsigned(World().sectorsY * Stride + 1));
    differing = 0;
    for (int a = 0; a < World().sectorsX; ++a) {
        for (int b = 0; b < World().sectorsY; ++b) {
            const HeightmapSamples placed = FileSamples(a, b);
            for (int r = 0; r < Side; ++r) {
                for (int c = 0; c < Side; ++c) {
                    differing +=
                        pixel16(all, Stride * a + r, Stride * b + c) == placed[SampleIndex(r, c)]
                            ? 0
                            : 1;
                }
            }
        }
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(DemoWorldOutputTest, MapShadesEverySectorInPlaceWithTheWorldsOneRange) {
    const fs::path output = Output("map.png");
    const Outcome drawn = Velmora({"map", ShownName(), "--output", output.string()});
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
    const Picture map = DecodePng(output, SPNG_FMT_RGBA8);
    ASSERT_EQ(map.width, unsigned(World().sectorsX * Stride + 1));
    ASSERT_EQ(map.height, unsigned(World().sectorsY * Stride + 1));
    const ShadingRange range = WorldRange();
    std::size_t differing = 0;
    for (int a = 0; a < World().sectorsX; ++a) {
        for (int b = 0; b < World().sectorsY; ++b) {
            const HeightmapSamples samples = FileSamples(a, b);
            for (int r = 0; r < Side; ++r) {
                for (int c = 0; c < Side; ++c) {
                    const std::uint8_t* pixel =
                        &map.bytes[(std::size_t(Stride * b + c) * map.width + Stride * a + r) * 4];
                    const std::uint8_t grey = range.Shade(samples[SampleIndex(r, c)]);
                    differing +=
                        pixel[0] == grey && pixel[1] == grey && pixel[2] == grey && pixel[3] == 255
                            ? 0
                            : 1;
                }
            }
        }
    }
    EXPECT_EQ(differing, 0u);
}

TEST_F(DemoWorldOutputTest, MapLeavesMissingAndUnreadablePlacesEmptyAndListsUnplacedNames) {
    TemporaryDirectory copy;
    const fs::path prefix = copy.path() / "demo";
    demo::WriteDemoPrefix(prefix);
    const fs::path terrain = prefix / "drive_c" / "Games" / "Quarlend" / "world_cache" /
                             std::string(World().name) / "terrain";
    fs::remove_all(terrain / "1_1");
    fs::create_directories(terrain / "rocks_1");
    fs::remove(terrain / "0_1" / "heightmap_0_1.zdt");
    fs::create_directory(terrain / "0_1" / "heightmap_0_1.zdt");  // cannot be read

    const fs::path output = copy.path() / "map.png";
    const Outcome refused = RunVelmora(prefix, {"map", ShownName(), "--output", output.string()});
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_THAT(refused.err, HasSubstr("heightmap_0_1.zdt"));
    EXPECT_FALSE(fs::exists(output));

    const Outcome drawn =
        RunVelmora(prefix, {"map", std::string(World().name), "--output", output.string(),
                            "--skip-unreadable", "--scale", "2"});
    ASSERT_EQ(drawn.exitCode, 0) << drawn.err;
    EXPECT_THAT(drawn.err, HasSubstr("rocks_1"));
    EXPECT_THAT(drawn.err, HasSubstr("heightmap_0_1.zdt"));
    const Picture map = DecodePng(output, SPNG_FMT_RGBA8);
    ASSERT_EQ(map.width, unsigned((World().sectorsX * Stride + 1 + 1) / 2));
    const auto alpha = [&](int a, int b) {
        // The pixel in the middle of sector a_b at scale 2.
        const std::size_t x = (Stride * a + 63) / 2;
        const std::size_t y = (Stride * b + 63) / 2;
        return map.bytes[(y * map.width + x) * 4 + 3];
    };
    EXPECT_EQ(alpha(1, 1), 0);
    EXPECT_EQ(alpha(0, 1), 0);
    EXPECT_EQ(alpha(1, 0), 255);
}

TEST_F(DemoWorldOutputTest, WorldIsNamedAsListedOrAsItsFolderInAnyCase) {
    std::string lowered(World().name);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), ::tolower);
    for (const std::string& name : {ShownName(), std::string(World().name), lowered}) {
        const fs::path output = Output("named-" + name + ".png");
        EXPECT_EQ(Velmora({"map", name, "--output", output.string(), "--scale", "8"}).exitCode, 0)
            << name;
    }
    const Outcome unknown = Velmora({"map", "Nowhere", "--output", Output("x.png").string()});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_THAT(unknown.err, HasSubstr(ShownName()));
    EXPECT_FALSE(fs::exists(Output("x.png")));
}

// Runs velmora through the shell after `setup` (a ulimit, say).
int RunLimited(const fs::path& prefix, const std::string& setup,
               const std::vector<std::string>& arguments) {
    std::string command =
        setup + "; WINEPREFIX=" + Quote(prefix.string()) + " exec " + VELMORA_EXECUTABLE;
    for (const std::string& argument : arguments) {
        command += " " + Quote(argument);
    }
    const int status = std::system(("sh -c " + Quote(command + " 2>/dev/null")).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(DemoWorldOutputTest, FailedOutputsLeaveNothingBehindAndExistingFilesNeedForce) {
    TemporaryDirectory folder;
    const fs::path target = folder.path() / "world.obj";
    const std::vector<std::string> exportWorld = {"export", ShownName(), "--all",        "--format",
                                                  "obj",    "--output",  target.string()};

    // Past a file-size limit of 64 KiB.
    EXPECT_EQ(RunLimited(Prefix(), "ulimit -f 64", exportWorld), 1);
    // Into a folder that does not exist.
    EXPECT_EQ(
        Velmora({"map", ShownName(), "--output", (folder.path() / "missing" / "map.png").string()})
            .exitCode,
        1);
    EXPECT_TRUE(fs::is_empty(folder.path()));

    // An existing file stays as it is without --force and is replaced with it.
    WriteFile(target, "mine");
    const Outcome refused = Velmora(exportWorld);
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_THAT(refused.err, HasSubstr("--force"));
    EXPECT_EQ(ReadWhole(target), "mine");
    std::vector<std::string> forced = exportWorld;
    forced.push_back("--force");
    EXPECT_EQ(Velmora(forced).exitCode, 0);
    EXPECT_GT(fs::file_size(target), 1000000u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
}

TEST_F(DemoWorldOutputTest, OutputFilesGetTheModeTheUmaskLeaves) {
    TemporaryDirectory folder;
    for (const auto& [umask, mode] : {std::pair{"022", 0644}, std::pair{"077", 0600}}) {
        const fs::path target = folder.path() / (std::string("map-") + umask + ".png");
        ASSERT_EQ(RunLimited(Prefix(), std::string("umask ") + umask,
                             {"map", ShownName(), "--scale", "8", "--output", target.string()}),
                  0);
        struct stat status {};
        ASSERT_EQ(stat(target.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, unsigned(mode)) << "umask " << umask;
    }
}

}  // namespace
