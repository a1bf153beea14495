// The install script is outside input: any bytes, any line lengths, any
// words. The parser must end, keep every setting in its range and report
// exactly the failures it returns; the line routines must end too.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"

namespace {

void Check(bool condition)
{
    if (!condition) __builtin_trap();
}

// Sizes from the name, so a script sees the same size for the same file;
// names containing an X are missing.
struct FuzzServices final : ScriptServices {
    uint32_t total = 0;
    std::string lastPath;
    int messages = 0;
    std::string text, caption;

    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        Check(!path.empty() && path.size() <= 261 && path.back() != ' ');
        Check(path.substr(0, 3) == "A:\\");
        lastPath = path;
        if (path.find('X') != std::string_view::npos) return false;
        uint32_t hash = 2166136261u;
        for (char c : path) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        size = static_cast<int32_t>(hash >> (hash & 7));
        total += static_cast<uint32_t>(size);
        return true;
    }
    void ShowStopMessage(std::string_view t, std::string_view c) override
    {
        ++messages;
        text = t;
        caption = c;
    }
};

bool InRange(const ColourTriple& c)
{
    auto ok = [](int32_t v) { return v >= 0 && v <= 255; };
    return ok(c.red) && ok(c.green) && ok(c.blue);
}

bool HoldsPlaceholder(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower.find("<defdir>") != std::string::npos;
}

std::size_t Significant(std::string_view text)
{
    std::size_t n = 0;
    for (char c : text) n += IsPaddingChar(c) ? 0 : 1;
    return n;
}

// The line routines on one line, as the install pass would call them.
void TakeLineApart(std::string_view text)
{
    ScriptLine line(text);
    ScriptKeyword keyword;
    const std::size_t restLength = PrepareScriptLine(line, keyword);
    Check(restLength == line.length());
    Check(line.length() == 0 || line[0] != ' ');

    BarFields fields;
    SplitBarFields(line, fields, {true, true, true}, 3);

    ScriptLine substituted = line;
    SubstituteDefdir(substituted);
    // Outside a directory that holds angle brackets itself, no whole
    // placeholder is left.
    std::string_view dir = TheInstallState().installDir.trimmed();
    if (dir.find_first_of("<>") == std::string_view::npos) {
        Check(!HoldsPlaceholder(substituted.view()));
        for (const FixedText<261>& field : fields) Check(!HoldsPlaceholder(field.view()));
    }

    ScriptLine rest = line;
    int32_t red = -1, green = -1, blue = -1;
    ReadColour(rest, red, green, blue);
    Check(red == -1 || (red >= 0 && red <= 255 && green >= 0 && green <= 255 && blue >= 0 && blue <= 255));

    // Every argument takes at least one character off the rest. (A few are
    // enough: each call rescans the whole line.)
    std::size_t left = Significant(line.view());
    for (int taken = 0; left > 0 && taken < 8; ++taken) {
        ScriptArgument argument;
        NextArgument(line, argument);
        const std::size_t now = Significant(line.view());
        Check(now < left);
        left = now;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view input(reinterpret_cast<const char*>(data), size);
    TheInstallState() = InstallState{};
    InstallState& state = TheInstallState();
    state.sourceDir.assign("A:\\");
    state.installableDrives[0].assign("C:");
    state.installableDriveCount = 1;
    ResetInstallPlan();
    ResetErrorState();

    // A stream over the bytes themselves: a file per input would be slow.
    std::string bytes(input);
    std::FILE* script = fmemopen(bytes.data(), bytes.size(), "r");
    if (script == nullptr) return 0;
    FuzzServices services;
    const bool complete = ParseScript(script, services);
    std::fclose(script);

    // Exactly the failures it returns are told, and only a copy fails here.
    Check(services.messages == (complete ? 0 : 1));
    if (!complete) {
        Check(services.caption == "File Not Found");
        Check(services.text == "Install file " + services.lastPath + " not found. Abort");
    }
    Check(state.bytesDone == static_cast<int32_t>(services.total));
    Check(state.progressScale == static_cast<float>(state.bytesDone) / 65535.0f);

    const InstallPlan& plan = TheInstallPlan();
    Check(plan.general.backgroundStyle >= 0 && plan.general.backgroundStyle <= 3);
    Check(plan.general.font >= 1 && plan.general.font <= 8);
    Check(InRange(plan.general.titleColour) && InRange(plan.general.startFillColour) &&
          InRange(plan.general.endFillColour));
    Check(plan.pages[0].title.blank() && plan.pages[0].message.blank() && !plan.pages[0].hasPicture);
    for (const PageText& page : plan.pages)
        if (!page.hasPicture) Check(page.picture.blank());
    Check(state.installDir.blank() || state.installDir.view().substr(0, 3) == "C:\\");
    Check(state.subDir.blank() || state.subDir.length() == 261 || state.subDir.trimmed().back() == '\\');

    // The first lines through the routines the install pass shares (fixed
    // fields make every call scan the whole line, so not all of them).
    int lines = 0;
    while (!input.empty() && lines++ < 4) {
        const std::size_t end = input.find('\n');
        TakeLineApart(input.substr(0, end));
        if (end == std::string_view::npos) break;
        input.remove_prefix(end + 1);
    }
    return 0;
}
