#pragma once
// A PNG written row by row through libspng, so that an image of any height needs the memory of
// one row.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct spng_ctx;

namespace map {

// Where encoded bytes go, in order. It throws (any std::exception) when it cannot take them; what
// it says becomes the stream's failure.
using ByteSink = std::function<void(const void* bytes, std::size_t size)>;

enum class PngPixels {
    Grey16,      // one unsigned 16-bit value (host order) a pixel
    Grey8,       // grey
    GreyAlpha8,  // grey, alpha
    Rgba8,       // red, green, blue, alpha
};

class PngStream {
public:
    PngStream(ByteSink sink, std::uint32_t width, std::uint32_t height, PngPixels pixels);
    ~PngStream();
    PngStream(const PngStream&) = delete;
    PngStream& operator=(const PngStream&) = delete;

    // Encodes the next row: width pixels in the layout of PngPixels. After the last row the
    // image is complete. Throws MapError when the sink cannot take it.
    void WriteRow(const void* row);

    std::size_t RowBytes() const { return rowBytes_; }

private:
    struct ContextDeleter {
        void operator()(spng_ctx* context) const;
    };
    [[noreturn]] void Fail(int code) const;

    ByteSink byteSink_;
    std::unique_ptr<spng_ctx, ContextDeleter> context_;
    std::size_t rowBytes_;
    std::uint32_t rowsLeft_;
    std::string writeError_;  // what the sink said when a write failed
    std::unique_ptr<std::pair<ByteSink*, std::string*>> sink_;
};

// Rows drawn on this thread and encoded on a second one, a chunk at a time: while one chunk is
// deflated the next is drawn. Declare it after its PngStream, so that it waits for the encoder
// before the stream goes.
class PngRowPipeline {
public:
    explicit PngRowPipeline(PngStream& png, std::size_t rowsPerChunk = 64);
    ~PngRowPipeline();
    PngRowPipeline(const PngRowPipeline&) = delete;
    PngRowPipeline& operator=(const PngRowPipeline&) = delete;

    // Storage for the next row, RowBytes() long, to be filled before the next call.
    std::uint8_t* NextRow();

    // Encodes the rows still held and waits; throws what the encoder threw.
    void Finish();

private:
    void HandOver();

    PngStream& png_;
    std::size_t rowsPerChunk_;
    std::array<std::vector<std::uint8_t>, 2> chunks_;
    std::array<std::size_t, 2> rowsHeld_{};
    std::size_t filling_ = 0;
    std::future<void> encoding_;
};

}  // namespace map
