#pragma once
// Picture and plot files: recognition by their first bytes, and decoders for
// the two formats the toolkit draws (Windows bitmaps and PCX). Portable: the
// Win32 side only reads the file and hands the pixels to GDI.

#include <cstdint>
#include <span>
#include <vector>

// Type codes reported by QGrImageType.
enum : int32_t {
    kPictureMissing = -1,  // blank name or no such file (decided by the caller)
    kPictureUnknown = 0,
    kPictureBmp = 1,
    kPicturePcx = 2,
    kPictureMetafile = 3,  // placeable or enhanced
    kPictureHpgl = 4,
    kPictureHpgl2 = 5,  // HP-GL/2 inside PCL
    kPictureGif = 6,
    kPictureTiff = 7,
    kPictureDraw = 8,  // Acorn Draw
    kPictureTektronix = 9,
    kPicturePostScript = 10,
    kPicturePcl = 11,
    kPictureEscP = 12,  // Epson ESC/P
    kPictureEscU = 13,  // printer stream starting with ESC "U" 01
    kPictureDxf = 14,
};

// Error codes of the decoders, as QGrLoadImage raises them.
enum : int32_t {
    kPictureReadError = 2,     // the data ends early
    kPictureUnsupported = 27,  // malformed, or a form that is not drawn
};

// Pictures beyond these are refused rather than allocated.
constexpr int32_t kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 16 * 1024 * 1024;
// Larger files are refused unread: the loader measures a file first.
constexpr uint64_t kMaxPictureFileBytes = 256ull * 1024 * 1024;
bool PictureFileMayBeRead(uint64_t fileSize);

struct PictureInfo {
    int32_t type = 0;
    int32_t width = 0;   // pixels; points (1/72 inch) for metafiles
    int32_t height = 0;  // as stored: negative for a top-down bitmap
    int32_t colours = 0;
    int32_t compressed = 0;  // BMP: 0 or 1; PCX: the version byte
};

// start: the first bytes of the file (up to 512, or all of a shorter file);
// fileSize: the whole file's size. Bytes a rule needs but start lacks make
// that rule fail; header values that start lacks read as 0.
PictureInfo RecognisePicture(std::span<const uint8_t> start, uint64_t fileSize);

struct DecodedPicture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // top row first, each 0x00RRGGBB
};

// 0, kPictureReadError or kPictureUnsupported; on failure out is empty.
int32_t DecodeBmp(std::span<const uint8_t> file, DecodedPicture& out);
int32_t DecodePcx(std::span<const uint8_t> file, DecodedPicture& out);
