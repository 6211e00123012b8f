#include "map/png_stream.h"

#include <spng.h>
#include <zlib.h>

#include "map/map_error.h"

namespace map {

namespace {

// Called by libspng, C: nothing may be thrown through it, so the sink's failure is kept for Fail.
int WriteToSink(spng_ctx*, void* user, void* bytes, std::size_t length) {
    auto* stream = static_cast<std::pair<ByteSink*, std::string*>*>(user);
    try {
        (*stream->first)(bytes, length);
    } catch (const std::exception& failure) {
        *stream->second = failure.what();
        return SPNG_IO_ERROR;
    }
    return 0;
}

}  // namespace

void PngStream::ContextDeleter::operator()(spng_ctx* context) const {
    spng_ctx_free(context);
}

PngStream::PngStream(ByteSink sink, std::uint32_t width, std::uint32_t height, PngPixels pixels)
    : byteSink_(std::move(sink)), context_(spng_ctx_new(SPNG_CTX_ENCODER)), rowsLeft_(height) {
    if (!context_) {
        throw MapError("cannot start a PNG encoder");
    }
    spng_ihdr header{};
    header.width = width;
    header.height = height;
    switch (pixels) {
        case PngPixels::Grey16:
            header.bit_depth = 16;
            header.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
            rowBytes_ = std::size_t{width} * 2;
            break;
        case PngPixels::Grey8:
            header.bit_depth = 8;
            header.color_type = SPNG_COLOR_TYPE_GRAYSCALE;
            rowBytes_ = std::size_t{width};
            break;
        case PngPixels::GreyAlpha8:
            header.bit_depth = 8;
            header.color_type = SPNG_COLOR_TYPE_GRAYSCALE_ALPHA;
            rowBytes_ = std::size_t{width} * 2;
            break;
        case PngPixels::Rgba8:
            header.bit_depth = 8;
            header.color_type = SPNG_COLOR_TYPE_TRUECOLOR_ALPHA;
            rowBytes_ = std::size_t{width} * 4;
            break;
    }
    // The pair lives as long as the context: the callback reaches the sink and the error text.
    sink_ = std::make_unique<std::pair<ByteSink*, std::string*>>(&byteSink_, &writeError_);
    int code = spng_set_ihdr(context_.get(), &header);
    if (code == 0) {
        code = spng_set_png_stream(context_.get(), WriteToSink, sink_.get());
    }
    // Fast deflate over the Up filter alone: terrain images are large, and on the 64 x 64-sector
    // benchmark world this is as small as any filter choice at a fraction of the time.
    if (code == 0) {
        code = spng_set_option(context_.get(), SPNG_IMG_COMPRESSION_LEVEL, Z_BEST_SPEED);
    }
    if (code == 0) {
        code = spng_set_option(context_.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_UP);
    }
    if (code == 0) {
        code = spng_encode_image(context_.get(), nullptr, 0, SPNG_FMT_PNG,
                                 SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    }
    if (code != 0) {
        Fail(code);
    }
}

PngStream::~PngStream() = default;

void PngStream::Fail(int code) const {
    throw MapError(writeError_.empty()
                       ? std::string("cannot encode the PNG: ") + spng_strerror(code)
                       : writeError_);
}

void PngStream::WriteRow(const void* row) {
    if (rowsLeft_ == 0) {
        throw MapError("more PNG rows than the image holds");
    }
    const int code = spng_encode_row(context_.get(), row, rowBytes_);
    --rowsLeft_;
    // The last row finishes the image and answers SPNG_EOI.
    if (code != 0 && !(code == SPNG_EOI && rowsLeft_ == 0)) {
        Fail(code);
    }
}

PngRowPipeline::PngRowPipeline(PngStream& png, std::size_t rowsPerChunk)
    : png_(png), rowsPerChunk_(rowsPerChunk) {
    for (std::vector<std::uint8_t>& chunk : chunks_) {
        chunk.resize(rowsPerChunk_ * png_.RowBytes());
    }
}

PngRowPipeline::~PngRowPipeline() {
    if (encoding_.valid()) {
        encoding_.wait();
    }
}

std::uint8_t* PngRowPipeline::NextRow() {
    if (rowsHeld_[filling_] == rowsPerChunk_) {
        HandOver();
    }
    return chunks_[filling_].data() + rowsHeld_[filling_]++ * png_.RowBytes();
}

void PngRowPipeline::HandOver() {
    if (encoding_.valid()) {
        encoding_.get();
    }
    const std::size_t chunk = filling_;
    encoding_ = std::async(std::launch::async, [this, chunk] {
        for (std::size_t row = 0; row < rowsHeld_[chunk]; ++row) {
            png_.WriteRow(chunks_[chunk].data() + row * png_.RowBytes());
        }
    });
    filling_ ^= 1u;
    rowsHeld_[filling_] = 0;
}

void PngRowPipeline::Finish() {
    if (rowsHeld_[filling_] > 0) {
        HandOver();
    }
    if (encoding_.valid()) {
        encoding_.get();
    }
}

}  // namespace map
