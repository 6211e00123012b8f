#include "export/gltf_mesh_file.h"

#include <tiny_gltf.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>

#include "terrain/grid_constants.h"

namespace mesh_export {

namespace {

class GltfMeshFileWriter : public MeshFileWriter {
public:
    GltfMeshFileWriter(bool binary, std::optional<EmbeddedTexture> texture) : binary_(binary) {
        model_.asset.version = "2.0";
        model_.asset.generator = "velmora export";
        model_.buffers.emplace_back();
        model_.scenes.emplace_back();
        model_.defaultScene = 0;

        // The viewer draws the texture times the vertex grey, unlit. KHR_materials_unlit would say
        // so, but f3d (VTK 9.1) then drops the texture: a rough, non-metal material instead.
        tinygltf::Material material;
        material.name = "terrain";
        material.pbrMetallicRoughness.metallicFactor = 0.0;
        material.pbrMetallicRoughness.roughnessFactor = 1.0;
        if (texture) {
            tinygltf::Image image;
            image.name = "terrain.image";
            image.mimeType = texture->mimeType;
            image.bufferView = AddView(texture->bytes.data(), texture->bytes.size(), -1);
            model_.images.push_back(image);
            // Direct3D's default addressing wraps; the device filters linearly when it
            // magnifies and minifies and uses no mipmaps.
            tinygltf::Sampler sampler;
            sampler.wrapS = TINYGLTF_TEXTURE_WRAP_REPEAT;
            sampler.wrapT = TINYGLTF_TEXTURE_WRAP_REPEAT;
            sampler.magFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            sampler.minFilter = TINYGLTF_TEXTURE_FILTER_LINEAR;
            model_.samplers.push_back(sampler);
            tinygltf::Texture gltfTexture;
            gltfTexture.source = 0;
            gltfTexture.sampler = 0;
            model_.textures.push_back(gltfTexture);
            material.pbrMetallicRoughness.baseColorTexture.index = 0;
            material.pbrMetallicRoughness.baseColorTexture.texCoord = 0;
        }
        model_.materials.push_back(material);
    }

    void AddSector(const std::string& name, const TerrainVertex* vertices, float offsetX,
                   float offsetY) override {
        std::vector<float> positions;
        std::vector<float> colours;
        std::vector<float> coordinates;
        positions.reserve(TerrainVertexCount * 3);
        colours.reserve(TerrainVertexCount * 4);
        coordinates.reserve(TerrainVertexCount * 2);
        std::vector<double> low(3, 1e30);
        std::vector<double> high(3, -1e30);
        for (std::size_t i = 0; i < TerrainVertexCount; ++i) {
            const std::array<float, 3> position =
                FilePosition(vertices[i], UpAxis::Y, offsetX, offsetY);
            for (std::size_t k = 0; k < 3; ++k) {
                positions.push_back(position[k]);
                low[k] = std::min(low[k], double{position[k]});
                high[k] = std::max(high[k], double{position[k]});
            }
            const float grey = VertexGrey(vertices[i]);
            colours.insert(colours.end(), {grey, grey, grey, 1.0f});
            // glTF counts v down from the image's top, as Direct3D does.
            coordinates.insert(coordinates.end(), {vertices[i].u, vertices[i].v});
        }
        const std::vector<std::uint16_t>& triangles = SectorTriangles();

        tinygltf::Primitive primitive;
        primitive.mode = TINYGLTF_MODE_TRIANGLES;
        primitive.material = 0;
        primitive.attributes["POSITION"] = AddAccessor(
            positions.data(), positions.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER,
            TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3, TerrainVertexCount, low, high);
        primitive.attributes["COLOR_0"] = AddAccessor(
            colours.data(), colours.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER,
            TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC4, TerrainVertexCount, {}, {});
        primitive.attributes["TEXCOORD_0"] = AddAccessor(
            coordinates.data(), coordinates.size() * sizeof(float), TINYGLTF_TARGET_ARRAY_BUFFER,
            TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC2, TerrainVertexCount, {}, {});
        primitive.indices = AddAccessor(triangles.data(), triangles.size() * sizeof(std::uint16_t),
                                        TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER,
                                        TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                        TINYGLTF_TYPE_SCALAR, triangles.size(), {}, {});

        tinygltf::Mesh mesh;
        mesh.name = name;
        mesh.primitives.push_back(primitive);
        model_.meshes.push_back(mesh);
        tinygltf::Node node;
        node.name = name;
        node.mesh = static_cast<int>(model_.meshes.size() - 1);
        model_.nodes.push_back(node);
        model_.scenes[0].nodes.push_back(static_cast<int>(model_.nodes.size() - 1));
    }

    void Write(const std::function<void(const void*, std::size_t)>& sink) override {
        model_.buffers[0].data.shrink_to_fit();
        std::ostringstream stream;
        tinygltf::TinyGLTF writer;
        if (!writer.WriteGltfSceneToStream(&model_, stream, !binary_, binary_)) {
            throw std::runtime_error("cannot build the glTF file");
        }
        const std::string bytes = stream.str();
        sink(bytes.data(), bytes.size());
    }

private:
    // Appends bytes to the one buffer, 4-byte aligned, as a new buffer view.
    int AddView(const void* bytes, std::size_t size, int target) {
        std::vector<unsigned char>& data = model_.buffers[0].data;
        data.resize((data.size() + 3) / 4 * 4);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = size;
        if (target >= 0) {
            view.target = target;
        }
        const auto* first = static_cast<const unsigned char*>(bytes);
        data.insert(data.end(), first, first + size);
        model_.bufferViews.push_back(view);
        return static_cast<int>(model_.bufferViews.size() - 1);
    }

    int AddAccessor(const void* bytes, std::size_t size, int target, int componentType, int type,
                    std::size_t count, std::vector<double> low, std::vector<double> high) {
        tinygltf::Accessor accessor;
        accessor.bufferView = AddView(bytes, size, target);
        accessor.componentType = componentType;
        accessor.type = type;
        accessor.count = count;
        accessor.minValues = std::move(low);
        accessor.maxValues = std::move(high);
        model_.accessors.push_back(accessor);
        return static_cast<int>(model_.accessors.size() - 1);
    }

    bool binary_;
    tinygltf::Model model_;
};

}  // namespace

std::unique_ptr<MeshFileWriter> MakeGltfMeshFileWriter(bool binary,
                                                       std::optional<EmbeddedTexture> texture) {
    return std::make_unique<GltfMeshFileWriter>(binary, std::move(texture));
}

}  // namespace mesh_export
