#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "driver/install_state.h"
#include "errors/errors.h"
#include "script/install_plan.h"
#include "script/script_parser_core.h"
#include "script/script_reader.h"

namespace {

std::FILE* ScriptFile(const std::string& bytes)
{
    std::FILE* file = std::tmpfile();
    if (file != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::rewind(file);
    }
    return file;
}

std::string Lines(const std::vector<std::string>& lines, const char* end = "\r\n")
{
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

// Copy sources hold 10 bytes unless sized otherwise; names with MISSING do not exist.
struct FakeServices final : ScriptServices {
    std::map<std::string, int32_t, std::less<>> sizes;
    std::vector<std::string> sized, messages;

    bool SourceFileSize(std::string_view path, int64_t& size) override
    {
        sized.emplace_back(path);
        if (path.find("MISSING") != std::string_view::npos) return false;
        auto found = sizes.find(path);
        size = found == sizes.end() ? 10 : found->second;
        return true;
    }
    void ShowStopMessage(std::string_view text, std::string_view caption) override
    {
        messages.push_back(std::string(text) + '|' + std::string(caption));
    }
};

class ScriptParserTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        state = InstallState{};
        ResetInstallPlan();
        ResetErrorState();
    }

    // Parses from a fresh plan, with a byte total and a picture path left
    // from before, and lists every outcome that differs from the defaults.
    std::string Run(std::FILE* file)
    {
        TearDown();
        services.sized.clear();
        services.messages.clear();
        state.sourceDir.assign("A:\\");
        state.installableDrives[0].assign(firstDrive);
        state.bytesDone = 77;
        state.bannerPath.assign("OLD.BMP");
        if (file == nullptr) return "no file";
        const bool complete = ParseScript(file, services);
        std::fclose(file);
        EXPECT_FLOAT_EQ(state.progressScale, static_cast<float>(state.bytesDone / 65535.0));
        return Outcome(complete);
    }
    std::string Parse(const std::string& script) { return Run(ScriptFile(script)); }

    std::string Outcome(bool complete)
    {
        const GeneralSettings& g = plan.general;
        std::string out = complete ? "" : "FAILED;";
        auto add = [&out](bool changed, const std::string& name, const std::string& value) {
            if (changed) out += name + '=' + value + ';';
        };
        auto rgb = [&add](const char* name, const ColourTriple& c, const ColourTriple& initial) {
            add(!(c == initial), name,
                std::to_string(c.red) + ',' + std::to_string(c.green) + ',' + std::to_string(c.blue));
        };
        add(!state.generalTitle.blank(), "title", state.generalTitle.str());
        add(!g.message.blank(), "message", g.message.str());
        add(g.backgroundStyle != 1, "backgrnd", std::to_string(g.backgroundStyle));
        add(g.font != 5, "font", std::to_string(g.font));
        rgb("colour", g.titleColour, {255, 255, 255});
        rgb("sfillcol", g.startFillColour, {0, 0, 75});
        rgb("efillcol", g.endFillColour, {0, 0, 255});
        add(!state.installDir.blank(), "defdest", state.installDir.str());
        for (std::size_t n = 0; n <= 5; ++n) {  // slot 0 is no page: nothing may land there
            const std::string p = 'p' + std::to_string(n) + '.';
            add(!plan.pages[n].title.blank(), p + "title", plan.pages[n].title.str());
            add(!plan.pages[n].message.blank(), p + "message", plan.pages[n].message.str());
            add(plan.pages[n].hasPicture, p + "banner", plan.pages[n].picture.str());
        }
        add(state.bytesDone != 0, "bytes", std::to_string(state.bytesDone));
        for (const std::string& path : services.sized) add(true, "sized", path);
        add(!state.subDir.blank(), "subdir", state.subDir.str());
        add(!state.targetDir.blank(), "target", state.targetDir.str());
        add(!state.bannerPath.blank(), "bannerPath", state.bannerPath.str());
        for (const std::string& message : services.messages) add(true, "box", message);
        return out;
    }

    FakeServices services;
    std::string firstDrive = "C:";
    InstallState& state = TheInstallState();
    InstallPlan& plan = TheInstallPlan();
};

