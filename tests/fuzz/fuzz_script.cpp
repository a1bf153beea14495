// The install script is outside input: any bytes, any line lengths, any words. The parser must end, keep every
// setting in its range and report exactly the failures it returns; the line routines must end too.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"

namespace {

void Check(bool condition) { condition ? void() : __builtin_trap(); }

// Sizes from the name, so a script sees the same size for the same file; names containing an X are missing.
struct FuzzServices final : ScriptServices {
    int64_t total = 0;
    std::string lastPath, told;
    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        Check(!path.empty() && path.size() <= 261 && path.back() != ' ' && path.starts_with("A:\\"));
        lastPath = path;
        if (path.find('X') != std::string_view::npos) return false;
        uint32_t hash = 2166136261u;
        for (char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        total += size = static_cast<int32_t>(hash >> (1 + (hash & 7)));
        return true;
    }
    void ShowStopMessage(std::string_view t, std::string_view c) override { told += std::string(t) + '|' + std::string(c) + ';'; }
};

bool InRange(const ColourTriple& c) { return c.red >= 0 && c.red <= 255 && c.green >= 0 && c.green <= 255 && c.blue >= 0 && c.blue <= 255; }

bool HoldsPlaceholder(std::string_view text)
{
    const std::string_view p = "<defdir>";
    return std::search(text.begin(), text.end(), p.begin(), p.end(), [](char a, char b) { return std::tolower(a) == b; }) != text.end();
}

// The line routines on one line, as the install pass would call them.
void TakeLineApart(std::string_view text)
{
    ScriptLine line(text), rest;
    ScriptKeyword keyword;
    Check(PrepareScriptLine(line, keyword) == line.length() && (line.length() == 0 || line[0] != ' '));
    BarFields fields;
    SplitBarFields(line, fields, {true, true, true}, 3);
    SubstituteDefdir(rest = line);
    // Outside a directory that holds angle brackets itself, no whole placeholder is left.
    if (TheInstallState().installDir.trimmed().find_first_of("<>") == std::string_view::npos)
        for (std::string_view s : {rest.view(), fields[0].view(), fields[1].view(), fields[2].view()}) Check(!HoldsPlaceholder(s));
    int32_t red = -1, green = -1, blue = -1;
    ReadColour(rest = line, red, green, blue);
    Check(red == -1 || InRange({red, green, blue}));
    // Every argument takes at least one character off the rest (a few are enough: each rescans the whole line).
    auto significant = [](std::string_view s) { return std::count_if(s.begin(), s.end(), [](char c) { return !IsPaddingChar(c); }); };
    for (auto [left, taken] = std::pair(significant(line.view()), 0); left > 0 && taken < 8; ++taken) {
        ScriptArgument argument;
        NextArgument(line, argument);
        Check(significant(line.view()) < left);
        left = significant(line.view());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallState& state = TheInstallState() = InstallState{};
    state.sourceDir.assign("A:\\"), state.installableDrives[0].assign("C:"), state.installableDriveCount = 1;
    ResetInstallPlan();
    ResetErrorState();
    std::string bytes(reinterpret_cast<const char*>(data), size);  // a stream over the bytes: a file per input is slow
    std::FILE* script = fmemopen(bytes.data(), bytes.size(), "r");
    if (script == nullptr) return 0;
    FuzzServices services;
    const bool complete = ParseScript(script, services);
    std::fclose(script);

    // Exactly the failures it returns are told, and only a copy fails here.
    Check(services.told == (complete ? "" : "Install file " + services.lastPath + " not found. Abort|File Not Found;"));
    Check(state.bytesDone == services.total && state.progressScale == static_cast<float>(state.bytesDone) / 65535.0f);
    const InstallPlan& plan = TheInstallPlan();
    const GeneralSettings& g = plan.general;
    Check(g.backgroundStyle >= 0 && g.backgroundStyle <= 3 && g.font >= 1 && g.font <= 8);
    Check(InRange(g.titleColour) && InRange(g.startFillColour) && InRange(g.endFillColour));
    Check(plan.pages[0].title.blank() && plan.pages[0].message.blank() && !plan.pages[0].hasPicture);
    for (const PageText& page : plan.pages) Check(page.hasPicture || page.picture.blank());
    Check(state.installDir.blank() || state.installDir.view().starts_with("C:\\"));
    Check(state.subDir.blank() || state.subDir.length() == 261 || state.subDir.trimmed().back() == '\\');

    // The first lines through the routines the install pass shares (fixed fields make every call scan the
    // whole line, so not all of them).
    std::string_view input(bytes);
    for (size_t end = 0, lines = 0; end != std::string_view::npos && lines++ < 4; input.remove_prefix(end + 1))
        TakeLineApart(input.substr(0, end = input.find('\n')));
    return 0;
}
