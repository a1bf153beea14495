// Picture recognition: the type and size of a picture or plot file from its
// first bytes.
#include "graphics/picture_bytes.h"

namespace {

using namespace picture_bytes;

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
    if (Matches(b, 0, "BM") && Has(b, 6, 4) && U32(b, 6) == 0 && Has(b, 14, 4) && U32(b, 14) != 12) return kPictureBmp;
    if ((Has(b, 0, 4) && U32(b, 0) == kPlaceableKey) || Matches(b, 40, " EMF")) return kPictureMetafile;
    // Other raster files by their usual signatures: GIF, and TIFF in either byte order.
    if (Matches(b, 0, "GIF87a") || Matches(b, 0, "GIF89a")) return kPictureGif;
    if (Matches(b, 0, std::string_view("II*\0", 4)) || Matches(b, 0, std::string_view("MM\0*", 4))) return kPictureTiff;
    if (Matches(b, 0, "Draw")) return kPictureDraw;
    if (Matches(b, 0, "\x1b[?38h")) return kPictureTektronix;
    if (Matches(b, 0,
                "\x1b"
                "E") ||
        Matches(b, 0, "\x1b&a"))
        return kPicturePcl;
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
    default: break;
    }
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