TEST_F(ScriptParserTest, ExampleScriptGivesThePlan)
{
    const std::vector<std::string> example = {
        "# demo script", "generalstart", "title Demo Setup", "message Demo Application", "message Version 1.0",
        "defdest \\DEMO", "backgrnd 1", "font 7", "colour 255 255 0", "sfillcol 0 0 0", "efillcol 0 0 160",
        "diagstart init", "title Welcome", "message This program installs the demo application.", "banner LOGO.BMP",
        "diagstart direct", "title Installation Directory", "message Choose the directory for the demo application.",
        "diagstart finish", "title Finished", "message The demo application is installed.",
        "diagstart system", "title System Configuration", "message Select the changes to make to your system.",
        "filestart", "copy DEMO.EX_ DEMO.EXE", "mkdir DATA", "chdir DATA", "copy SAMPLE.DA_ SAMPLE.DAT", "chdir",
        "associate .dem|Demo Document|<defdir>\\DEMO.EXE|", "variable DEMOHOME=<defdir>",
        "program Demo|<defdir>\\DEMO.EXE|Demo Application|",
    };
    services.sizes = {{"A:\\DEMO.EX_", 20000}, {"A:\\DATA\\SAMPLE.DA_", 45535}};
    for (const char* end : {"\r\n", "\n"}) {
        EXPECT_EQ(Parse(Lines(example, end)),
                  "title=Demo Setup;message=Demo Application\r\nVersion 1.0;font=7;colour=255,255,0;"
                  "sfillcol=0,0,0;efillcol=0,0,160;defdest=C:\\DEMO;"
                  "p1.title=Welcome;p1.message=This program installs the demo application.;p1.banner=LOGO.BMP;"
                  "p2.title=Installation Directory;p2.message=Choose the directory for the demo application.;"
                  "p4.title=Finished;p4.message=The demo application is installed.;"
                  "p5.title=System Configuration;p5.message=Select the changes to make to your system.;"
                  "bytes=65535;sized=A:\\DEMO.EX_;sized=A:\\DATA\\SAMPLE.DA_;target=C:\\DEMO;")
            << (end[0] == '\r' ? "CR LF" : "LF");
        EXPECT_EQ(state.progressScale, 1.0f);
    }
}

