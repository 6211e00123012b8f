#include "world/render/ground_texture.h"

#include <algorithm>
#include <bit>
#include <stdexcept>
#include <string>

namespace world::render {

gl::Texture MakeGroundTexture(const GroundImage& image) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (image.width == 0 || image.height == 0 || image.width > static_cast<GLuint>(largest) ||
        image.height > static_cast<GLuint>(largest) ||
        image.rgba.size() != std::size_t{image.width} * image.height * 4) {
        throw std::runtime_error("a picture of " + std::to_string(image.width) + " x " +
                                 std::to_string(image.height) +
                                 " pixels is larger than this GL driver's textures (" +
                                 std::to_string(largest) + " a side)");
    }
    const auto width = static_cast<GLsizei>(image.width);
    const auto height = static_cast<GLsizei>(image.height);
    const auto levels = static_cast<GLsizei>(std::bit_width(std::max(image.width, image.height)));
    gl::Texture texture = gl::Texture::Create(GL_TEXTURE_2D);
    glTextureStorage2D(texture.name(), levels, GL_RGBA8, width, height);
    // The picture's top row is row 0 of the texture, at v = 0, as Direct3D places it.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glTextureSubImage2D(texture.name(), 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                        image.rgba.data());
    glGenerateTextureMipmap(texture.name());
    glTextureParameteri(texture.name(), GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTextureParameteri(texture.name(), GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTextureParameteri(texture.name(), GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTextureParameteri(texture.name(), GL_TEXTURE_WRAP_T, GL_REPEAT);
    return texture;
}

}  // namespace world::render
