#include "windows/field_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "utilities/saturate.h"

namespace {

struct SectionName {
    std::string_view name;
    FieldSection section;
    std::size_t numbers;  // values a data line must carry after its id
};

constexpr SectionName kSections[] = {
    {"[Ranges]", FieldSection::Ranges, 2},       {"[Menus]", FieldSection::Menus, 2},
    {"[Checks]", FieldSection::Checks, 1},       {"[Tabs]", FieldSection::Tabs, 2},
    {"[Grids]", FieldSection::Grids, 0},         {"[Colours]", FieldSection::Colours, 6},
    {"[Trackbars]", FieldSection::Trackbars, 5}, {"[Lengths]", FieldSection::Lengths, 1},
};

constexpr std::size_t kItemLength = 1024;
constexpr int32_t kMaxItems = 32767;

std::vector<std::string_view> SplitLines(std::string_view block)
{
    block = block.substr(0, block.find('\0'));
    std::vector<std::string_view> lines;
    while (!block.empty()) {
        std::size_t end = block.find('\n');
        std::string_view line = block.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        block.remove_prefix(end + 1);
    }
    return lines;
}

std::string_view SkipBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    return s;
}

// The blank-separated numbers of a data line, held to the int32 range (every
// field takes them as integers; [Ranges] keeps fractions); false when a word
// is not a number.
bool ReadNumbers(std::string_view s, std::vector<double>& numbers)
{
    for (;;) {
        s = SkipBlanks(s);
        if (s.empty()) return true;
        std::size_t end = s.find_first_of(" \t");
        std::string_view word = s.substr(0, end);
        double value = 0;
        auto [ptr, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
        if (ec != std::errc() || ptr != word.data() + word.size() || !std::isfinite(value)) return false;
        numbers.push_back(std::clamp(value, double{INT32_MIN}, double{INT32_MAX}));
        if (end == std::string_view::npos) return true;
        s.remove_prefix(end);
    }
}

std::string ItemText(std::string_view line)
{
    line = line.substr(0, kItemLength);
    while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
    return std::string(line);
}

}  // namespace

std::vector<FieldInfoLine> ParseFieldInfo(std::string_view block)
{
    std::vector<FieldInfoLine> result;
    const std::vector<std::string_view> lines = SplitLines(block);
    const SectionName* section = nullptr;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = SkipBlanks(lines[i]);
        bool header = false;
        for (const SectionName& s : kSections) {
            if (line.substr(0, s.name.size()) == s.name) {
                section = &s;
                header = true;
                break;
            }
        }
        if (header || !section || line.empty()) continue;

        std::vector<double> numbers;
        if (!ReadNumbers(line, numbers) || numbers.empty()) continue;
        if (section->section == FieldSection::Grids) continue;  // grid fields are not drawn by this toolkit
        if (numbers.size() < 1 + section->numbers) continue;

        FieldInfoLine entry;
        entry.section = section->section;
        entry.id = SaturatingInt32(numbers[0]);
        entry.values.assign(numbers.begin() + 1, numbers.end());
        if (entry.section == FieldSection::Menus || entry.section == FieldSection::Tabs) {
            // n item lines follow the data line, whatever they hold.
            const int32_t count = SaturatingInt32(entry.values[0], 0, kMaxItems);
            for (int32_t k = 0; k < count && i + 1 < lines.size(); ++k) entry.items.push_back(ItemText(lines[++i]));
        }
        result.push_back(std::move(entry));
    }
    return result;
}
