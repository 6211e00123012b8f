#pragma once
// The bytes of the site's data files (docs/WEB.md): payloads of little-endian numbers and
// predicted height grids, deflated, in base64, inside one call the page answers:
//   Velmora.receive("KEY", "BASE64");
// A page opened from disk may not fetch; it may run a script.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace web {

// A payload being put together, little-endian.
class Payload {
public:
    void U8(std::uint8_t value) { bytes.push_back(value); }
    void U16(std::uint16_t value);
    void U32(std::uint32_t value);
    void I32(std::int32_t value) { U32(static_cast<std::uint32_t>(value)); }
    void F32(float value);
    // A grid of width x height values, row-major, each predicted from its left, upper and
    // upper-left neighbours; the residuals' low bytes, then their high bytes.
    void Heights(std::span<const std::uint16_t> values, int width, int height);
    void Bytes(std::span<const std::uint8_t> values);

    std::vector<std::uint8_t> bytes;
};

// The grid Payload::Heights stored, from `bytes` at `offset`; false when they are too few.
bool ReadHeights(std::span<const std::uint8_t> bytes, std::size_t offset, int width, int height,
                 std::vector<std::uint16_t>& values);

// Raw deflate (RFC 1951) and its inverse; Inflate gives false for a damaged stream or one that
// does not inflate to exactly `size` bytes.
std::vector<std::uint8_t> Deflate(std::span<const std::uint8_t> bytes);
bool Inflate(std::span<const std::uint8_t> deflated, std::size_t size,
             std::vector<std::uint8_t>& bytes);

std::string Base64(std::span<const std::uint8_t> bytes);
// False on anything but canonical base64.
bool FromBase64(std::string_view text, std::vector<std::uint8_t>& bytes);

// The text of data file KEY holding the payload.
std::string DataFileText(const std::string& key, std::span<const std::uint8_t> payload);

// The payload of a data file's text, inflated to exactly `size` bytes; false when the text is
// not such a file of that key.
bool ReadDataFile(std::string_view text, const std::string& key, std::size_t size,
                  std::vector<std::uint8_t>& payload);

}  // namespace web
