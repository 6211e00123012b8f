#include "world/render/terrain_program.h"

#include "gl/shader_program.h"
#include "world/render/terrain_stage_texts.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace world::render {

namespace {

std::string TextOf(std::span<const std::uint8_t> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

gl::Program BuildTerrainProgram(bool lit) {
    // The slopes' code only where it is used: a driver shading vertices on the CPU runs a
    // uniform branch's body all the same (a tenth of a frame shaded by height). The texture,
    // though, is chosen by a uniform, so the vertex stage always passes its coordinates.
    const std::string defines =
        lit ? "#define RELIEF 1\n#define TEXTURED 1\n" : "#define RELIEF 0\n#define TEXTURED 1\n";
    const std::vector<std::span<const std::uint8_t>> stages = TerrainStageTexts();
    std::string vertex = TextOf(stages[0]);
    std::string fragment = TextOf(stages[1]);
    for (std::string* text : {&vertex, &fragment}) {
        text->insert(text->find('\n') + 1, defines);
    }
    return gl::BuildProgram(vertex.c_str(), fragment.c_str());
}

}  // namespace world::render
