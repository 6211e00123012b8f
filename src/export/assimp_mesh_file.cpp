#include "export/assimp_mesh_file.h"

#include <assimp/scene.h>
#include <assimp/Exporter.hpp>

#include <stdexcept>
#include <vector>

#include "terrain/grid_constants.h"

namespace mesh_export {

namespace {

// The aiScene owns what its members point to (assimp's C layout: it deletes them itself), so
// each array is handed over from a unique_ptr at the moment it is attached.
template <typename T>
T* HandOver(std::unique_ptr<T[]> array) {
    return array.release();
}

class AssimpMeshFileWriter : public MeshFileWriter {
public:
    AssimpMeshFileWriter(std::string formatId, UpAxis up)
        : formatId_(std::move(formatId)), up_(up) {}

    void AddSector(const std::string& name, const TerrainVertex* vertices, float offsetX,
                   float offsetY) override {
        auto mesh = std::make_unique<aiMesh>();
        mesh->mName = aiString(name);
        mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
        mesh->mMaterialIndex = 0;
        auto positions = std::make_unique<aiVector3D[]>(TerrainVertexCount);
        auto colours = std::make_unique<aiColor4D[]>(TerrainVertexCount);
        auto coordinates = std::make_unique<aiVector3D[]>(TerrainVertexCount);
        for (std::size_t i = 0; i < TerrainVertexCount; ++i) {
            const auto [x, y, z] = FilePosition(vertices[i], up_, offsetX, offsetY);
            positions[i] = aiVector3D(x, y, z);
            const float grey = VertexGrey(vertices[i]);
            colours[i] = aiColor4D(grey, grey, grey, 1.0f);
            // These files count v up from the image's bottom; Direct3D counts it down from the
            // top, so v becomes 1 - v and the texture lies as the viewer draws it.
            coordinates[i] = aiVector3D(vertices[i].u, 1.0f - vertices[i].v, 0.0f);
        }
        mesh->mNumVertices = static_cast<unsigned>(TerrainVertexCount);
        mesh->mVertices = HandOver(std::move(positions));
        mesh->mColors[0] = HandOver(std::move(colours));
        mesh->mTextureCoords[0] = HandOver(std::move(coordinates));
        mesh->mNumUVComponents[0] = 2;

        const std::vector<std::uint16_t>& triangles = SectorTriangles();
        const std::size_t faceCount = triangles.size() / 3;
        auto faces = std::make_unique<aiFace[]>(faceCount);
        for (std::size_t f = 0; f < faceCount; ++f) {
            auto indices = std::make_unique<unsigned[]>(3);
            for (std::size_t k = 0; k < 3; ++k) {
                indices[k] = triangles[3 * f + k];
            }
            faces[f].mNumIndices = 3;
            faces[f].mIndices = HandOver(std::move(indices));
        }
        mesh->mNumFaces = static_cast<unsigned>(faceCount);
        mesh->mFaces = HandOver(std::move(faces));
        meshes_.push_back(std::move(mesh));
    }

    void Write(const std::function<void(const void*, std::size_t)>& sink) override {
        auto scene = std::make_unique<aiScene>();
        auto material = std::make_unique<aiMaterial>();
        scene->mNumMaterials = 1;
        scene->mMaterials = HandOver(std::make_unique<aiMaterial*[]>(1));
        scene->mMaterials[0] = material.release();

        auto root = std::make_unique<aiNode>("terrain");
        const auto count = static_cast<unsigned>(meshes_.size());
        auto meshIndices = std::make_unique<unsigned[]>(count);
        scene->mMeshes = HandOver(std::make_unique<aiMesh*[]>(count));
        for (unsigned i = 0; i < count; ++i) {
            scene->mMeshes[i] = meshes_[i].release();
            meshIndices[i] = i;
            ++scene->mNumMeshes;
        }
        meshes_.clear();
        root->mNumMeshes = count;
        root->mMeshes = HandOver(std::move(meshIndices));
        scene->mRootNode = root.release();

        Assimp::Exporter exporter;
        const aiExportDataBlob* blob = exporter.ExportToBlob(scene.get(), formatId_);
        if (blob == nullptr) {
            throw std::runtime_error(std::string("cannot build the mesh file: ") +
                                     exporter.GetErrorString());
        }
        sink(blob->data, blob->size);
    }

private:
    std::string formatId_;
    UpAxis up_;
    std::vector<std::unique_ptr<aiMesh>> meshes_;
};

}  // namespace

std::unique_ptr<MeshFileWriter> MakeAssimpMeshFileWriter(const std::string& formatId, UpAxis up) {
    return std::make_unique<AssimpMeshFileWriter>(formatId, up);
}

}  // namespace mesh_export
