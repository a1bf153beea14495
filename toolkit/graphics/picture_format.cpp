// Picture recognition and the BMP and PCX decoders. Every file is outside
// input: each read is bounds-checked and every size is settled, in 64-bit
// arithmetic, before anything is allocated.
#include "graphics/picture_format.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <string_view>
#include <utility>

namespace {

using Bytes = std::span<const uint8_t>;

bool Has(Bytes b, std::size_t offset, std::size_t n) { return offset <= b.size() && n <= b.size() - offset; }

// Little-endian header values; bytes beyond the data read as 0.
uint32_t U8(Bytes b, std::size_t o) { return Has(b, o, 1) ? b[o] : 0; }
uint32_t U16(Bytes b, std::size_t o) { return U8(b, o) | U8(b, o + 1) << 8; }
uint32_t U32(Bytes b, std::size_t o) { return U16(b, o) | U16(b, o + 2) << 16; }
int32_t S16(Bytes b, std::size_t o) { return static_cast<int16_t>(U16(b, o)); }
int32_t S32(Bytes b, std::size_t o) { return static_cast<int32_t>(U32(b, o)); }

bool Matches(Bytes b, std::size_t offset, std::string_view signature)
{
    if (!Has(b, offset, signature.size())) return false;
    for (std::size_t i = 0; i < signature.size(); ++i)
        if (b[offset + i] != static_cast<uint8_t>(signature[i])) return false;
    return true;
}

// 2 to the power exponent; exponents past the int32 range saturate (32-bit
// bitmaps), negative ones give 0 as integer powers do.
int32_t PowerOfTwo(int64_t exponent)
{
    if (exponent < 0) return 0;
    if (exponent > 30) return std::numeric_limits<int32_t>::max();
    return int32_t{1} << exponent;
}

// ---------------------------------------------------------------- recognition

constexpr std::size_t kTextLineLength = 128;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The next line as a text read gives it: up to LF, cut to the record length.
// False when pos is past the last line of the data.
bool ReadTextLine(std::string_view text, std::size_t& pos, std::string_view& line)
{
    if (pos > text.size()) return false;
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    line = text.substr(pos, std::min(end - pos, kTextLineLength));
    pos = end + 1;
    return true;
}

std::string_view FromFirstNonBlank(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    return line.substr(i);
}

std::string_view TrimBlanksAndCr(std::string_view line)
{
    line = FromFirstNonBlank(line);
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

int32_t TextType(Bytes start)
{
    std::string_view text(reinterpret_cast<const char*>(start.data()), start.size());
    std::size_t pos = 0;
    std::string_view first;
    if (!ReadTextLine(text, pos, first)) return kPictureUnknown;
    std::string_view lead = FromFirstNonBlank(first);
    if (lead.starts_with("IN")) return kPictureHpgl;
    if (lead.starts_with("\x1b%0B")) return kPictureHpgl2;
    if (lead.starts_with("%!PS")) return kPicturePostScript;
    // A DXF file opens with group code 0 on its own line, then SECTION.
    std::string_view second;
    if (TrimBlanksAndCr(first) == "0" && ReadTextLine(text, pos, second) &&
        FromFirstNonBlank(second).starts_with("SECTION"))
        return kPictureDxf;
    return kPictureUnknown;
}

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

int32_t ByteType(Bytes b)
{
    if (U8(b, 0) == 10 && Has(b, 2, 1) && b[2] == 1) return kPicturePcx;
    if (Matches(b, 0, "BM") && Has(b, 6, 4) && U32(b, 6) == 0 && Has(b, 14, 4) && U32(b, 14) != 12)
        return kPictureBmp;
    if ((Has(b, 0, 4) && U32(b, 0) == kPlaceableKey) || Matches(b, 40, " EMF")) return kPictureMetafile;
    // Other raster files by their usual signatures: GIF, and TIFF in either byte order.
    if (Matches(b, 0, "GIF87a") || Matches(b, 0, "GIF89a")) return kPictureGif;
    if (Matches(b, 0, std::string_view("II*\0", 4)) || Matches(b, 0, std::string_view("MM\0*", 4)))
        return kPictureTiff;
    if (Matches(b, 0, "Draw")) return kPictureDraw;
    if (Matches(b, 0, "\x1b[?38h")) return kPictureTektronix;
    if (Matches(b, 0, "\x1b" "E") || Matches(b, 0, "\x1b&a")) return kPicturePcl;
    if (Matches(b, 0, "\x1b@")) return kPictureEscP;
    if (Matches(b, 0, "\x1bU\x01")) return kPictureEscU;
    return kPictureUnknown;
}

// Metafile extents in points: ((far - near) * 72 + 72) / units per inch.
int32_t Points(int64_t nearEdge, int64_t farEdge, int64_t unitsPerInch)
{
    if (unitsPerInch == 0) return 0;
    return static_cast<int32_t>(((farEdge - nearEdge) * 72 + 72) / unitsPerInch);
}

void ReadSizes(Bytes b, PictureInfo& info)
{
    switch (info.type) {
    case kPictureBmp: {
        info.width = S32(b, 18);
        info.height = S32(b, 22);
        info.colours = PowerOfTwo(S16(b, 28));
        uint32_t compression = U32(b, 30);
        info.compressed = (compression == 0 || compression == 3) ? 0 : 1;
        break;
    }
    case kPicturePcx:
        info.width = S16(b, 8) - S16(b, 4) + 1;
        info.height = S16(b, 10) - S16(b, 6) + 1;
        info.colours = PowerOfTwo(int64_t{U8(b, 3)} * U8(b, 65));
        info.compressed = static_cast<int32_t>(U8(b, 1));
        break;
    case kPictureMetafile:
        if (U32(b, 0) == kPlaceableKey) {
            info.width = Points(S16(b, 6), S16(b, 10), U16(b, 14));
            info.height = Points(S16(b, 8), S16(b, 12), U16(b, 14));
        } else {  // frame rectangle in 0.01 mm
            info.width = Points(S32(b, 24), S32(b, 32), 2540);
            info.height = Points(S32(b, 28), S32(b, 36), 2540);
        }
        break;
    case kPictureGif:
        info.width = static_cast<int32_t>(U16(b, 6));
        info.height = static_cast<int32_t>(U16(b, 8));
        // Only a global colour table says how many colours there are.
        if (U8(b, 10) & 0x80) info.colours = PowerOfTwo((U8(b, 10) & 7) + 1);
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------ decoding

constexpr uint32_t kBlack = 0;

bool WithinLimits(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

uint32_t Rgb(uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; }

// Indices beyond the palette give black.
struct Palette {
    std::vector<uint32_t> colours;
    uint32_t operator[](uint32_t index) const { return index < colours.size() ? colours[index] : kBlack; }
};

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
            for (uint32_t i = 0; i < value; ++i)
                put(fourBit ? (data[p + i / 2] >> (i % 2 ? 0 : 4)) & 15 : data[p + i]);
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

// A PCX run-length stream. Runs may cross plane and even scan-line
// boundaries, so a run's remainder carries over to the next line.
class PcxStream {
public:
    explicit PcxStream(Bytes data) : data_(data) {}

    bool ReadLine(std::span<uint8_t> line)
    {
        std::size_t i = 0;
        while (i < line.size()) {
            if (runLeft_ > 0) {
                const std::size_t n = std::min<std::size_t>(runLeft_, line.size() - i);
                std::fill_n(line.begin() + static_cast<std::ptrdiff_t>(i), n, runValue_);
                i += n;
                runLeft_ -= static_cast<uint32_t>(n);
                continue;
            }
            if (pos_ >= data_.size()) return false;
            const uint8_t b = data_[pos_++];
            if ((b & 0xC0) != 0xC0) {
                line[i++] = b;
                continue;
            }
            if (pos_ >= data_.size()) return false;
            runLeft_ = b & 0x3F;
            runValue_ = data_[pos_++];
        }
        return true;
    }

private:
    Bytes data_;
    std::size_t pos_ = 0;
    uint32_t runLeft_ = 0;
    uint8_t runValue_ = 0;
};

constexpr std::size_t kPcxHeaderSize = 128;
constexpr std::size_t kPcxPaletteSize = 769;  // 0x0C and 256 RGB entries

Palette PcxPalette(Bytes file, uint32_t bitsPerPixel, uint32_t planes)
{
    Palette palette;
    if (bitsPerPixel == 8 && planes == 1) {
        palette.colours.resize(256);
        const bool present = file.size() >= kPcxHeaderSize + kPcxPaletteSize &&
                             file[file.size() - kPcxPaletteSize] == 0x0C;
        if (present) {
            const std::size_t at = file.size() - kPcxPaletteSize;
            for (std::size_t i = 0; i < 256; ++i)
                palette.colours[i] = Rgb(file[at + 1 + 3 * i], file[at + 2 + 3 * i], file[at + 3 + 3 * i]);
        } else {
            // No palette at the end: take the picture for a greyscale one.
            for (uint32_t i = 0; i < 256; ++i) palette.colours[i] = Rgb(i, i, i);
        }
    } else if (bitsPerPixel == 1 && planes == 1) {
        // Monochrome headers often hold leftovers in place of a palette.
        palette.colours = {kBlack, 0xFFFFFF};
    } else {
        palette.colours.resize(16);
        for (std::size_t i = 0; i < 16; ++i)
            palette.colours[i] = Rgb(file[16 + 3 * i], file[17 + 3 * i], file[18 + 3 * i]);
    }
    return palette;
}

int32_t ReadPcx(Bytes file, DecodedPicture& out)
{
    if (file.empty()) return kPictureReadError;
    if (file[0] != 10) return kPictureUnsupported;
    if (file.size() < kPcxHeaderSize) return kPictureReadError;
    if (file[2] != 1) return kPictureUnsupported;  // only run-length encoded pictures

    const uint32_t bpp = file[3];
    const uint32_t planes = file[65];
    const uint32_t bytesPerLine = U16(file, 66);
    const int64_t width = int64_t{S16(file, 8)} - S16(file, 4) + 1;
    const int64_t height = int64_t{S16(file, 10)} - S16(file, 6) + 1;
    if (!WithinLimits(width, height)) return kPictureUnsupported;
    const bool drawn = (bpp == 1 && planes >= 1 && planes <= 4) || (bpp == 2 && planes == 1) ||
                       (bpp == 4 && planes == 1) || (bpp == 8 && (planes == 1 || planes == 3));
    if (!drawn) return kPictureUnsupported;
    if (bytesPerLine < (width * bpp + 7) / 8) return kPictureUnsupported;

    // A two-byte run gives at most 63 bytes: data too short for the picture
    // is refused before the picture is allocated.
    const Bytes data = file.subspan(kPcxHeaderSize);
    const std::size_t lineSize = std::size_t{planes} * bytesPerLine;
    if (static_cast<int64_t>(data.size()) * 63 / 2 + 1 < static_cast<int64_t>(lineSize) * height)
        return kPictureReadError;

    const Palette palette = PcxPalette(file, bpp, planes);
    std::vector<uint32_t> pixels(static_cast<std::size_t>(width * height));
    std::vector<uint8_t> line(lineSize);
    PcxStream stream(data);
    for (int64_t y = 0; y < height; ++y) {
        if (!stream.ReadLine(line)) return kPictureReadError;
        uint32_t* dst = pixels.data() + y * width;
        for (int64_t x = 0; x < width; ++x) {
            const std::size_t bit = static_cast<std::size_t>(x);
            switch (bpp) {
            case 1: {
                uint32_t index = 0;
                for (uint32_t k = 0; k < planes; ++k)
                    index |= ((line[k * bytesPerLine + bit / 8] >> (7 - bit % 8)) & 1u) << k;
                dst[x] = palette[index];
                break;
            }
            case 2: dst[x] = palette[(line[bit / 4] >> (6 - 2 * (bit % 4))) & 3]; break;
            case 4: dst[x] = palette[(line[bit / 2] >> (bit % 2 ? 0 : 4)) & 15]; break;
            case 8:
                dst[x] = planes == 1 ? palette[line[bit]]
                                     : Rgb(line[bit], line[bytesPerLine + bit], line[2 * bytesPerLine + bit]);
                break;
            }
        }
    }
    out.width = static_cast<int32_t>(width);
    out.height = static_cast<int32_t>(height);
    out.pixels = std::move(pixels);
    return 0;
}

int32_t Decode(int32_t (*reader)(Bytes, DecodedPicture&), Bytes file, DecodedPicture& out)
{
    out = {};
    DecodedPicture picture;
    const int32_t rc = reader(file, picture);
    if (rc == 0) out = std::move(picture);
    return rc;
}

}  // namespace

PictureInfo RecognisePicture(std::span<const uint8_t> start, uint64_t fileSize)
{
    PictureInfo info;
    if (fileSize < 4) return info;
    // Text rules first, as the first line reads; then the raw header bytes.
    info.type = TextType(start);
    if (info.type == kPictureUnknown) info.type = ByteType(start);
    ReadSizes(start, info);
    return info;
}

bool PictureFileMayBeRead(uint64_t fileSize) { return fileSize <= kMaxPictureFileBytes; }

int32_t DecodeBmp(std::span<const uint8_t> file, DecodedPicture& out) { return Decode(ReadBmp, file, out); }
int32_t DecodePcx(std::span<const uint8_t> file, DecodedPicture& out) { return Decode(ReadPcx, file, out); }
