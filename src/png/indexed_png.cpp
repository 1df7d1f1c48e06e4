#include "png/indexed_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

// libpng reports errors by calling back and expects the callback not to return. The callbacks
// here keep the message and jump back to the one setjmp of each encode or decode. The functions
// that call setjmp hold no object with a destructor of their own: everything that owns memory
// lives in the state a caller made before, so a jump leaks nothing and skips no destructor.

namespace {

constexpr int kIndexBits = 4;
constexpr size_t kMaxIndexedColours = 16;
constexpr size_t kMaxPaletteEntries = 256;
// Ancillary chunks (text, profiles) bigger than this, or more of them, are refused.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{1} << 20;
constexpr png_uint_32 kMaxCachedChunks = 256;

struct PngState {
    std::jmp_buf jump;
    char message[200] = "";
};

[[noreturn]] void onPngError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->message, sizeof state->message, "%s", message ? message : "error");
    std::longjmp(state->jump, 1);
}

void onPngWarning(png_structp, png_const_charp) {}  // a warning does not stop the file

// --- writing

struct WriteState : PngState {
    const IndexedImage* image = nullptr;
    int bits = kIndexBits;
    const std::vector<uint8_t>* alphas = nullptr;  // the tRNS chunk, none when empty
    std::vector<uint8_t>* out = nullptr;
    std::vector<uint8_t> row;  // one packed row, sized before the jump point
};

void onWrite(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
    state->out->insert(state->out->end(), data, data + length);
}

void onFlush(png_structp) {}

