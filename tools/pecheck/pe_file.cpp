#include "pe_file.h"

#include <algorithm>
#include <utility>

namespace {

// Bounds-checked little-endian reads; a read out of bounds marks the whole
// view bad and gives 0, so a parse can check once after a group of reads.
class View {
public:
    explicit View(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint32_t U32(uint64_t at) { return Get(at, 4); }
    uint16_t U16(uint64_t at) { return static_cast<uint16_t>(Get(at, 2)); }
    uint64_t U64(uint64_t at) { return Get(at, 4) | (uint64_t{Get(at + 4, 4)} << 32); }
    bool Has(uint64_t at, uint64_t n) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
    // A zero-terminated text of at most `limit` characters.
    bool Text(uint64_t at, std::string& out, std::size_t limit = 512)
    {
        out.clear();
        for (std::size_t i = 0; i < limit; ++i) {
            if (!Has(at + i, 1)) break;
            const char c = static_cast<char>(bytes_[at + i]);
            if (c == '\0') return true;
            out += c;
        }
        bad_ = true;  // no end, or none before the limit
        return false;
    }
    bool bad() const { return bad_; }

private:
    uint32_t Get(uint64_t at, int n)
    {
        if (!Has(at, static_cast<uint64_t>(n))) {
            bad_ = true;
            return 0;
        }
        uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | bytes_[at + static_cast<uint64_t>(i)];
        return v;
    }

    std::span<const uint8_t> bytes_;
    bool bad_ = false;
};

struct Section {
    uint32_t address, size, rawOffset, rawSize;
};

class Image {
public:
    Image(View& view, std::vector<Section> sections, uint64_t imageBase)
        : view_(view), sections_(std::move(sections)), imageBase_(imageBase)
    {
    }

