// The LZ compressor beside Debian's mscompress, on the same files in the same
// run: text, a program, gzip data, an empty file, one repeated byte and
// random bytes. Prints both sizes and times per file and in total; each time
// is the best of several runs, since other work on the machine only adds (on
// a shared machine three runs of a few milliseconds often find no quiet
// moment).
//   lz_bench [KIB [RUNS]]    KIB: size of the larger files (default 256),
//                            RUNS: runs of each compressor per file (default 10)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "lz_compress.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    Bytes bytes(static_cast<std::size_t>(std::max<std::streamoff>(in.tellg(), 0)));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteBytes(const fs::path& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Prose-like lines: words drawn with a skew towards the common ones.
Bytes MakeText(std::size_t size, std::mt19937& rng)
{
    static const char* const words[] = {"the",     "of",        "and",     "to",      "in",     "setup",    "file",
                                        "is",      "directory", "install", "program", "for",    "disk",     "your",
                                        "windows", "copy",      "please",  "insert",  "press",  "continue", "with",
                                        "drive",   "version",   "config",  "memory",  "system", "readme",   "manual",
                                        "license", "update",    "printer"};
    std::string text;
    std::size_t column = 0;
    while (text.size() < size) {
        std::size_t pick = rng() % std::size(words);
        pick = pick * pick / std::size(words);
        text += words[pick];
        column += 1 + std::string(words[pick]).size();
        if (rng() % 17 == 0) text += " " + std::to_string(rng() % 1000);
        text += column > 64 ? "\r\n" : " ";
        if (column > 64) column = 0;
    }
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

struct Row {
    std::string name;
    std::size_t size = 0, ours = 0, theirs = 0;
    double oursSeconds = 0, theirsSeconds = 0;
};

void PrintRow(const Row& r, bool withTheirs)
{
    std::printf("%-14s %9zu %9zu %9.4f", r.name.c_str(), r.size, r.ours, r.oursSeconds);
    if (withTheirs)
        std::printf(" %11zu %9.4f %8.3f %8.1f", r.theirs, r.theirsSeconds,
                    r.theirs ? static_cast<double>(r.ours) / static_cast<double>(r.theirs) : 0.0,
                    r.oursSeconds > 0 ? r.theirsSeconds / r.oursSeconds : 0.0);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const std::size_t size = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 256) * 1024;
    const int runs = std::max(1, argc > 2 ? std::atoi(argv[2]) : 10);
    const fs::path dir = fs::temp_directory_path() / ("lz_bench." + std::to_string(std::random_device{}()));
    fs::create_directories(dir / "ours");
    fs::create_directories(dir / "ms");
    std::mt19937 rng(1995);

    Bytes program = ReadBytes("/proc/self/exe");
    if (program.size() > 2 * size) program.resize(2 * size);
    Bytes random(size);
    for (uint8_t& b : random) b = static_cast<uint8_t>(rng());
    const std::vector<std::pair<std::string, Bytes>> files = {{"readme.txt", MakeText(size, rng)},
                                                              {"program.exe", program},
                                                              {"empty.dat", {}},
                                                              {"repeated.dat", Bytes(size, 0xAA)},
                                                              {"random.dat", random}};
    for (const auto& [name, bytes] : files) WriteBytes(dir / name, bytes);
    std::vector<std::string> names;
    for (const auto& file : files) names.push_back(file.first);
    const std::string gzip =
        "gzip -9 -c '" + (dir / "readme.txt").string() + "' > '" + (dir / "readme.gz").string() + "'";
    if (std::system(gzip.c_str()) == 0) names.insert(names.begin() + 1, "readme.gz");

    const bool haveMs = std::system("command -v mscompress >/dev/null 2>&1") == 0;
    if (!haveMs) std::printf("mscompress is not installed: showing our compressor alone\n");
    std::printf("%-14s %9s %9s %9s", "file", "bytes", "ours", "ours s");
    if (haveMs) std::printf(" %11s %9s %8s %8s", "mscompress", "ms s", "size", "speed-up");
    std::printf("\n");

    Row total{"total"};
    bool allExpand = true;
    for (const std::string& name : names) {
        Row row{name};
        Bytes data, packed;
        row.oursSeconds = row.theirsSeconds = 1e9;
        for (int run = 0; run < runs; ++run) {
            const double start = SecondsNow();
            data = ReadBytes(dir / name);
            packed = CompressLz(data, LzCompressedName(name).replacedChar);
            WriteBytes(dir / "ours" / LzCompressedName(name).name, packed);
            row.oursSeconds = std::min(row.oursSeconds, SecondsNow() - start);
        }
        row.size = data.size();
        row.ours = packed.size();
        if (ExpandLz(packed).data != data) {
            std::printf("%s: our file does not expand to the input\n", name.c_str());
            allExpand = false;
        }
        if (haveMs) {
            fs::copy_file(dir / name, dir / "ms" / name, fs::copy_options::overwrite_existing);
            const std::string command = "mscompress '" + (dir / "ms" / name).string() + "'";
            const fs::path out = dir / "ms" / (name + "_");
            for (int run = 0; run < runs; ++run) {
                fs::remove(out);
                const double start = SecondsNow();
                const int status = std::system(command.c_str());
                row.theirsSeconds = std::min(row.theirsSeconds, SecondsNow() - start);
                row.theirs = status == 0 && fs::exists(out) ? fs::file_size(out) : 0;
            }
        }
        PrintRow(row, haveMs);
        total.size += row.size, total.ours += row.ours, total.theirs += row.theirs;
        total.oursSeconds += row.oursSeconds, total.theirsSeconds += row.theirsSeconds;
    }
    PrintRow(total, haveMs);
    std::printf(
        "size: ours/mscompress (below 1 is smaller); speed-up: mscompress time / ours, "
        "ours in process, mscompress including its process start\n");
    fs::remove_all(dir);
    return allExpand ? 0 : 1;
}
