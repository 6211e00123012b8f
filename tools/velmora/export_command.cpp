// velmora export: a sector or a whole world taken out as a 16-bit heightmap PNG or as a mesh.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command_list.h"
#include "export/export_error.h"
#include "export/export_mesh.h"
#include "export/mesh_writer_module.h"
#include "files/output_error.h"
#include "files/output_file.h"
#include "headless_catalogue/catalogue_session.h"
#include "headless_catalogue/sector_sources.h"
#include "map/height_png.h"
#include "map/map_error.h"
#include "map/map_layout.h"
#include "map/world_rows.h"
#include "output_failure.h"
#include "progress_line.h"
#include "terrain/terrain_mesh.h"
#include "text/printable_name.h"
#include "world/sector_file.h"
#include "world/sector_place.h"
#include "world_layout.h"

namespace {

namespace fs = std::filesystem;
using files::OutputFile;
using mesh_export::EmbeddedTexture;
using mesh_export::MeshFileWriter;
using mesh_export::MeshFormat;
using mesh_export::UpAxis;

enum class ExportFormat { Png16, Gltf, Glb, Obj, Ply, Stl };

struct ExportRequest {
    std::string world;
    std::string sector;
    bool all = false;
    ExportFormat format = ExportFormat::Png16;
    std::string output;
    std::string texture;
    std::optional<UpAxis> up;  // only for the formats that carry no up axis
    bool force = false;
    bool skipUnreadable = false;
};

// The world's units between neighbouring sectors' origins.
constexpr float SectorOffset = world::SectorStride * GridSpacing;

map::ByteSink SinkOf(OutputFile& file) {
    return [&file](const void* bytes, std::size_t size) { file.Write(bytes, size); };
}

void WriteWorldPng16(map::MapLayout& layout, const ExportRequest& request, OutputFile& file) {
    ProgressLine progress("export:", layout.sectors.size());
    map::WorldRows rows(
        layout,
        [&layout, &request](std::size_t s, const std::string& reason) {
            ReportUnreadable(layout, s, reason, request.skipUnreadable, "export");
        },
        [&progress](std::size_t read) { progress.Update(read); });
    map::WriteWorldHeightPng(rows, SinkOf(file));
}

// The ground texture for glTF: --texture, else terrain.image of the current directory when it
// exists, as the viewer reads it. Only PNG and JPEG can be embedded.
std::optional<EmbeddedTexture> FindTexture(const std::string& chosen) {
    const fs::path path = chosen.empty() ? fs::path("terrain.image") : fs::path(chosen);
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (!chosen.empty()) {
            throw CommandFailure(ExitFailure, "cannot read the texture " + chosen);
        }
        return std::nullopt;
    }
    EmbeddedTexture texture;
    texture.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    const auto startsWith = [&](std::initializer_list<unsigned char> bytes) {
        return texture.bytes.size() >= bytes.size() &&
               std::equal(bytes.begin(), bytes.end(), texture.bytes.begin());
    };
    if (startsWith({0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'})) {
        texture.mimeType = "image/png";
    } else if (startsWith({0xFF, 0xD8, 0xFF})) {
        texture.mimeType = "image/jpeg";
    } else {
        const std::string what = path.string() + " is neither PNG nor JPEG";
        if (!chosen.empty()) {
            throw CommandFailure(ExitFailure, what + "; glTF cannot embed it");
        }
        std::fprintf(stderr, "velmora export: %s; the mesh goes without a texture\n", what.c_str());
        return std::nullopt;
    }
    return texture;
}

// The axis a format's readers take as up, unless --up says otherwise: OBJ is read Y up by
// Blender, Maya, Unity and three.js alike; PLY and STL are Z up (Blender's importers, and STL's
// printers). glTF is Y up by its own definition, and a heightmap PNG has no axes at all.
UpAxis ChooseUpAxis(const ExportRequest& request) {
    switch (request.format) {
        case ExportFormat::Obj:
            return request.up.value_or(UpAxis::Y);
        case ExportFormat::Ply:
        case ExportFormat::Stl:
            return request.up.value_or(UpAxis::Z);
        case ExportFormat::Gltf:
        case ExportFormat::Glb:
            if (request.up) {
                throw CommandFailure(ExitUsage,
                                     "--up is for obj, ply and stl: glTF is always Y up");
            }
            return UpAxis::Y;
        case ExportFormat::Png16:
            if (request.up) {
                throw CommandFailure(ExitUsage, "--up is for obj, ply and stl: png16 has no axes");
            }
            return UpAxis::Z;
    }
    return UpAxis::Z;
}

// The mesh writers module, loaded once: beside the velmora executable (the build tree), or where it
// is installed.
std::unique_ptr<MeshFileWriter> MakeMeshFileWriter(MeshFormat format, UpAxis up,
                                                   const EmbeddedTexture* texture) {
    static const mesh_export::MeshWriterModule module = [] {
        std::error_code error;
        const fs::path executable = fs::read_symlink("/proc/self/exe", error);
        if (error) {
            throw CommandFailure(ExitFailure, "cannot find the velmora executable's folder");
        }
        const fs::path folder = executable.parent_path();
        return mesh_export::MeshWriterModule(
            {folder / VELMORA_MESH_WRITERS_NAME, folder / VELMORA_MESH_WRITERS_INSTALLED});
    }();
    return module.MakeWriter(format, up, texture);
}

std::unique_ptr<MeshFileWriter> MakeWriter(const ExportRequest& request, UpAxis up) {
    std::optional<EmbeddedTexture> texture;
    MeshFormat format = MeshFormat::Obj;
    switch (request.format) {
        case ExportFormat::Gltf:
            format = MeshFormat::Gltf;
            texture = FindTexture(request.texture);
            break;
        case ExportFormat::Glb:
            format = MeshFormat::Glb;
            texture = FindTexture(request.texture);
            break;
        case ExportFormat::Obj:
            format = MeshFormat::Obj;
            break;
        case ExportFormat::Ply:
            format = MeshFormat::Ply;
            break;
        case ExportFormat::Stl:
            format = MeshFormat::Stl;
            break;
        case ExportFormat::Png16:
            throw CommandFailure(ExitFailure, "png16 is not a mesh");
    }
    return MakeMeshFileWriter(format, up, texture ? &*texture : nullptr);
}

// Reads sector s's samples; an unreadable file fails the export, or with --skip-unreadable is
// reported and left out. False when left out.
bool ReadForExport(map::MapLayout& layout, std::size_t s, HeightmapSamples& samples, bool skip) {
    std::string reason;
    if (world::ReadSectorFile(layout.sectors[s].source.hostPath, samples, reason)) {
        return true;
    }
    ReportUnreadable(layout, s, reason, skip, "export");
    layout.unreadable[s] = 1;
    return false;
}

int Export(const ExportRequest& request) {
    if (request.all == !request.sector.empty()) {
        throw CommandFailure(ExitUsage, "give either SECTOR or --all; see --help");
    }
    const UpAxis up = ChooseUpAxis(request);
    headless_catalogue::CatalogueSession session;
    const std::string world = session.ResolveWorld(request.world);

    // The sectors to take out: one, at the origin, or every placed one at its place.
    map::MapLayout layout;
    if (request.all) {
        layout = LayOutWorld(session.SectorFiles(world), "export");
    } else {
        layout.sectors.push_back(
            {{request.sector,
              headless_catalogue::HostPathOf(session.HeightmapPath(world, request.sector))},
             {}});
        layout.unreadable.assign(1, 0);
    }
    const std::unique_ptr<MeshFileWriter> writer =
        request.format == ExportFormat::Png16 ? nullptr : MakeWriter(request, up);

    OutputFile file(request.output, request.force);
    if (request.format == ExportFormat::Png16 && request.all) {
        WriteWorldPng16(layout, request, file);
        file.Commit();
        return ExitSuccess;
    }
    HeightmapSamples samples;
    if (request.format == ExportFormat::Png16) {
        if (!ReadForExport(layout, 0, samples, false)) {
            return ExitFailure;
        }
        map::WriteSectorHeightPng(samples, SinkOf(file));
        file.Commit();
        return ExitSuccess;
    }
    std::vector<TerrainVertex> vertices(TerrainVertexCount);
    ProgressLine progress("export:", layout.sectors.size());
    std::size_t done = 0;
    std::size_t added = 0;
    for (std::size_t s = 0; s < layout.sectors.size(); ++s) {
        const world::PlacedSector& sector = layout.sectors[s];
        if (ReadForExport(layout, s, samples, request.skipUnreadable)) {
            BuildTerrainMesh(samples, vertices.data());
            const float offsetX = request.all ? sector.place.a * SectorOffset : 0.0f;
            const float offsetY = request.all ? sector.place.b * SectorOffset : 0.0f;
            writer->AddSector(text::PrintableName(sector.source.name), vertices.data(), offsetX,
                              offsetY);
            ++added;
        }
        progress.Update(++done);
    }
    if (added == 0) {
        throw CommandFailure(ExitFailure, "no sector could be read");
    }
    writer->Write(SinkOf(file));
    file.Commit();
    return ExitSuccess;
}

int RunExport(const ExportRequest& request) {
    try {
        return Export(request);
    } catch (const map::MapError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    } catch (const mesh_export::ExportError& failure) {
        throw CommandFailure(ExitFailure, failure.what());
    } catch (const files::OutputError& failure) {
        throw OutputFailure(failure);
    }
}

}  // namespace

void AddExportCommand(CLI::App& velmora, ChosenCommand& chosen) {
    auto request = std::make_shared<ExportRequest>();
    CLI::App* exporter = AddSubcommand(
        velmora, "export", "a sector or a whole world as a 16-bit PNG or a mesh",
        "png16: the samples unchanged as a 16-bit greyscale PNG, heightmap row r across and\n"
        "column c down (as `velmora map`); with --all the world placed as by `velmora map`,\n"
        "places without a sector 0.\n"
        "gltf, glb, obj, ply, stl: the viewer's mesh, vertex (r, c) at x = 10 r, y = 10 c,\n"
        "z = 0.25 sample, its grey shade as the vertex colour, its texture coordinates (not in\n"
        "STL), the 126 strips as triangles. The viewer's space is left-handed, the files' are\n"
        "right-handed: Z up gets (x, -y, z), Y up gets (x, z, y), and every triangle runs\n"
        "counter-clockwise seen from above. glTF and GLB are Y up; OBJ is written Y up and PLY\n"
        "and STL Z up, as Blender and most programs read them, unless --up says otherwise.\n"
        "With --all each sector A_B is a mesh named after it, moved by (1260 A, 1260 B). glTF\n"
        "and GLB embed terrain.image of the current directory (or --texture FILE; PNG or JPEG)\n"
        "as the base colour, wrapping and filtered linearly as the viewer draws it.\n"
        "An unknown world or sector exits with 2; an unreadable heightmap with 1 unless\n"
        "--skip-unreadable (with --all).");
    exporter->add_option("WORLD", request->world, "a world, as listed or as its folder")
        ->required();
    exporter->add_option("SECTOR", request->sector, "a sector as `velmora sectors` lists it");
    exporter->add_flag("--all", request->all, "every sector of the world, at its place");
    const std::map<std::string, ExportFormat> formats{
        {"png16", ExportFormat::Png16}, {"gltf", ExportFormat::Gltf}, {"glb", ExportFormat::Glb},
        {"obj", ExportFormat::Obj},     {"ply", ExportFormat::Ply},   {"stl", ExportFormat::Stl}};
    exporter->add_option("--format", request->format, "png16, gltf, glb, obj, ply or stl")
        ->required()
        ->transform(CLI::CheckedTransformer(formats))
        ->type_name("FORMAT");
    exporter->add_option("--output", request->output, "the file to write")
        ->required()
        ->type_name("PATH");
    exporter->add_option("--texture", request->texture, "the texture glTF and GLB embed")
        ->type_name("FILE");
    const std::map<std::string, UpAxis> axes{{"y", UpAxis::Y}, {"z", UpAxis::Z}};
    exporter
        ->add_option("--up", request->up,
                     "the up axis of obj (default y), ply and stl (default z); glTF is always y")
        ->transform(CLI::CheckedTransformer(axes))
        ->type_name("AXIS");
    exporter->add_flag("--force", request->force, "replaces an existing output file");
    exporter->add_flag("--skip-unreadable", request->skipUnreadable,
                       "leaves out an unreadable heightmap instead of failing");
    exporter->callback([&chosen, request] {
        chosen = {"export", [request] { return RunExport(*request); }};
    });
}
