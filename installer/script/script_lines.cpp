// Line rules of the install script.
#include "script/script_lines.h"

#include <algorithm>
#include <string>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "utilities/text.h"

namespace {

template <std::size_t N, typename Record, typename Width>
constexpr bool AllWidths(const std::array<Record, N>& table, Width width, std::size_t expected)
{
    for (const Record& r : table)
        if (width(r).size() != expected) return false;
    return true;
}

static_assert(AllWidths(
    kKeywordTable, [](const KeywordRecord& r) { return r.keyword; }, 9));
static_assert(AllWidths(
    kKeywordTable, [](const KeywordRecord& r) { return r.displayName; }, 10));
static_assert(AllWidths(
    kKeywordTable, [](const KeywordRecord& r) { return r.description; }, 16));
static_assert(AllWidths(
    kSectionHeaderTable, [](const SectionHeaderRecord& r) { return r.keyword; }, 12));
static_assert(AllWidths(
    kSectionHeaderTable, [](const SectionHeaderRecord& r) { return r.displayName; }, 12));
static_assert(AllWidths(
    kPageNameTable, [](const PageNameRecord& r) { return r.name; }, 6));
static_assert(AllWidths(
    kPageNameTable, [](const PageNameRecord& r) { return r.displayName; }, 6));
static_assert(AllWidths(
    kPageNameTable, [](const PageNameRecord& r) { return r.caption; }, 16));

constexpr std::string_view kPlaceholder = "<defdir>";

constexpr char LowerLetter(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Position of the first <defdir> at or after from, in any letter case.
std::size_t FindPlaceholder(std::string_view text, std::size_t from)
{
    for (std::size_t i = from; i + kPlaceholder.size() <= text.size(); ++i) {
        std::size_t k = 0;
        while (k < kPlaceholder.size() && LowerLetter(text[i + k]) == kPlaceholder[k]) ++k;
        if (k == kPlaceholder.size()) return i;
    }
    return std::string_view::npos;
}

}  // namespace

int32_t FindKeyword(std::string_view keyword)
{
    std::string_view word = TrimmedText(keyword);
    for (std::size_t i = 0; i < kKeywordTable.size(); ++i)
        if (TrimmedText(kKeywordTable[i].keyword) == word) return static_cast<int32_t>(i + 1);
    return kNotAKeyword;
}

std::size_t PrepareScriptLine(std::span<char> line, std::span<char> keyword)
{
    QStrFirstWord(line, keyword);
    QStrLower(keyword);
    QStrJustify(line, "L");
    return SignificantLength(AsView(line));
}

void ClassifySection(std::string_view keyword, std::string_view rest, int32_t& sectionKind, int32_t& page,
                     bool& continuation)
{
    std::string_view word = TrimmedText(keyword);
    const SectionHeaderRecord* header = nullptr;
    for (const SectionHeaderRecord& r : kSectionHeaderTable) {
        if (TrimmedText(r.keyword) == word) {
            header = &r;
            break;
        }
    }
    if (header == nullptr) return;

    sectionKind = header->kind;
    continuation = false;
    TheInstallState().bannerPath.clear();
    if (header->kind != kSectionPage) return;

    FixedText<261> name(rest);
    QStrLower(name);
    for (std::size_t i = 0; i < kPageNameTable.size(); ++i) {
        if (name.trimmed() == TrimmedText(kPageNameTable[i].name)) {
            page = static_cast<int32_t>(i + 1);
            return;
        }
    }
}

void NextArgument(std::span<char> rest, std::span<char> argument)
{
    if (SignificantLength(AsView(rest)) == 0) {
        FillText(argument, "");
        return;
    }
    QStrJustify(rest, "L");
    if (rest[0] == '"') {
        std::string_view text = AsView(rest);
        std::size_t close = text.find('"', 1);
        if (close != std::string_view::npos) {
            FillText(argument, text.substr(1, close - 1));
            auto after = rest.begin() + static_cast<std::ptrdiff_t>(close + 1);
            auto end = std::copy(after, rest.end(), rest.begin());
            std::fill(end, rest.end(), ' ');
            return;
        }
    }
    QStrFirstWord(rest, argument);
}

void SetSubdirectory(std::string_view directory)
{
    InstallState& state = TheInstallState();
    std::string_view d = TrimmedText(directory);
    if (d.empty()) {
        state.subDir.clear();
    } else {
        std::string sub(d);
        if (sub.back() != '\\') sub.push_back('\\');
        state.subDir.assign(sub);
    }
    std::string target(state.installDir.trimmed());
    target.append(state.subDir.trimmed());
    state.targetDir.assign(target);
}

void SplitBarFields(std::string_view line, BarFields& fields, const std::array<bool, 3>& substitute, int32_t count)
{
    for (FixedText<261>& field : fields) field.clear();
    // Never more fields than there are places for.
    const std::size_t wanted = static_cast<std::size_t>(std::clamp<int32_t>(count, 0, 3));
    if (wanted == 0) return;
    const std::size_t n = SignificantLength(line);
    std::size_t k = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (line[i] != '|') continue;
        fields[k].assign(line.substr(start, i - start));
        QStrJustify(fields[k], "L");
        if (substitute[k]) SubstituteDefdir(fields[k]);
        start = i + 1;
        if (++k == wanted) return;
    }
}

void SubstituteDefdir(std::span<char> text)
{
    std::string_view dir = TheInstallState().installDir.trimmed();
    if (!dir.empty() && dir.back() == '\\') dir.remove_suffix(1);

    // The search goes on after the inserted directory, so a directory that
    // itself holds the placeholder is not expanded again (and again). A blank
    // directory inserts nothing, and the text on either side may join into a
    // new placeholder ("<de" + "fdir>"): the search backs up by the
    // placeholder's length less one instead. That ends too, as each such
    // round takes eight characters out of the text.
    std::size_t from = 0;
    for (;;) {
        std::string_view current = AsView(text);
        std::size_t at = FindPlaceholder(current, from);
        if (at == std::string_view::npos) return;
        std::string replaced(current.substr(0, at));
        replaced.append(dir);
        replaced.append(current.substr(at + kPlaceholder.size()));
        FillText(text, replaced);
        from = dir.empty() ? at - std::min(at, kPlaceholder.size() - 1) : at + dir.size();
    }
}

void ReadColour(std::span<char> rest, int32_t& red, int32_t& green, int32_t& blue)
{
    QErrorInfo(1);
    int32_t values[3] = {};
    for (int32_t& value : values) {
        ScriptArgument word;
        QStrFirstWord(rest, word);
        QStrJustify(rest, "L");
        QStrToInt(word, value);
        if (QErrorInfo(1) != 0 || value < 0 || value > 255) return;
    }
    red = values[0];
    green = values[1];
    blue = values[2];
}