TEST_F(ScriptParserTest, Lines)
{
    const std::string g261(261, 'G'), p261(261, 'P'), s250(250, 'S');
    auto k = [](char c) { return std::string(1000, c); };
    struct Case {
        std::vector<std::string> lines;
        std::string outcome;
    } cases[] = {
        // Lines before the first header, comments and words that are no keywords.
        {{"title Before", "message M", "defdest X", "font 2", "copy A.EX_", "banner B.BMP"}, "bannerPath=OLD.BMP;"},
        {{"generalstart", "title A # B", "# title C", "    # title D", "#note", "#title E", "titles F", "titl G",
          "title\tH", "unknown words"},
         "title=A # B;"},
        {{"GENERALSTART", "TITLE Upper", "DiagStart INIT", "Title Mixed", "FileStart", "COPY ONE", "Copy TWO",
          "copy THREE"},
         "title=Upper;p1.title=Mixed;bytes=30;sized=A:\\ONE;sized=A:\\TWO;sized=A:\\THREE;"},
        {{"filestart", "generalstartx", "diagstartx init", "title T", "GeneralStart anything", "message M"},
         "message=M;"},
        // Keywords outside their sections, and page sections before a page is named.
        {{"filestart", "title T", "message M", "message N", "defdest X", "backgrnd 2", "font 2", "colour 1 2 3",
          "banner B.BMP", "mkdir SUB", "associate .a|b|c|", "variable A=<defdir>", "program G|C|I|", "diagstart init",
          "defdest X", "backgrnd 2", "font 2", "colour 1 2 3", "sfillcol 1 2 3", "efillcol 1 2 3", "copy A.EX_",
          "chdir SUB", "generalstart", "banner B.BMP", "copy A.EX_", "chdir SUB", "mkdir SUB"},
         ""},
        {{"diagstart intro", "title T", "message M", "banner B.BMP", "diagstart init x", "diagstart initial",
          "diagstart \tinit", "diagstart finish" + std::string(254, ' ') + "x", "title T"},
         ""},
        {{"diagstart finish" + std::string(255, ' ') + "overflow", "title T"}, "p4.title=T;"},
        {{"diagstart", "title Progress", "diagstart unknown", "message Copying", "banner P.BMP"},
         "p3.title=Progress;p3.message=Copying;p3.banner=P.BMP;"},
        {{"diagstart init", "message A", "diagstart intro", "message B"}, "p1.message=AB;"},
        {{"diagstart finish", "title Done", "generalstart", "message G1", "filestart", "diagstart finish", "message F1",
          "generalstart", "message G2", "message G3", "diagstart finish", "message F2"},
         "message=G1G2\r\nG3;p4.title=Done;p4.message=F1F2;"},
        // Texts.
        {{"diagstart direct", "message", "message A", "message", "message B", "message"},
         "p2.message=\r\nA\r\n\r\nB\r\n;"},
        {{"diagstart direct", "message    indented   ", "title T", "message  x  y  # z"},
         "p2.title=T;p2.message=indented\r\nx  y  # z;"},
        {{"diagstart system", "message " + k('a'), "message " + k('b'), "message " + k('c'), "message " + k('d'),
          "message " + k('e')},
         "p5.message=" + k('a') + "\r\n" + k('b') + "\r\n" + k('c') + "\r\n" + k('d') + "\r\n" +
             std::string(88, 'e') + ';'},
        {{"generalstart", "title " + std::string(300, 'G'), "diagstart init", "title " + p261 + "Q"},
         "title=" + g261 + ";p1.title=" + p261 + ';'},
        {{"diagstart init", "title First", "title   \"Quoted\"  and\tTabbed  "}, "p1.title=\"Quoted\"  and\tTabbed;"},
        {{"diagstart finish", "banner \"MY LOGO.PCX\"", "diagstart system", "banner", "diagstart direct",
          "banner LOGO.BMP extra"},
         "p2.banner=LOGO.BMP;p4.banner=MY LOGO.PCX;p5.banner=;"},
        // Numbers and colours; an earlier conversion error does not spoil a colour.
        {{"generalstart", "backgrnd 3", "backgrnd 4", "backgrnd -1", "font 8", "font 9", "font 0", "font", "font 7.5"},
         "backgrnd=3;font=8;"},
        {{"generalstart", "backgrnd 2", "backgrnd 2.5", "font 1"}, "backgrnd=0;font=1;"},
        {{"generalstart", "backgrnd 2", "backgrnd"}, "backgrnd=0;"},
        {{"generalstart", "font x", "colour 10 20 30 40", "sfillcol 0 0 0", "efillcol +4 5 255"},
         "colour=10,20,30;sfillcol=0,0,0;efillcol=4,5,255;"},
        {{"generalstart", "colour 10 20", "colour 10 20 300", "colour 255,255,0", "colour -1 0 0", "colour a 2 3",
          "colour 1 2 3.0", "colour 2147483648 0 0", "colour 4\t5 6", "sfillcol 1 2 -3", "efillcol", "color 0 0 0"},
         ""},
        // The proposed directory.
        {{"generalstart", "defdest D:\\APPS"}, "defdest=C:\\APPS;"},
        {{"generalstart", "defdest APPS"}, "defdest=C:\\APPS;"},
        {{"generalstart", "defdest"}, "defdest=C:\\;"},
        {{"generalstart", "defdest D:\\\\APPS\\SUB\\"}, "defdest=C:\\\\APPS\\SUB\\;"},
        {{"generalstart", "defdest \"\\Program Files\\My App\" x"}, "defdest=C:\\Program Files\\My App;"},
        {{"generalstart", "defdest " + std::string(300, 'L')}, "defdest=C:\\" + std::string(258, 'L') + ';'},
        // Copy sources and subdirectories.
        {{"filestart", "copy DEMO.EX_ DEMO.EXE", "copy \"MY FILE.TX_\" MYFILE.TXT", "copy \"MY FILE.TX_ MYFILE.TXT",
          "copy", "copy \"\" TARGET", "copy <defdir>\\X"},
         "bytes=40;sized=A:\\DEMO.EX_;sized=A:\\MY FILE.TX_;sized=A:\\\"MY;sized=A:\\<defdir>\\X;"},
        {{"filestart", "chdir SUB\\", "copy X", "chdir SUB", "chdir OTHER", "copy Y", "chdir", "copy Z"},
         "bytes=30;sized=A:\\SUB\\X;sized=A:\\OTHER\\Y;sized=A:\\Z;"},
        {{"generalstart", "defdest DEMO\\", "filestart", "chdir DATA\\SUB"},
         "defdest=C:\\DEMO\\;subdir=DATA\\SUB\\;target=C:\\DEMO\\DATA\\SUB\\;"},
        {{"filestart", "chdir " + s250, "copy SOURCE.EX_"},
         "bytes=10;sized=A:\\" + s250 + "\\SOURCE.;subdir=" + s250 + "\\;target=" + s250 + "\\;"},
        {{"generalstart", "title Before", "filestart", "copy DEMO.EX_", "chdir DATA", "copy MISSING.DA_ MISSING.DAT",
          "copy DEMO.EX_", "generalstart", "title After"},
         "FAILED;title=Before;bytes=10;sized=A:\\DEMO.EX_;sized=A:\\DATA\\MISSING.DA_;subdir=DATA\\;target=DATA\\;"
         "box=Install file A:\\DATA\\MISSING.DA_ not found. Abort|File Not Found;"},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(Lines(c.lines)), c.outcome) << c.lines[1].substr(0, 40);
}

