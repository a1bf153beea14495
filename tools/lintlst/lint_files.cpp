#include "lint_files.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <span>
#include <system_error>

#include "graphics/picture_format.h"

namespace fs = std::filesystem;

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

fs::path FindOnDisk(const fs::path& root, const std::string& path, bool directory)
{
    fs::path at = root;
    std::size_t from = 0;
    while (from <= path.size()) {
        const std::size_t end = std::min(path.find('\\', from), path.size());
        const std::string part = path.substr(from, end - from);
        from = end + 1;
        if (part.empty()) continue;
        std::error_code error;
        fs::path found;
        for (const fs::directory_entry& e : fs::directory_iterator(at, error))
            if (SameName(e.path().filename().string(), part)) found = e.path();
        if (found.empty()) return {};
        at = found;
    }
    return (directory ? fs::is_directory(at) : fs::is_regular_file(at)) ? at : fs::path();
}

bool Drawable(const std::vector<uint8_t>& file)
{
    const std::span<const uint8_t> bytes(file);
    const PictureInfo info = RecognisePicture(bytes.first(std::min<std::size_t>(bytes.size(), 512)), bytes.size());
    DecodedPicture decoded;
    if (info.type == kPictureBmp) return DecodeBmp(bytes, decoded) == 0;
    if (info.type == kPicturePcx) return DecodePcx(bytes, decoded) == 0;
    return false;
}

bool ReadWhole(const fs::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

LintFiles FilesBeside(const fs::path& root)
{
    LintFiles files;
    files.exists = [root](const std::string& path) { return !FindOnDisk(root, path).empty(); };
    files.drawable = [root](const std::string& path) {
        std::vector<uint8_t> bytes;
        return ReadWhole(FindOnDisk(root, path), bytes) && Drawable(bytes);
    };
    return files;
}
