#pragma once
// A PNG written row by row through libspng, so that an image of any height needs the memory of
// one row.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

class OutputFile;
struct spng_ctx;

enum class PngPixels {
    Grey16,      // one unsigned 16-bit value (host order) a pixel
    Grey8,       // grey
    GreyAlpha8,  // grey, alpha
    Rgba8,       // red, green, blue, alpha
};

class PngStream {
public:
    PngStream(OutputFile& file, std::uint32_t width, std::uint32_t height, PngPixels pixels);
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    // Encodes the next row: width pixels in the layout of PngPixels. After the last row the
    // image is complete. Throws CommandFailure (exit 1) when the file cannot take it.
    void WriteRow(const void* row);

    std::size_t RowBytes() const { return rowBytes_; }

private:
    struct ContextDeleter {
        void operator()(spng_ctx* context) const;
    };
    [[noreturn]] void Fail(int code) const;

    OutputFile& file_;
    std::unique_ptr<spng_ctx, ContextDeleter> context_;
    std::size_t rowBytes_;
    std::uint32_t rowsLeft_;
    std::string writeError_;  // what the file said when a write failed
    std::unique_ptr<std::pair<OutputFile*, std::string*>> sink_;
};