    // The file offset of a relative address, or false when no section holds it.
    bool Offset(uint64_t rva, uint64_t& offset) const
    {
        for (const Section& s : sections_) {
            const uint64_t extent = std::max(s.size, s.rawSize);
            if (rva >= s.address && rva < uint64_t{s.address} + extent && rva - s.address < s.rawSize) {
                offset = s.rawOffset + (rva - s.address);
                return true;
            }
        }
        return false;
    }
    bool OffsetOfAddress(uint64_t va, uint64_t& offset) const
    {
        return va >= imageBase_ && Offset(va - imageBase_, offset);
    }
    View& view() { return view_; }

private:
    View& view_;
    std::vector<Section> sections_;
    uint64_t imageBase_;
};

bool Fail(std::string& error, std::string what)
{
    error = std::move(what);
    return false;
}

constexpr uint32_t kMaxEntries = 65536;  // more imports or call-backs than any real program has

// One thunk table: names or ordinals until a zero entry.
bool ReadThunks(Image& image, uint64_t tableRva, const std::string& dll, bool pe32Plus, bool delayed,
                std::vector<PeImport>& out, std::string& error)
{
    uint64_t at = 0;
    if (!image.Offset(tableRva, at)) return Fail(error, "the import names of " + dll + " lie outside the file");
    View& v = image.view();
    const unsigned width = pe32Plus ? 8 : 4;
    for (uint32_t i = 0;; ++i) {
        if (i == kMaxEntries) return Fail(error, "the import list of " + dll + " does not end");
        const uint64_t entry = pe32Plus ? v.U64(at + uint64_t{i} * width) : v.U32(at + uint64_t{i} * width);
        if (v.bad()) return Fail(error, "the import list of " + dll + " is cut off");
        if (entry == 0) return true;
        const uint64_t ordinalFlag = pe32Plus ? (uint64_t{1} << 63) : (uint64_t{1} << 31);
        PeImport import{dll, "", 0, delayed};
        if (entry & ordinalFlag) {
            import.ordinal = static_cast<uint16_t>(entry & 0xFFFF);
        } else {
            uint64_t hint = 0;
            if (!image.Offset(entry & 0x7FFFFFFF, hint) || !v.Text(hint + 2, import.name))
                return Fail(error, "an import name of " + dll + " lies outside the file");
            if (import.name.empty()) return Fail(error, "an import of " + dll + " has an empty name");
        }
        out.push_back(std::move(import));
    }
}

bool ReadImports(Image& image, uint32_t rva, uint32_t size, bool pe32Plus, PeFile& pe, std::string& error)
{
    if (rva == 0 || size == 0) return true;
    uint64_t at = 0;
    if (!image.Offset(rva, at)) return Fail(error, "the import table lies outside the file");
    View& v = image.view();
    for (uint32_t i = 0;; ++i, at += 20) {
        if (i == kMaxEntries) return Fail(error, "the import table does not end");
        const uint32_t lookup = v.U32(at), nameRva = v.U32(at + 12), addresses = v.U32(at + 16);
        if (v.bad()) return Fail(error, "the import table is cut off");
        if (nameRva == 0 && addresses == 0) return true;
        uint64_t nameAt = 0;
        std::string dll;
        if (!image.Offset(nameRva, nameAt) || !v.Text(nameAt, dll) || dll.empty())
            return Fail(error, "a DLL name of the import table lies outside the file");
        if (!ReadThunks(image, lookup ? lookup : addresses, dll, pe32Plus, false, pe.imports, error)) return false;
    }
}

bool ReadDelayImports(Image& image, uint32_t rva, uint32_t size, uint64_t imageBase, bool pe32Plus, PeFile& pe,
                      std::string& error)
{
    if (rva == 0 || size == 0) return true;
    uint64_t at = 0;
    if (!image.Offset(rva, at)) return Fail(error, "the delay-load table lies outside the file");
    View& v = image.view();
    for (uint32_t i = 0;; ++i, at += 32) {
        if (i == kMaxEntries) return Fail(error, "the delay-load table does not end");
        const uint32_t attributes = v.U32(at), nameField = v.U32(at + 4), namesField = v.U32(at + 16);
        if (v.bad()) return Fail(error, "the delay-load table is cut off");
        if (nameField == 0) return true;
        // Old linkers wrote addresses, newer ones relative addresses (attribute bit 0).
        const uint64_t base = (attributes & 1) ? 0 : imageBase;
        if (nameField < base || namesField < base) return Fail(error, "a delay-load entry names no address");
        uint64_t nameAt = 0;
        std::string dll;
        if (!image.Offset(nameField - base, nameAt) || !v.Text(nameAt, dll) || dll.empty())
            return Fail(error, "a DLL name of the delay-load table lies outside the file");
        if (!ReadThunks(image, namesField - base, dll, pe32Plus, true, pe.imports, error)) return false;
    }
}

bool CountTlsCallbacks(Image& image, uint32_t rva, uint32_t size, bool pe32Plus, PeFile& pe, std::string& error)
{
    if (rva == 0 || size == 0) return true;
    uint64_t at = 0;
    if (!image.Offset(rva, at)) return Fail(error, "the thread-local storage directory lies outside the file");
    View& v = image.view();
    const uint64_t list = pe32Plus ? v.U64(at + 24) : v.U32(at + 12);
    if (v.bad()) return Fail(error, "the thread-local storage directory is cut off");
    if (list == 0) return true;
    uint64_t listAt = 0;
    if (!image.OffsetOfAddress(list, listAt)) return Fail(error, "the call-back list lies outside the file");
    const unsigned width = pe32Plus ? 8 : 4;
    for (uint32_t i = 0;; ++i) {
        if (i == kMaxEntries) return Fail(error, "the call-back list does not end");
        const uint64_t callback = pe32Plus ? v.U64(listAt + uint64_t{i} * width) : v.U32(listAt + uint64_t{i} * width);
        if (v.bad()) return Fail(error, "the call-back list is cut off");
        if (callback == 0) return true;
        ++pe.tlsCallbacks;
    }
}

}  // namespace

bool ReadPeFile(std::span<const uint8_t> bytes, PeFile& pe, std::string& error)
{
    pe = PeFile{};
    View v(bytes);
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z')
        return Fail(error, "not a program file (no MZ header)");
    const uint32_t header = v.U32(0x3C);
    if (!v.Has(header, 24) || v.U32(header) != 0x00004550)
        return Fail(error, "not a Win32 program file (no PE header)");
    pe.machine = v.U16(header + 4);
    const uint16_t sectionCount = v.U16(header + 6);
    const uint16_t optionalSize = v.U16(header + 20);
    const uint16_t characteristics = v.U16(header + 22);
    pe.relocationsStripped = (characteristics & 0x0001) != 0;
    const uint64_t optional = uint64_t{header} + 24;
    const uint16_t magic = v.U16(optional);
    if (v.bad() || (magic != 0x10B && magic != 0x20B)) return Fail(error, "the optional header is missing or unknown");
    pe.pe32Plus = magic == 0x20B;
    const uint64_t imageBase = pe.pe32Plus ? v.U64(optional + 24) : v.U32(optional + 28);
    pe.osMajor = v.U16(optional + 40);
    pe.osMinor = v.U16(optional + 42);
    pe.subsystemMajor = v.U16(optional + 48);
    pe.subsystemMinor = v.U16(optional + 50);
    pe.subsystem = v.U16(optional + 68);
    const uint64_t directories = optional + (pe.pe32Plus ? 112 : 96);
    const uint32_t directoryCount = v.U32(directories - 4);
    if (v.bad() || optionalSize < directories - optional) return Fail(error, "the optional header is cut off");
    auto directory = [&](uint32_t index, uint32_t& rva, uint32_t& size) {
        rva = size = 0;
        if (index >= directoryCount || (index + 1) * 8 > optionalSize - (directories - optional)) return;
        rva = v.U32(directories + index * 8);
        size = v.U32(directories + index * 8 + 4);
    };
    std::vector<Section> sections;
    const uint64_t table = optional + optionalSize;
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t s = table + uint64_t{i} * 40;
        sections.push_back({v.U32(s + 12), v.U32(s + 8), v.U32(s + 20), v.U32(s + 16)});
        if (v.bad()) return Fail(error, "the section table is cut off");
        Section& last = sections.back();
        if (last.rawSize > 0 && !v.Has(last.rawOffset, last.rawSize))
            last.rawSize = v.Has(last.rawOffset, 0) ? static_cast<uint32_t>(bytes.size() - last.rawOffset) : 0;
    }
    Image image(v, std::move(sections), imageBase);
    uint32_t rva = 0, size = 0;
    directory(5, rva, size);
    pe.relocationBytes = rva ? size : 0;
    directory(1, rva, size);
    if (!ReadImports(image, rva, size, pe.pe32Plus, pe, error)) return false;
    directory(13, rva, size);
    if (!ReadDelayImports(image, rva, size, imageBase, pe.pe32Plus, pe, error)) return false;
    directory(9, rva, size);
    if (!CountTlsCallbacks(image, rva, size, pe.pe32Plus, pe, error)) return false;
    if (v.bad()) return Fail(error, "the file is cut off");
    return true;
}
