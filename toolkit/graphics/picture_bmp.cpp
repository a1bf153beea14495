// The Windows and OS/2 bitmap decoder: uncompressed, run-length encoded and
// bit-field bitmaps.
#include "graphics/picture_bytes.h"

namespace {

using namespace picture_bytes;

// One colour channel of a bit-field pixel, scaled to 0..255 with rounding.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t maximum = 0;

    explicit Channel(uint32_t m) : mask(m), shift(m ? std::countr_zero(m) : 0), maximum(m >> shift) {}
    uint32_t operator()(uint32_t pixel) const
    {
        if (maximum == 0) return 0;
        uint64_t value = (pixel & mask) >> shift;
        return static_cast<uint32_t>((value * 255 + maximum / 2) / maximum);
    }
};

struct BitFields {
    Channel red, green, blue;
    uint32_t operator()(uint32_t pixel) const { return Rgb(red(pixel), green(pixel), blue(pixel)); }
};

enum : uint32_t { kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3 };

struct BmpLayout {
    int64_t width = 0;
    int64_t height = 0;
    bool topDown = false;
    uint32_t bitsPerPixel = 0;
    uint32_t compression = 0;
    Palette palette;
    BitFields fields{Channel(0), Channel(0), Channel(0)};
};

void DecodeBmpRows(Bytes data, const BmpLayout& bmp, std::vector<uint32_t>& pixels)
{
    const int64_t stride = (bmp.width * bmp.bitsPerPixel + 31) / 32 * 4;
    for (int64_t r = 0; r < bmp.height; ++r) {
        const uint8_t* row = data.data() + r * stride;
        uint32_t* dst = pixels.data() + (bmp.topDown ? r : bmp.height - 1 - r) * bmp.width;
        for (int64_t x = 0; x < bmp.width; ++x) {
            switch (bmp.bitsPerPixel) {
            case 1: dst[x] = bmp.palette[(row[x / 8] >> (7 - x % 8)) & 1]; break;
            case 4: dst[x] = bmp.palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 15]; break;
            case 8: dst[x] = bmp.palette[row[x]]; break;
            case 16: dst[x] = bmp.fields(uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8); break;
            case 24: dst[x] = Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            case 32:
                dst[x] = bmp.fields(uint32_t{row[4 * x]} | uint32_t{row[4 * x + 1]} << 8 |
                                    uint32_t{row[4 * x + 2]} << 16 | uint32_t{row[4 * x + 3]} << 24);
                break;
            }
        }
    }
}

// Run-length encoded bitmaps are always bottom-up. Pixels the data never
// reaches (skipped by a delta, or left when the bitmap ends early) keep
// palette entry 0, as they would in an index buffer cleared to zero.
int32_t DecodeBmpRle(Bytes data, const BmpLayout& bmp, std::vector<uint32_t>& pixels)
{
    const bool fourBit = bmp.compression == kBiRle4;
    int64_t x = 0;
    int64_t y = 0;  // rows from the bottom
    std::size_t p = 0;
    auto put = [&](uint32_t index) {
        if (x < bmp.width && y < bmp.height) pixels[(bmp.height - 1 - y) * bmp.width + x] = bmp.palette[index];
        ++x;
    };
    // x and y only grow, each step consumes data, so the loop ends.
    for (;;) {
        if (y >= bmp.height) return 0;  // every row done; an end-of-bitmap escape may be left out
        if (!Has(data, p, 2)) return kPictureReadError;
        const uint32_t count = data[p];
        const uint32_t value = data[p + 1];
        p += 2;
        if (count > 0) {  // encoded run
            for (uint32_t i = 0; i < count; ++i) put(fourBit ? (i % 2 ? value & 15 : value >> 4) : value);
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++y;
            break;
        case 1:  // end of bitmap
            return 0;
        case 2:  // delta
            if (!Has(data, p, 2)) return kPictureReadError;
            x += data[p];
            y += data[p + 1];
            p += 2;
            break;
        default: {  // absolute run, padded to a 16-bit boundary
            const std::size_t bytes = fourBit ? (value + 1) / 2 : value;
            if (!Has(data, p, bytes)) return kPictureReadError;
            for (uint32_t i = 0; i < value; ++i) put(fourBit ? (data[p + i / 2] >> (i % 2 ? 0 : 4)) & 15 : data[p + i]);
            p += bytes + bytes % 2;
            break;
        }
        }
    }
}

