// Picture files on the drawing surface: recognition from the file's first
// bytes, and BMP and PCX pictures stretched into the current area.
#include <windows.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "errors/errors.h"
#include "graphics/graphics.h"
#include "graphics/graphics_state.h"
#include "graphics/picture_format.h"
#include "graphics/surface.h"
#include "utilities/fixed_text.h"
#include "utilities/later_calls.h"
#include "utilities/os.h"
#include "utilities/win_handles.h"
#include "windows/gdi_objects.h"

namespace {

constexpr DWORD kRecognitionBytes = 512;

struct PictureFile {
    bool exists = false;
    std::vector<uint8_t> bytes;  // the start, or the whole file
    int64_t size = 0;
};

// Reads up to limit bytes. Missing files and blank names are not errors
// (the type says so); a file that is there but cannot be read is.
bool ReadPictureFile(std::string_view name, int64_t limit, PictureFile& file)
{
    std::string path;
    if (SignificantLength(name) == 0 || !SystemPath(name, path)) return true;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
    file.exists = true;
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!h.valid()) {
        RaiseFileError(kErrorOpen, GetLastError());
        return false;
    }
    uint64_t size = 0;
    if (!FileSizeOf(h.get(), size)) {
        RaiseFileError(kErrorReadWrite, GetLastError());
        return false;
    }
    file.size = static_cast<int64_t>(size);
    // A file too large to load is not read whole: its first bytes still give its type.
    if (!PictureFileMayBeRead(static_cast<uint64_t>(file.size))) limit = std::min<int64_t>(limit, kRecognitionBytes);
    try {
        file.bytes.resize(static_cast<std::size_t>(std::min(file.size, limit)));
    } catch (const std::bad_alloc&) {  // a 32-bit process may not find room; no exception leaves an operation
        RaiseFileError(kErrorReadWrite, ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    DWORD done = 0;
    std::size_t at = 0;
    while (at < file.bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(file.bytes.size() - at, 1u << 24));
        if (!ReadFile(h.get(), file.bytes.data() + at, chunk, &done, nullptr)) {
            RaiseFileError(kErrorReadWrite, GetLastError());
            return false;
        }
        if (done == 0) break;
        at += done;
    }
    file.bytes.resize(at);
    return true;
}

PictureInfo Recognise(const PictureFile& file)
{
    if (!file.exists) return {kPictureMissing};
    return RecognisePicture(file.bytes, static_cast<uint64_t>(file.size));
}

void DrawPicture(const DecodedPicture& picture)
{
    HDC dc;
    int32_t width, height;
    if (!DrawingSurface(dc, width, height)) return;
    const PixelRect area = AreaPixels(TheGraphicsState(), width, height);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    const SavedDC saved(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, 0, 0, picture.width,
                  picture.height, picture.pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
    ShowSurface(area);
}

}  // namespace

void QGrImageType(std::string_view fileName, std::span<int32_t> info, int32_t count)
{
    PictureFile file;
    PictureInfo recognised{kPictureUnknown};
    if (ReadPictureFile(fileName, kRecognitionBytes, file)) recognised = Recognise(file);
    const int32_t values[] = {recognised.type, recognised.width, recognised.height, recognised.colours,
                              recognised.compressed};
    const std::size_t wanted = std::min<std::size_t>({static_cast<std::size_t>(std::max(count, 1)), info.size(), 5});
    std::copy_n(values, wanted, info.begin());
}

void QGrLoadImage(std::string_view fileName, int32_t)
{
    PictureFile file;
    if (!ReadPictureFile(fileName, kMaxPictureFileBytes, file)) return;
    const PictureInfo recognised = Recognise(file);
    if (recognised.type == kPictureMissing) {
        RaiseFileError(kErrorOpen, ERROR_FILE_NOT_FOUND);
        return;
    }
    if (recognised.type != kPictureBmp && recognised.type != kPicturePcx) {
        RaiseError(kErrorImageFile);
        return;
    }
    if (!PictureFileMayBeRead(static_cast<uint64_t>(file.size))) {
        RaiseError(kErrorImageFile);
        return;
    }
    DecodedPicture picture;
    int32_t code = kPictureUnsupported;
    try {
        code = recognised.type == kPictureBmp ? DecodeBmp(file.bytes, picture) : DecodePcx(file.bytes, picture);
    } catch (const std::bad_alloc&) {  // pixels within the limits, but no room for them
    }
    if (code == kPictureReadError) {
        RaiseFileError(kErrorReadWrite, ERROR_HANDLE_EOF);
        return;
    }
    if (code != 0) {
        RaiseError(code);
        return;
    }
    DrawPicture(picture);
}
