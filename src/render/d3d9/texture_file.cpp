#include "render/d3d9/texture_file.h"

#include <cstdint>
#include <vector>

#include <afx.h>
#include "image/image_file.h"

using image::ImageStatus;
using image::MaxImageFileBytes;
using image::TextureImage;

namespace {

// Reads the whole file through the platform's file layer; a read error counts as unreadable.
ImageStatus ReadWholeFile(const char* windowsPath, std::vector<std::uint8_t>& bytes) {
    try {
        CFile file;
        if (!file.Open(windowsPath, CFile::modeRead | CFile::typeBinary)) {
            return ImageStatus::Unreadable;
        }
        constexpr UINT Chunk = 1u << 20;
        for (;;) {
            const std::size_t have = bytes.size();
            if (have > MaxImageFileBytes) {
                return ImageStatus::Corrupt;
            }
            bytes.resize(have + Chunk);
            const UINT received = file.Read(bytes.data() + have, Chunk);
            bytes.resize(have + received);
            if (received == 0) {
                break;
            }
        }
        file.Close();
    } catch (const CFileException&) {
        return ImageStatus::Unreadable;
    }
    return ImageStatus::Ok;
}

}  // namespace

ImageStatus LoadTextureImage(const char* windowsPath, TextureImage& image) {
    image = TextureImage{};
    std::vector<std::uint8_t> bytes;
    const ImageStatus read = ReadWholeFile(windowsPath, bytes);
    if (read != ImageStatus::Ok) {
        return read;
    }
    return image::DecodeTextureImage(bytes, image);
}
