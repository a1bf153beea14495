// The install script is outside input: any bytes, any line lengths, any words. The parser must end, keep every
// setting in its range and report exactly the failures it returns; the line routines must end too.
#include <algorithm>
#include <cctype>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"

static void Check(bool condition) { condition ? void() : __builtin_trap(); }

// Sizes from the name (FNV-1a), so a script sees the same size for the same file; names containing an X are missing.
struct FuzzServices final : ScriptServices {
    int64_t total = 0; std::string lastPath, told;  // the sizes given, the last path sized, the messages shown
    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        Check(!path.empty() && path.size() <= 261 && path.back() != ' ' && path.starts_with("A:\\"));
        uint32_t hash = 2166136261u;
        for (char c : lastPath = path) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        return path.find('X') == std::string_view::npos && (total += size = static_cast<int32_t>(hash >> (1 + (hash & 7))), true);
    }
    void ShowStopMessage(std::string_view t, std::string_view c) override { told += std::string(t) + '|' + std::string(c) + ';'; }
};

static bool InRange(const ColourTriple& c) { return std::min({c.red, c.green, c.blue}) >= 0 && std::max({c.red, c.green, c.blue}) <= 255; }

static bool SameLetter(unsigned char a, char lower) { return std::tolower(a) == lower; }

static bool HoldsPlaceholder(std::string_view s, std::string_view p = "<defdir>") { return std::search(s.begin(), s.end(), p.begin(), p.end(), SameLetter) != s.end(); }

static int64_t Significant(std::string_view s) { s = TrimmedText(s); return std::ssize(s) - std::count(s.begin(), s.end(), ' '); }

// The line routines on one line, as the install pass would call them.
static void TakeLineApart(std::string_view text)
{
    ScriptLine line(text), rest; ScriptKeyword keyword;
    ScriptArgument argument; BarFields fields; ColourTriple colour{-1, -1, -1};
    Check(PrepareScriptLine(line, keyword) == line.length() && (line.length() == 0 || line[0] != ' '));
    SplitBarFields(line, fields, {true, true, true}, 3), SubstituteDefdir(rest = line);
    // Outside a directory that holds angle brackets itself, no whole placeholder is left.
    if (TheInstallState().installDir.trimmed().find_first_of("<>") == std::string_view::npos)
        for (std::string_view s : {rest.view(), fields[0].view(), fields[1].view(), fields[2].view()}) Check(!HoldsPlaceholder(s));
    ReadColour(rest = line, colour.red, colour.green, colour.blue), Check(colour.red == -1 || InRange(colour));
    // Every argument takes at least one character off the rest (a few are enough: each rescans the whole line).
    for (int64_t left = Significant(line.view()), taken = 0; left > 0 && taken < 8; ++taken, left = Significant(line.view()))
        NextArgument(line, argument), Check(Significant(line.view()) < left);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallState& state = TheInstallState() = InstallState{};
    state.sourceDir.assign("A:\\"), state.installableDrives[0].assign("C:"), state.installableDriveCount = 1, ResetInstallPlan(), ResetErrorState();
    std::string bytes(reinterpret_cast<const char*>(data), size);  // a stream over the bytes: a file per input is slow
    std::FILE* script = fmemopen(bytes.data(), bytes.size(), "r");
    if (script == nullptr) return 0;
    FuzzServices services;
    const bool complete = ParseScript(script, services);
    std::fclose(script);

    // Exactly the failures it returns are told, and only a copy fails here.
    Check(services.told == (complete ? "" : "Install file " + services.lastPath + " not found. Abort|File Not Found;") && state.bytesDone == services.total);
    Check(state.progressScale == static_cast<float>(state.bytesDone) / 65535.0f);
    const auto& [g, pages] = TheInstallPlan();
    Check(g.backgroundStyle >= 0 && g.backgroundStyle <= 3 && g.font >= 1 && g.font <= 8 && InRange(g.titleColour) && InRange(g.startFillColour) && InRange(g.endFillColour));
    // Slot 0 is no page; a page has a picture name only with its picture.
    Check(pages[0].title.blank() && pages[0].message.blank() && !pages[0].hasPicture && std::ranges::all_of(pages, [](const PageText& p) { return p.hasPicture || p.picture.blank(); }));
    // The proposed directory on the installable drive; a subdirectory ends in a backslash unless it fills its field.
    Check((state.installDir.blank() || state.installDir.view().starts_with("C:\\")) && (state.subDir.blank() || state.subDir.length() == 261 || state.subDir.trimmed().back() == '\\'));

    // The first lines through the routines the install pass shares (fixed fields make every call scan the
    // whole line, so not all of them).
    for (size_t from = 0, end = 0, lines = 0; end != std::string::npos && lines++ < 4; from = end + 1)
        TakeLineApart(std::string_view(bytes).substr(from, (end = bytes.find('\n', from)) - from));  // to the end when no LF is left
    return 0;
}