bool writeWithLibpng(WriteState& state, png_structp png, png_infop info) {
    if (setjmp(state.jump)) return false;
    const IndexedImage& image = *state.image;
    png_set_write_fn(png, &state, onWrite, onFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), state.bits, PNG_COLOR_TYPE_PALETTE,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[kMaxPaletteEntries];
    const size_t count = image.palette.size();
    for (size_t k = 0; k < count; ++k) {
        colours[k] = {image.palette[k].red, image.palette[k].green, image.palette[k].blue};
    }
    png_set_PLTE(png, info, colours, static_cast<int>(count));
    if (!state.alphas->empty()) {
        png_set_tRNS(png, info, state.alphas->data(), static_cast<int>(state.alphas->size()),
                     nullptr);
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
    png_write_info(png, info);
    for (int y = 0; y < image.height; ++y) {
        std::memset(state.row.data(), 0, state.row.size());
        const uint8_t* indices = image.indices.data() + static_cast<size_t>(y) * image.width;
        if (state.bits == 8) {
            std::memcpy(state.row.data(), indices, static_cast<size_t>(image.width));
            png_write_row(png, state.row.data());
            continue;
        }
        for (int x = 0; x < image.width; ++x) {
            // PNG packs the left pixel into the high nibble.
            state.row[x / 2] |= static_cast<uint8_t>((indices[x] & 0x0F) << (x % 2 ? 0 : 4));
        }
        png_write_row(png, state.row.data());
    }
    png_write_end(png, info);
    return true;
}

// --- reading

struct ReadState : PngState {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t offset = 0;
    int width = 0, height = 0;
    int maxColours = static_cast<int>(kMaxIndexedColours);
    bool onlyIndexZeroClear = true;  // else every alpha is handed back in alphas
    png_uint_32 widthLimit = kMaxPngWidth, heightLimit = kMaxPngHeight;
    IndexedImage* image = nullptr;
    std::vector<uint8_t>* alphas = nullptr;
    std::vector<png_bytep>* rows = nullptr;
    const char* refusal = nullptr;  // a reason of ours, when the header does not fit
    char detail[120] = "";
};

void onRead(png_structp png, png_bytep out, png_size_t length) {
    auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
    if (length > state->size - state->offset) png_error(png, "file ends inside a chunk");
    std::memcpy(out, state->data + state->offset, length);
    state->offset += length;
}

// Checks the header and the palette against what the image must be; false with the reason.
bool headerFits(ReadState& state, png_structp png, png_infop info) {
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const int depth = png_get_bit_depth(png, info);
    if (colourType != PNG_COLOR_TYPE_PALETTE) {
        state.refusal = "not an indexed PNG";
        std::snprintf(state.detail, sizeof state.detail, " (colour type %d)", colourType);
        return false;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) {
        state.refusal = "unsupported bit depth";
        std::snprintf(state.detail, sizeof state.detail, " %d", depth);
        return false;
    }
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    if (count > state.maxColours) {
        state.refusal = "too many palette entries";
        std::snprintf(state.detail, sizeof state.detail, ": %d, at most %d", count,
                      state.maxColours);
        if (state.maxColours == static_cast<int>(kMaxIndexedColours)) {
            state.refusal = "more than 16 palette entries";
            std::snprintf(state.detail, sizeof state.detail, " (%d)", count);
        }
        return false;
    }
    if (width != static_cast<png_uint_32>(state.width) ||
        height != static_cast<png_uint_32>(state.height)) {
        state.refusal = "other size than the image";
        std::snprintf(state.detail, sizeof state.detail, ": %u x %u, the image is %d x %d", width,
                      height, state.width, state.height);
        return false;
    }
    // The viewer makes index 0 transparent and every other index opaque. A file that makes
    // another index transparent does not show what the viewer would: most often an editor has
    // put the colour map in an order of its own, and the indices no longer mean the archive's.
    png_bytep alphas = nullptr;
    int alphaCount = 0;
    const bool hasAlphas = (png_get_tRNS(png, info, &alphas, &alphaCount, nullptr) & PNG_INFO_tRNS);
    if (state.alphas) {
        state.alphas->assign(static_cast<size_t>(count), 255);
        for (int k = 0; hasAlphas && k < alphaCount && k < count; ++k) {
            (*state.alphas)[k] = alphas[k];
        }
    }
    if (hasAlphas && state.onlyIndexZeroClear) {
        for (int k = 1; k < alphaCount; ++k) {
            if (alphas[k] != 255) {
                state.refusal = "transparent index";
                std::snprintf(state.detail, sizeof state.detail,
                              " %d: only index 0 is, has the colour map been reordered?", k);
                return false;
            }
        }
    }
    state.image->palette.clear();
    for (int k = 0; k < count; ++k) {
        state.image->palette.push_back({colours[k].red, colours[k].green, colours[k].blue});
    }
    return true;
}

bool readWithLibpng(ReadState& state, png_structp png, png_infop info) {
    if (setjmp(state.jump)) return false;
    png_set_user_limits(png, state.widthLimit, state.heightLimit);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    png_set_chunk_cache_max(png, kMaxCachedChunks);
    png_set_read_fn(png, &state, onRead);
    png_read_info(png, info);
    if (!headerFits(state, png, info)) return false;

    // One byte per index, whatever the bit depth; the palette is never expanded.
    png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    IndexedImage& image = *state.image;
    image.width = state.width;
    image.height = state.height;
    image.indices.assign(static_cast<size_t>(state.width) * state.height, 0);
    state.rows->resize(static_cast<size_t>(state.height));
    for (int y = 0; y < state.height; ++y) {
        (*state.rows)[y] = image.indices.data() + static_cast<size_t>(y) * state.width;
    }
    png_read_image(png, state.rows->data());
    png_read_end(png, nullptr);
    return true;
}

Result<> encodeWith(const IndexedImage& image, int bits, const std::vector<uint8_t>& alphas,
                    std::vector<uint8_t>& png) {
    WriteState state;
    state.image = &image;
    state.bits = bits;
    state.alphas = &alphas;
    state.out = &png;
    state.row.assign(
        bits == 8 ? static_cast<size_t>(image.width) : (static_cast<size_t>(image.width) + 1) / 2,
        0);
    png.clear();
    png_structp writer =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    png_infop info = writer ? png_create_info_struct(writer) : nullptr;
    const bool ok = info && writeWithLibpng(state, writer, info);
    png_destroy_write_struct(&writer, &info);
    if (!ok)
        return Result<>::failed(1, state.message[0] ? state.message : "libpng cannot be set up");
    return {};
}

// Reads with the state's limits set by the caller.
Result<> decodeWith(ReadState& state, const uint8_t* data, size_t size, size_t fileLimit) {
    constexpr size_t kSignatureBytes = 8;
    if (size < kSignatureBytes || png_sig_cmp(data, 0, kSignatureBytes) != 0) {
        return Result<>::failed(1, "not a PNG");
    }
    if (size > fileLimit) {
        return Result<>::failed(1, "larger than a texture file can be");
    }
    std::vector<png_bytep> rows;
    state.data = data;
    state.size = size;
    state.rows = &rows;
    png_structp reader =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, onPngError, onPngWarning);
    png_infop info = reader ? png_create_info_struct(reader) : nullptr;
    bool ok = info && readWithLibpng(state, reader, info);
    png_destroy_read_struct(&reader, &info, nullptr);
    if (!ok) {
        if (state.refusal) return Result<>::failed(1, std::string(state.refusal) + state.detail);
        return Result<>::failed(1,
                                std::string("not a readable PNG: ") +
                                    (state.message[0] ? state.message : "libpng cannot be set up"));
    }
    const IndexedImage& image = *state.image;
    const size_t width = static_cast<size_t>(state.width);
    for (size_t i = 0; i < image.indices.size(); ++i) {
        if (image.indices[i] >= state.maxColours) {
            char text[120];
            std::snprintf(text, sizeof text, "index %u at pixel (%zu, %zu), at most %d",
                          image.indices[i], i % width, i / width, state.maxColours - 1);
            return Result<>::failed(1, text);
        }
    }
    return {};
}

}  // namespace

