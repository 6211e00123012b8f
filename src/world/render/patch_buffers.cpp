#include "world/render/patch_buffers.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace world::render {

IndexBuffer UploadIndices(const PatchIndices& indices) {
    IndexBuffer made;
    std::vector<std::uint32_t> all = indices.ground;
    made.groundCount = static_cast<GLsizei>(all.size());
    for (std::size_t edge = 0; edge < indices.skirts.size(); ++edge) {
        made.skirtFirst[edge] = static_cast<GLsizei>(all.size());
        made.skirtCount[edge] = static_cast<GLsizei>(indices.skirts[edge].size());
        all.insert(all.end(), indices.skirts[edge].begin(), indices.skirts[edge].end());
    }
    made.bytes = all.size() * sizeof(std::uint32_t);
    made.buffer = gl::Buffer::Create();
    // An empty store is still a valid buffer to bind; GL refuses a zero size.
    glNamedBufferStorage(made.buffer.name(),
                         static_cast<GLsizeiptr>(std::max<std::size_t>(made.bytes, 4)),
                         all.empty() ? nullptr : all.data(), 0);
    return made;
}

bool HasAbsentPoints(const TerrainPatch& patch) {
    return patch.present && std::find(patch.present->begin(), patch.present->end(),
                                      std::uint8_t{0}) != patch.present->end();
}

PatchBuffers UploadPatch(const TerrainPatch& patch) {
    PatchBuffers made;
    const std::size_t count = std::size_t(patch.side) * std::size_t(patch.side);
    std::vector<std::uint32_t> words((count + 1) / 2, 0);
    for (std::size_t k = 0; k < count; ++k) {
        words[k / 2] |= std::uint32_t{(*patch.heights)[k]} << (k % 2 == 0 ? 0 : 16);
    }
    made.heights = gl::Buffer::Create();
    glNamedBufferStorage(made.heights.name(),
                         static_cast<GLsizeiptr>(words.size() * sizeof(std::uint32_t)),
                         words.data(), 0);
    made.bytes = words.size() * sizeof(std::uint32_t);
    if (HasAbsentPoints(patch)) {
        std::vector<std::uint32_t> bits((count + 31) / 32, 0);
        for (std::size_t k = 0; k < count; ++k) {
            bits[k / 32] |= std::uint32_t{(*patch.present)[k] != 0 ? 1u : 0u} << (k % 32);
        }
        made.presence = gl::Buffer::Create();
        glNamedBufferStorage(made.presence.name(),
                             static_cast<GLsizeiptr>(bits.size() * sizeof(std::uint32_t)),
                             bits.data(), 0);
        made.bytes += bits.size() * sizeof(std::uint32_t);
        made.ownIndices = UploadIndices(MakePatchIndices(patch.side, patch.present.get()));
        made.bytes += made.ownIndices->bytes;
    }
    return made;
}

}  // namespace world::render
