// The PCX decoder: run-length encoded planes, palettes of 16 and 256 colours.
#include "graphics/picture_bytes.h"

namespace {

using namespace picture_bytes;

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
        const bool present =
            file.size() >= kPcxHeaderSize + kPcxPaletteSize && file[file.size() - kPcxPaletteSize] == 0x0C;
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

}  // namespace

int32_t DecodePcx(std::span<const uint8_t> file, DecodedPicture& out) { return Decode(ReadPcx, file, out); }