int32_t ReadBmp(Bytes file, DecodedPicture& out)
{
    if (file.size() < 2) return kPictureReadError;
    if (!Matches(file, 0, "BM")) return kPictureUnsupported;
    if (file.size() < 18) return kPictureReadError;
    if (U32(file, 6) != 0) return kPictureUnsupported;
    // Windows' info headers and their extensions; OS/2 headers are not drawn.
    const uint32_t headerSize = U32(file, 14);
    if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124)
        return kPictureUnsupported;
    const std::size_t headerEnd = 14 + headerSize;
    if (file.size() < headerEnd) return kPictureReadError;

    BmpLayout bmp;
    const int32_t storedHeight = S32(file, 22);
    bmp.width = S32(file, 18);
    bmp.height = storedHeight < 0 ? -int64_t{storedHeight} : storedHeight;
    bmp.topDown = storedHeight < 0;
    bmp.bitsPerPixel = U16(file, 28);
    bmp.compression = U32(file, 30);
    if (!WithinLimits(bmp.width, bmp.height)) return kPictureUnsupported;

    const uint32_t bpp = bmp.bitsPerPixel;
    bool known = false;
    switch (bmp.compression) {
    case kBiRgb: known = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; break;
    case kBiRle8: known = bpp == 8 && !bmp.topDown; break;
    case kBiRle4: known = bpp == 4 && !bmp.topDown; break;
    case kBiBitFields: known = bpp == 16 || bpp == 32; break;
    }
    if (!known) return kPictureUnsupported;

    const uint32_t offBits = U32(file, 10);
    if (offBits < headerEnd) return kPictureUnsupported;
    if (offBits > file.size()) return kPictureReadError;

    if (bpp <= 8) {
        uint32_t entries = 1u << bpp;
        const uint32_t used = U32(file, 46);
        if (used != 0 && used < entries) entries = used;
        if (!Has(file, headerEnd, std::size_t{entries} * 4)) return kPictureReadError;
        bmp.palette.colours.resize(entries);
        for (uint32_t i = 0; i < entries; ++i) {
            const std::size_t at = headerEnd + std::size_t{i} * 4;
            bmp.palette.colours[i] = Rgb(file[at + 2], file[at + 1], file[at]);
        }
    } else if (bmp.compression == kBiBitFields) {
        // The masks follow a 40-byte header and sit inside the longer ones.
        if (!Has(file, 54, 12)) return kPictureReadError;
        bmp.fields = {Channel(U32(file, 54)), Channel(U32(file, 58)), Channel(U32(file, 62))};
    } else if (bpp == 16) {
        bmp.fields = {Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    } else if (bpp == 32) {
        bmp.fields = {Channel(0xFF0000), Channel(0xFF00), Channel(0xFF)};
    }

    const Bytes data = file.subspan(offBits);
    const std::size_t pixelCount = static_cast<std::size_t>(bmp.width * bmp.height);
    if (bmp.compression == kBiRle8 || bmp.compression == kBiRle4) {
        std::vector<uint32_t> pixels(pixelCount, bmp.palette[0]);
        if (int32_t rc = DecodeBmpRle(data, bmp, pixels); rc != 0) return rc;
        out.pixels = std::move(pixels);
    } else {
        // The last row's padding may be missing: some writers leave it off.
        const int64_t stride = (bmp.width * bpp + 31) / 32 * 4;
        const int64_t lastRow = (bmp.width * bpp + 7) / 8;
        if (static_cast<int64_t>(data.size()) < stride * (bmp.height - 1) + lastRow) return kPictureReadError;
        out.pixels.resize(pixelCount);
        DecodeBmpRows(data, bmp, out.pixels);
    }
    out.width = static_cast<int32_t>(bmp.width);
    out.height = static_cast<int32_t>(bmp.height);
    return 0;
}

}  // namespace

int32_t DecodeBmp(std::span<const uint8_t> file, DecodedPicture& out) { return Decode(ReadBmp, file, out); }
