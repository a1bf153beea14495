#include "picture_writers.h"

namespace pictures {

namespace {

void Put16(std::string& s, int v)
{
    s += static_cast<char>(v & 0xFF);
    s += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& s, int64_t v)
{
    Put16(s, static_cast<int>(v & 0xFFFF));
    Put16(s, static_cast<int>((v >> 16) & 0xFFFF));
}

std::string BmpRow(const Indexed& p, int y, int bits)
{
    std::string row;
    if (bits == 24) {
        for (int x = 0; x < p.width; ++x) {
            Colour c = p.at(x, y);
            row += static_cast<char>(c.blue);
            row += static_cast<char>(c.green);
            row += static_cast<char>(c.red);
        }
    } else {
        const int perByte = 8 / bits;
        for (int x = 0; x < p.width; x += perByte) {
            int byte = 0;
            for (int k = 0; k < perByte; ++k) {
                int index = x + k < p.width ? p.indices[static_cast<std::size_t>(y * p.width + x + k)] : 0;
                byte |= index << (8 - bits * (k + 1));
            }
            row += static_cast<char>(byte);
        }
    }
    while (row.size() % 4) row += '\0';
    return row;
}

}  // namespace

std::string Bmp(const Indexed& p, int bits, bool rle8)
{
    std::string data;
    for (int y = p.height - 1; y >= 0; --y) {  // bottom row first
        if (!rle8) {
            data += BmpRow(p, y, bits);
            continue;
        }
        for (int x = 0; x < p.width;) {
            const uint8_t index = p.indices[static_cast<std::size_t>(y * p.width + x)];
            int run = 1;
            while (x + run < p.width && run < 255 && p.indices[static_cast<std::size_t>(y * p.width + x + run)] == index)
                ++run;
            data += static_cast<char>(run);
            data += static_cast<char>(index);
            x += run;
        }
        data += std::string("\0\0", 2);  // end of line
    }
    if (rle8) data += std::string("\0\1", 2);  // end of picture
    const int paletteEntries = bits == 24 ? 0 : 1 << bits;
    std::string palette;
    for (int i = 0; i < paletteEntries; ++i) {
        Colour c = i < static_cast<int>(p.palette.size()) ? p.palette[static_cast<std::size_t>(i)] : Colour{};
        palette += static_cast<char>(c.blue);
        palette += static_cast<char>(c.green);
        palette += static_cast<char>(c.red);
        palette += '\0';
    }
    const int offset = 14 + 40 + static_cast<int>(palette.size());
    std::string file = "BM";
    Put32(file, offset + static_cast<int64_t>(data.size()));
    Put32(file, 0);
    Put32(file, offset);
    Put32(file, 40);
    Put32(file, p.width);
    Put32(file, p.height);
    Put16(file, 1);
    Put16(file, bits);
    Put32(file, rle8 ? 1 : 0);
    Put32(file, static_cast<int64_t>(data.size()));
    Put32(file, 2835);
    Put32(file, 2835);
    Put32(file, paletteEntries);
    Put32(file, 0);
    return file + palette + data;
}

std::string Pcx(const Indexed& p, int bits)
{
    const int planes = bits == 24 ? 3 : 1;
    const int bytesPerLine = (p.width + 1) & ~1;
    std::string header;
    header += static_cast<char>(10);
    header += static_cast<char>(5);
    header += static_cast<char>(1);
    header += static_cast<char>(8);
    Put16(header, 0);
    Put16(header, 0);
    Put16(header, p.width - 1);
    Put16(header, p.height - 1);
    Put16(header, 72);
    Put16(header, 72);
    header += std::string(48, '\0');
    header += '\0';
    header += static_cast<char>(planes);
    Put16(header, bytesPerLine);
    Put16(header, 1);
    header += std::string(128 - header.size(), '\0');

    std::string data;
    for (int y = 0; y < p.height; ++y) {
        std::string line;
        for (int plane = 0; plane < planes; ++plane) {
            for (int x = 0; x < bytesPerLine; ++x) {
                uint8_t v = 0;
                if (x < p.width) {
                    if (planes == 1) v = p.indices[static_cast<std::size_t>(y * p.width + x)];
                    else {
                        Colour c = p.at(x, y);
                        v = static_cast<uint8_t>(plane == 0 ? c.red : plane == 1 ? c.green : c.blue);
                    }
                }
                line += static_cast<char>(v);
            }
        }
        for (std::size_t i = 0; i < line.size();) {
            std::size_t run = 1;
            while (i + run < line.size() && run < 63 && line[i + run] == line[i]) ++run;
            if (run > 1 || (static_cast<uint8_t>(line[i]) & 0xC0) == 0xC0) data += static_cast<char>(0xC0 | run);
            data += line[i];
            i += run;
        }
    }
    std::string file = header + data;
    if (planes == 1) {
        file += static_cast<char>(12);
        for (int i = 0; i < 256; ++i) {
            Colour c = i < static_cast<int>(p.palette.size()) ? p.palette[static_cast<std::size_t>(i)] : Colour{};
            file += static_cast<char>(c.red);
            file += static_cast<char>(c.green);
            file += static_cast<char>(c.blue);
        }
    }
    return file;
}

}  // namespace pictures
