// The installation's record for the uninstaller: its lines and the
// AUTOEXEC.BAT text taken out again.
#include "system/undo_record.h"

#include <charconv>
#include <vector>

#include "system/system_lines.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::string Escaped(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            out.append("\\\\");
        } else if (byte < 32) {
            out.append("\\x").push_back(kHex[byte >> 4]);
            out.push_back(kHex[byte & 15]);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool Unescaped(std::string_view text, std::string& out)
{
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 1 < text.size() && text[i + 1] == '\\') {
            out.push_back('\\');
            ++i;
            continue;
        }
        if (i + 3 >= text.size() || text[i + 1] != 'x') return false;
        const int high = HexDigit(text[i + 2]), low = HexDigit(text[i + 3]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 3;
    }
    return true;
}

std::string DataField(const RegistryData& data)
{
    return data.present ? std::to_string(data.type) + ":" + Escaped(data.bytes) : "-";
}

bool ParseData(std::string_view field, RegistryData& data)
{
    data = {};
    if (field == "-") return true;
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) return false;
    const auto [end, error] = std::from_chars(field.data(), field.data() + colon, data.type);
    data.present = true;
    return error == std::errc{} && end == field.data() + colon && Unescaped(field.substr(colon + 1), data.bytes);
}

template <typename Number>
bool ParseNumber(std::string_view field, Number& value, int base)
{
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value, base);
    return !field.empty() && error == std::errc{} && end == field.data() + field.size();
}

// The field count each kind of entry has, its letter included.
std::size_t FieldCount(UndoKind kind)
{
    switch (kind) {
    case UndoKind::kDirectory:
    case UndoKind::kReplaced:
    case UndoKind::kSelf:
    case UndoKind::kGroup: return 2;
    case UndoKind::kKey:
    case UndoKind::kAutoexec:
    case UndoKind::kItem: return 3;
    case UndoKind::kFile: return 4;
    case UndoKind::kValue: return 6;
    }
    return 0;
}

// The line of text that starts at position (up to and with its line end).
std::size_t LineEnd(std::string_view text, std::size_t position)
{
    const std::size_t end = text.find('\n', position);
    return end == std::string_view::npos ? text.size() : end + 1;
}

// The first line of text that starts with prefix, from position on.
std::size_t FindLine(std::string_view text, std::string_view prefix, std::size_t position)
{
    for (std::size_t at = position; at < text.size(); at = LineEnd(text, at))
        if (text.substr(at).starts_with(prefix)) return at;
    return std::string_view::npos;
}

}  // namespace

RegistryData StringData(uint32_t type, std::string_view text)
{
    RegistryData data{true, type, std::string(text)};
    data.bytes.push_back('\0');
    return data;
}

UndoEntry MakeUndoEntry(UndoKind kind, std::string path, std::string name, std::string root)
{
    UndoEntry entry;
    entry.kind = kind;
    entry.path = std::move(path);
    entry.name = std::move(name);
    entry.root = std::move(root);
    return entry;
}

std::string FormatUndoEntry(const UndoEntry& e)
{
    std::string line(1, static_cast<char>(e.kind));
    auto add = [&](std::string_view field) { line.append("\t").append(field); };
    switch (e.kind) {
    case UndoKind::kFile: {
        char time[17] = {};
        for (int i = 0; i < 16; ++i) time[i] = kHex[(e.time >> (60 - 4 * i)) & 15];
        add(std::to_string(e.size));
        add(time);
        add(Escaped(e.path));
        break;
    }
    case UndoKind::kKey:
        add(e.root);
        add(Escaped(e.path));
        break;
    case UndoKind::kValue:
        add(e.root);
        add(Escaped(e.path));
        add(Escaped(e.name));
        add(DataField(e.before));
        add(DataField(e.after));
        break;
    case UndoKind::kAutoexec:
    case UndoKind::kItem:
        add(Escaped(e.path));
        add(Escaped(e.name));
        break;
    default: add(Escaped(e.path)); break;
    }
    return line;
}

bool ParseUndoEntry(std::string_view line, UndoEntry& e)
{
    e = {};
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
        const std::size_t tab = line.find('\t', at);
        fields.push_back(line.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) break;
        at = tab + 1;
    }
    if (fields[0].size() != 1) return false;
    e.kind = static_cast<UndoKind>(fields[0][0]);
    if (FieldCount(e.kind) == 0 || fields.size() != FieldCount(e.kind)) return false;
    switch (e.kind) {
    case UndoKind::kFile:
        return ParseNumber(fields[1], e.size, 10) && fields[2].size() == 16 && ParseNumber(fields[2], e.time, 16) &&
               Unescaped(fields[3], e.path) && !e.path.empty();
    case UndoKind::kKey: e.root = fields[1]; return Unescaped(fields[2], e.path) && !e.path.empty();
    case UndoKind::kValue:
        e.root = fields[1];
        return Unescaped(fields[2], e.path) && !e.path.empty() && Unescaped(fields[3], e.name) &&
               ParseData(fields[4], e.before) && ParseData(fields[5], e.after);
    case UndoKind::kAutoexec:
    case UndoKind::kItem: return Unescaped(fields[1], e.path) && Unescaped(fields[2], e.name) && !e.path.empty();
    default: return Unescaped(fields[1], e.path) && !e.path.empty();
    }
}

BlockRemoval RemoveBlock(std::string& autoexec, std::string_view text)
{
    if (const std::size_t at = autoexec.find(text); !text.empty() && at != std::string::npos) {
        autoexec.erase(at, text.size());
        return BlockRemoval::kExact;
    }
    // The markers as they were written: the start one with its date.
    const std::size_t startInText = FindLine(text, "rem Start of variables", 0);
    if (startInText == std::string_view::npos) return BlockRemoval::kMissing;
    std::string_view startMarker = text.substr(startInText, LineEnd(text, startInText) - startInText);
    startMarker = TrimmedText(startMarker.substr(0, startMarker.find_first_of("\r\n")));
    const std::size_t start = FindLine(autoexec, startMarker, 0);
    const std::size_t end = start == std::string::npos ? start : FindLine(autoexec, kEndMarker, start);
    if (end == std::string::npos) return BlockRemoval::kMissing;
    autoexec.erase(start, LineEnd(autoexec, end) - start);
    return BlockRemoval::kBetweenMarkers;
}