Result<> encodeIndexedPng(const IndexedImage& image, std::vector<uint8_t>& png) {
    if (image.width <= 0 || image.height <= 0 || image.palette.size() > kMaxIndexedColours ||
        image.indices.size() != static_cast<size_t>(image.width) * image.height) {
        return Result<>::failed(1, "not a palette image of at most 16 colours");
    }
    return encodeWith(image, kIndexBits, {0}, png);  // index 0 clear, the others opaque
}

Result<> encodeIndexedPngWithAlphas(const IndexedImage& image, int bitDepth,
                                    const std::vector<uint8_t>& alphas, std::vector<uint8_t>& png) {
    const size_t most = bitDepth == 8 ? kMaxPaletteEntries : kMaxIndexedColours;
    if ((bitDepth != 4 && bitDepth != 8) || image.width <= 0 || image.height <= 0 ||
        image.palette.empty() || image.palette.size() > most ||
        alphas.size() > image.palette.size() ||
        image.indices.size() != static_cast<size_t>(image.width) * image.height) {
        return Result<>::failed(1, "not a palette image of as many colours as its bit depth holds");
    }
    return encodeWith(image, bitDepth, alphas, png);
}

Result<> decodeIndexedPng(const uint8_t* data, size_t size, int width, int height,
                          IndexedImage& image) {
    ReadState state;
    state.width = width;
    state.height = height;
    state.image = &image;
    return decodeWith(state, data, size, kMaxPngFileBytes);
}

Result<> decodeIndexedPngWithAlphas(const uint8_t* data, size_t size, int width, int height,
                                    int maxColours, IndexedImage& image,
                                    std::vector<uint8_t>& alphas) {
    if (width <= 0 || height <= 0 || maxColours < 1 ||
        maxColours > static_cast<int>(kMaxPaletteEntries)) {
        return Result<>::failed(1, "no image of that size or palette");
    }
    ReadState state;
    state.width = width;
    state.height = height;
    state.maxColours = maxColours;
    state.onlyIndexZeroClear = false;
    state.widthLimit = static_cast<png_uint_32>(width);
    state.heightLimit = static_cast<png_uint_32>(height);
    state.image = &image;
    state.alphas = &alphas;
    // Room for the pixels stored uncompressed, beside what any texture file may carry.
    const size_t fileLimit = kMaxPngFileBytes + static_cast<size_t>(width) * height * 2;
    return decodeWith(state, data, size, fileLimit);
}
