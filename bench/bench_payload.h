#pragma once
// The payload of the installation benchmarks: a medium of plain binaries and
// compressed text, and the script that installs it.
#include <windows.h>

#include <string>
#include <vector>

#include "lz_compress.h"
#include "robot.h"

namespace {

struct Medium {
    std::vector<std::string> plain, compressed;  // file names on the medium
    std::vector<std::string> expanded;           // the names of the compressed ones once installed
};

std::string TextOf(int seed, std::size_t size)
{
    static const char* const kWords[] = {"install ", "directory ", "the ", "file ",   "setup ", "program ", "of ",
                                         "Windows ", "copy ",      "and ", "log\r\n", "value ", "1999 ",    "to "};
    std::string text;
    unsigned state = static_cast<unsigned>(seed) * 2654435761u + 1;
    while (text.size() < size) {
        state = state * 1103515245u + 12345u;
        text += kWords[(state >> 16) % 14];
    }
    text.resize(size);
    return text;
}

std::string BinaryOf(int seed, std::size_t size)
{
    std::string bytes(size, '\0');
    unsigned state = static_cast<unsigned>(seed) + 7;
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    return bytes;
}

// The files of the medium in `dir`, and as installed in `expandedDir` when
// one is given (what another installer packs itself).
Medium LayOut(const std::string& dir, int files, std::size_t plainBytes, std::size_t textBytes,
              const std::string& expandedDir = {})
{
    Medium m;
    robot::RemoveTree(dir);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int i = 0; i < files; ++i) {
        if (i % 2 == 0) {
            m.plain.push_back("BIN" + std::to_string(i) + ".DAT");
            const std::string bytes = BinaryOf(i, plainBytes);
            robot::WriteFile(dir + "\\" + m.plain.back(), bytes);
            if (!expandedDir.empty()) robot::WriteFile(expandedDir + "\\" + m.plain.back(), bytes);
        } else {
            const LzName name = LzCompressedName("TXT" + std::to_string(i) + ".TXT");
            const std::string text = TextOf(i, textBytes);
            const std::vector<uint8_t> packed =
                CompressLz(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), name.replacedChar);
            m.compressed.push_back(name.name);
            m.expanded.push_back("TXT" + std::to_string(i) + ".TXT");
            robot::WriteFile(dir + "\\" + name.name, std::string(packed.begin(), packed.end()));
            if (!expandedDir.empty()) robot::WriteFile(expandedDir + "\\" + m.expanded.back(), text);
        }
    }
    return m;
}

// Copy lines name their destinations, as scripts usually do.
void WriteScript(const std::string& medium, const std::vector<std::string>& names,
                 const std::vector<std::string>& destinations, const std::string& defdest = "\\BENCHINST")
{
    std::string script = "generalstart\r\ntitle Bench Setup\r\ndefdest " + defdest +
                         "\r\n"
                         "diagstart init\r\ntitle Welcome\r\ndiagstart direct\r\ntitle Directory\r\n"
                         "diagstart finish\r\ntitle Finished\r\nfilestart\r\n";
    for (std::size_t i = 0; i < names.size(); ++i) script += "copy " + names[i] + " " + destinations[i] + "\r\n";
    robot::WriteFile(medium + "\\INSTALL.LST", script);
}

// The floor: the same files copied directly into target, which is left as
// it is: the installation puts all its files in one directory, and each new
// name costs a look through the names already there. Seconds.
}  // namespace
