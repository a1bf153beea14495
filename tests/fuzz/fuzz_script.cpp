// The install script is outside input: any bytes, any line lengths, any words. The parser must end, keep every
// setting in its range and tell exactly the failure it returns.
#include <algorithm>

#include "driver/install_state.h"
#include "driver/messages.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_lines.h"
#include "script/script_parser_core.h"

using namespace std;

// Sources hold 70000 bytes (the total soon passes 32 bits); names holding an X are missing.
struct FuzzServices final : ScriptServices {
    int64_t total = 0;
    bool pathsGood = true;  // on the medium, trimmed, within a path's length
    string lastPath, told;
    bool SourceFileSize(string_view path, int64_t& size) override
    {
        pathsGood = pathsGood && path.starts_with("A:\\") && path.size() <= 261 && path.back() != ' ';
        lastPath = path;
        if (path.find('X') != path.npos) return false;
        size = 70000;
        total += size;
        return true;
    }
    void ShowStopMessage(string_view t, string_view c) override { told.append(t).append("|").append(c); }
};

static bool InRange(const ColourTriple& c)
{
    return min({c.red, c.green, c.blue}) >= 0 && max({c.red, c.green, c.blue}) <= 255;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    InstallState& state = TheInstallState() = {
        .sourceDir = {"A:\\"}, .installableDriveCount = 1, .installableDrives = {FixedText<2>("C:")}};
    ResetInstallPlan();
    ResetErrorState();
    string bytes((const char*)data, size);  // a stream over the bytes: a file per input is slow
    FILE* script = fmemopen(bytes.data(), bytes.size(), "r");
    if (script == nullptr) return 0;
    FuzzServices s;
    const bool complete = ParseScript(script, s);
    fclose(script);
    // Only a copy fails here. A subdirectory ends in a backslash unless it fills its field; slot 0 is no page.
    const string missing = Filled(kFileNotFound, {s.lastPath}) + '|' + string(kFileNotFoundCaption);
    const auto& [g, pages] = TheInstallPlan();
    const bool ok = s.pathsGood && s.told == (complete ? "" : missing) && state.bytesDone == s.total &&
                    g.backgroundStyle >= 0 && g.backgroundStyle <= 3 && g.font >= 1 && g.font <= 8 &&
                    InRange(g.titleColour) && InRange(g.startFillColour) && InRange(g.endFillColour) &&
                    (state.installDir.blank() || state.installDir.view().starts_with("C:\\")) &&
                    (state.subDir.blank() || state.subDir.length() == 261 || state.subDir.trimmed().back() == '\\') &&
                    pages[0].title.blank() && pages[0].message.blank() && !pages[0].hasPicture;
    if (!ok) __builtin_trap();
    // The first line's bars, as the pass splits an associate or program line.
    BarFields fields;
    SplitBarFields(ScriptLine(string_view(bytes).substr(0, bytes.find('\n'))), fields, {true, true, true}, 3);
    return 0;
}
