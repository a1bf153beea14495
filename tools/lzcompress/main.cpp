// lzcompress FILE... [-d DIR]: writes each file LZ-compressed under the name
// the Windows expansion library turns back into the original (DEMO.EXE ->
// DEMO.EX_), in DIR or beside the file.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "lz_compress.h"

namespace fs = std::filesystem;

namespace {

bool ReadWholeFile(const fs::path& path, std::vector<uint8_t>& bytes, std::string& error)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        error = "is a directory";
        return false;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        error = std::string("cannot open: ") + std::strerror(errno);
        return false;
    }
    const std::streamoff size = in.tellg();
    if (size < 0) {
        error = "cannot read";
        return false;
    }
    if (static_cast<uint64_t>(size) > kLzMaxInputSize) {
        error = "too large: at most " + std::to_string(kLzMaxInputSize) + " bytes can be compressed";
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) {
        error = "cannot read";
        return false;
    }
    return true;
}

// Writes a temporary file beside the target and renames it into place, so an
// interrupted or failed write never leaves a partial file under the final name.
bool WriteFileWhole(const fs::path& target, const std::vector<uint8_t>& bytes, std::string& error)
{
    fs::path temporary = target;
    temporary += ".lztmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            error = "cannot write " + temporary.string();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temporary, target, ec);
    std::error_code ignored;
    if (ec && fs::is_regular_file(target, ignored)) {
        // Some systems refuse to rename over an existing file.
        fs::remove(target, ignored);
        fs::rename(temporary, target, ec);
    }
    if (ec) {
        error = "cannot rename " + temporary.string() + " to " + target.string() + ": " + ec.message();
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool CompressOneFile(const std::string& input, const char* outputDir)
{
    auto report = [&input](const std::string& problem) {
        std::fprintf(stderr, "lzcompress: %s: %s\n", input.c_str(), problem.c_str());
        return false;
    };
    const fs::path inputPath(input);
    LzName name = LzCompressedName(inputPath.filename().string());
    if (!name.error.empty()) return report("cannot derive the compressed name: " + name.error);
    const fs::path target = (outputDir ? fs::path(outputDir) : inputPath.parent_path()) / name.name;

    std::vector<uint8_t> data;
    std::string error;
    if (!ReadWholeFile(inputPath, data, error)) return report(error);
    const std::vector<uint8_t> compressed = CompressLz(data, name.replacedChar);
    if (!WriteFileWhole(target, compressed, error)) return report(error);
    std::printf("%s -> %s (%zu -> %zu bytes)\n", input.c_str(), target.string().c_str(), data.size(),
                compressed.size());
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> inputs;
    const char* outputDir = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-d") == 0) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "lzcompress: -d needs a directory\n");
                return 2;
            }
            outputDir = argv[++i];
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: lzcompress FILE... [-d DIR]\n");
        return 2;
    }
    bool allDone = true;
    for (const std::string& input : inputs) allDone = CompressOneFile(input, outputDir) && allDone;
    return allDone ? 0 : 1;
}