TEST_F(ScriptParserTest, LineEndsAndTheEndOfTheScript)
{
    const std::string x1016(1016, 'x');  // with "message " a whole 1024-character line
    struct Case {
        std::string script, outcome;
    } cases[] = {
        {"", "bannerPath=OLD.BMP;"},
        {"\r\n\r\n   \r\n", "bannerPath=OLD.BMP;"},
        {"\x1a", "bannerPath=OLD.BMP;"},
        {"\x1a\r\ngeneralstart\r\ntitle Never\r\n", "bannerPath=OLD.BMP;"},
        {"generalstart\r\ntitle First\r\n\x1atitle Second\r\ntitle Third\r\n", "title=First;"},
        {"generalstart\ntitle A\x1a" "B\nmessage M", "title=A\x1a" "B;message=M;"},
        {"generalstart\r\nmessage " + x1016 + "Y\r\nmessage next", "message=" + x1016 + "\r\nnext;"},
    };
    for (const Case& c : cases) EXPECT_EQ(Parse(c.script), c.outcome) << c.script.substr(0, 40);
}

TEST_F(ScriptParserTest, CopySizesAddUpIn64Bits)
{
    services.sizes = {{"A:\\ONE", 60000}, {"A:\\TWO", 40000}, {"A:\\EMPTY", 0}, {"A:\\BIG", 2147483647}};
    Parse(Lines({"filestart", "copy ONE", "copy EMPTY", "copy TWO", "copy ONE"}));
    EXPECT_EQ(state.bytesDone, 160000);
    EXPECT_FLOAT_EQ(state.progressScale, 2.4414435f);
    Parse(Lines({"filestart", "copy BIG", "copy TEN"}));
    EXPECT_EQ(state.bytesDone, 2147483657);
}

TEST_F(ScriptParserTest, DefdestTakesTheFirstInstallableDrive)
{
    firstDrive = "E:";
    EXPECT_EQ(Parse(Lines({"generalstart", "defdest C:\\APPS"})), "defdest=E:\\APPS;");
}

TEST_F(ScriptParserTest, ReadErrorIsToldAndKeepsWhatWasParsed)
{
    // A medium that gives these bytes and then fails inside the last line.
    std::string bytes = "generalstart\r\ntitle Kept\r\nmessage Half";
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
        auto* rest = static_cast<std::string*>(cookie);
        if (rest->empty()) return -1;
        const std::size_t n = std::min(size, rest->size());
        std::memcpy(buffer, rest->data(), n);
        rest->erase(0, n);
        return static_cast<ssize_t>(n);
    };
    EXPECT_EQ(Run(fopencookie(&bytes, "r", io)), "FAILED;title=Kept;box=Error when reading from install script|Abort;");
}

TEST(ScriptReader, Records)
{
    const std::string x1024(1024, 'x'), x1023(1023, 'x');
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;  // then the end
    } cases[] = {
        {"", {}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\n\ntwo", {"one", "", "two"}},
        {"a\rb\r\n", {"a\rb"}},
        {"one\n\x1a\ntwo\n", {"one"}},
        {"a\x1a\n", {"a\x1a"}},
        {x1024 + "\r\n", {x1024}},
        {x1024 + "Y\r\nnext", {x1024, "next"}},
        {x1023 + "\r\r\n", {x1023 + "\r"}},
    };
    for (const Case& c : cases) {
        std::FILE* file = ScriptFile(c.bytes);
        ASSERT_NE(file, nullptr);
        ScriptLine line;
        for (const std::string& expected : c.lines) {
            ASSERT_EQ(ReadScriptLine(file, line), ScriptRead::kLine) << c.bytes.substr(0, 40);
            EXPECT_EQ(line.str(), expected) << c.bytes.substr(0, 40);
        }
        EXPECT_EQ(ReadScriptLine(file, line), ScriptRead::kEnd) << c.bytes.substr(0, 40);
        std::fclose(file);
    }
}

}  // namespace
