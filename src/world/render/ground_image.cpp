#include "world/render/ground_image.h"

#include <spng.h>
#include <turbojpeg.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

namespace world::render {

namespace {

using Bytes = std::vector<std::uint8_t>;

struct SpngFree {
    void operator()(spng_ctx* context) const { spng_ctx_free(context); }
};

struct TurboJpegFree {
    void operator()(void* handle) const { tjDestroy(handle); }
};

Bytes ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot be opened");
    }
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw std::runtime_error("cannot be read");
    }
    return bytes;
}

bool IsPng(const Bytes& file) {
    return file.size() >= 8 && std::memcmp(file.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
}

bool IsJpeg(const Bytes& file) {
    return file.size() >= 3 && file[0] == 0xFF && file[1] == 0xD8 && file[2] == 0xFF;
}

void CheckSize(std::uint32_t width, std::uint32_t height) {
    if (width == 0 || height == 0 || width > MaxGroundImageSide || height > MaxGroundImageSide) {
        throw std::runtime_error("a picture of " + std::to_string(width) + " x " +
                                 std::to_string(height) + " pixels is not taken (1 to " +
                                 std::to_string(MaxGroundImageSide) + " a side)");
    }
}

GroundImage DecodePng(const Bytes& file) {
    const std::unique_ptr<spng_ctx, SpngFree> context(spng_ctx_new(0));
    if (!context) {
        throw std::runtime_error("out of memory");
    }
    spng_ihdr header{};
    std::size_t size = 0;
    // The header is checked before the decoder allocates the picture.
    if (spng_set_image_limits(context.get(), MaxGroundImageSide, MaxGroundImageSide) != 0 ||
        spng_set_png_buffer(context.get(), file.data(), file.size()) != 0 ||
        spng_get_ihdr(context.get(), &header) != 0) {
        throw std::runtime_error("not a readable PNG");
    }
    CheckSize(header.width, header.height);
    if (spng_decoded_image_size(context.get(), SPNG_FMT_RGBA8, &size) != 0) {
        throw std::runtime_error("not a readable PNG");
    }
    GroundImage image{header.width, header.height, Bytes(size)};
    const int decoded =
        spng_decode_image(context.get(), image.rgba.data(), size, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS);
    if (decoded != 0) {
        throw std::runtime_error(std::string("damaged PNG: ") + spng_strerror(decoded));
    }
    return image;
}

GroundImage DecodeJpeg(const Bytes& file) {
    const std::unique_ptr<void, TurboJpegFree> decompressor(tjInitDecompress());
    if (!decompressor) {
        throw std::runtime_error("out of memory");
    }
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    const auto length = static_cast<unsigned long>(file.size());
    if (tjDecompressHeader3(decompressor.get(), file.data(), length, &width, &height, &subsampling,
                            &colourspace) != 0 ||
        width <= 0 || height <= 0) {
        throw std::runtime_error("not a readable JPEG");
    }
    CheckSize(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    GroundImage image{static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height),
                      Bytes(std::size_t(width) * std::size_t(height) * 4)};
    if (tjDecompress2(decompressor.get(), file.data(), length, image.rgba.data(), width, 0, height,
                      TJPF_RGBA, TJFLAG_ACCURATEDCT) != 0 &&
        tjGetErrorCode(decompressor.get()) == TJERR_FATAL) {
        throw std::runtime_error(std::string("damaged JPEG: ") +
                                 tjGetErrorStr2(decompressor.get()));
    }
    return image;
}

}  // namespace

GroundImage ReadGroundImage(const std::filesystem::path& file) {
    const Bytes bytes = ReadFile(file);
    if (IsPng(bytes)) {
        return DecodePng(bytes);
    }
    if (IsJpeg(bytes)) {
        return DecodeJpeg(bytes);
    }
    throw std::runtime_error("neither a PNG nor a JPEG picture");
}

}  // namespace world::render
