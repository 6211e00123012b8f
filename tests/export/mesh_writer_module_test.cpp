// The mesh writers module loaded from the places a program names: the first that holds the entry
// point is used, and what was wrong with each is said when none does.

#include "export/mesh_writer_module.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/export_error.h"
#include "terrain/grid_constants.h"

namespace {

using mesh_export::MeshFormat;
using mesh_export::MeshWriterModule;
using mesh_export::UpAxis;
using testing::HasSubstr;
using testing::StartsWith;

std::string LoadFailure(const std::vector<std::filesystem::path>& candidates) {
    try {
        const MeshWriterModule module(candidates);
    } catch (const mesh_export::ExportError& failure) {
        return failure.what();
    }
    return "loaded";
}

TEST(MeshWriterModuleTest, WithoutTheModuleEachPlaceSaysWhatWasWrongThere) {
    const std::string missing =
        LoadFailure({"/nonexistent/velmora-mesh-writers.so", "/nonexistent/modules/writers.so"});
    EXPECT_THAT(missing, StartsWith("cannot load the mesh writers; /nonexistent/velmora-mesh"));
    EXPECT_THAT(missing, HasSubstr("; /nonexistent/modules/writers.so"));
    // A library that loads but is not the module.
    EXPECT_EQ(LoadFailure({"libm.so.6"}),
              "cannot load the mesh writers; libm.so.6 has no mesh writers");
}

TEST(MeshWriterModuleTest, TheFirstPlaceThatHoldsTheModuleIsUsedAndItsWritersWriteMeshes) {
    const MeshWriterModule module({"/nonexistent/velmora-mesh-writers.so", MESH_WRITERS_MODULE});
    const std::unique_ptr<mesh_export::MeshFileWriter> writer =
        module.MakeWriter(MeshFormat::Obj, UpAxis::Y, nullptr);
    ASSERT_NE(writer, nullptr);
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    writer->AddSector("0_0", vertices.data(), 0.0f, 0.0f);
    std::string file;
    writer->Write([&file](const void* bytes, std::size_t size) {
        file.append(static_cast<const char*>(bytes), size);
    });
    EXPECT_THAT(file, HasSubstr("\nv "));
    EXPECT_THAT(file, HasSubstr("\nf "));
}

TEST(MeshWriterModuleTest, AFormatTheModuleHasNoWriterForFails) {
    const MeshWriterModule module({MESH_WRITERS_MODULE});
    try {
        module.MakeWriter(static_cast<MeshFormat>(99), UpAxis::Z, nullptr);
        FAIL() << "a writer for no format was made";
    } catch (const mesh_export::ExportError& failure) {
        EXPECT_STREQ(failure.what(), "no mesh writer for this format");
    }
}

}  // namespace
