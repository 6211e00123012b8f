// DDS files: a refusal or levels that each halve the one before, within the device's limits.

#include <cstddef>
#include <cstdint>
#include <span>

#include "image/dds_file.h"
#include "texture_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    image::TextureImage image;
    fuzz::RequireRefusedOrWellFormed(
        image::DecodeDdsFile(std::span<const std::uint8_t>(data, size), image), image);
    return 0;
}
