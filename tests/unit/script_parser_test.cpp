#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// The script's bytes as an open file at its start.
std::FILE* ScriptFile(const std::string& bytes)
{
    std::FILE* file = std::tmpfile();
    if (file == nullptr) return nullptr;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    return file;
}

// A stream that gives some bytes and then fails, as a medium with a bad
// sector would.
struct FailingSource {
    std::string bytes;
    std::size_t at = 0;
};

ssize_t ReadThenFail(void* cookie, char* buffer, size_t size)
{
    auto* source = static_cast<FailingSource*>(cookie);
    if (source->at >= source->bytes.size()) return -1;
    const std::size_t n = std::min(size, source->bytes.size() - source->at);
    std::memcpy(buffer, source->bytes.data() + source->at, n);
    source->at += n;
    return static_cast<ssize_t>(n);
}

std::FILE* FailingFile(FailingSource& source)
{
    cookie_io_functions_t functions{};
    functions.read = ReadThenFail;
    return fopencookie(&source, "r", functions);
}

std::string Lines(const std::vector<std::string>& lines, const std::string& end = "\r\n")
{
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

std::string Field(std::string text, std::size_t n)
{
    text.resize(n, ' ');
    return text;
}

struct StopMessage {
    std::string text, caption;
    friend bool operator==(const StopMessage&, const StopMessage&) = default;
};

std::ostream& operator<<(std::ostream& out, const StopMessage& m) { return out << '[' << m.text << "|" << m.caption << ']'; }

struct FakeServices final : ScriptServices {
    std::map<std::string, int32_t> sizes;
    std::vector<std::string> sized;  // every path asked for, in order
    std::vector<StopMessage> messages;

    bool SourceFileSize(std::string_view path, int32_t& size) override
    {
        sized.emplace_back(path);
        auto found = sizes.find(std::string(path));
        if (found == sizes.end()) return false;
        size = found->second;
        return true;
    }
    void ShowStopMessage(std::string_view text, std::string_view caption) override
    {
        messages.push_back({std::string(text), std::string(caption)});
    }
};

::testing::AssertionResult PlanIsDefault()
{
    const InstallPlan& plan = TheInstallPlan();
    const InstallPlan fresh;
    std::string differences;
    const GeneralSettings& g = plan.general;
    if (!(g.message == fresh.general.message)) differences += " general message";
    if (g.backgroundStyle != 1) differences += " backgroundStyle";
    if (g.font != 5) differences += " font";
    if (!(g.titleColour == ColourTriple{255, 255, 255})) differences += " titleColour";
    if (!(g.startFillColour == ColourTriple{0, 0, 75})) differences += " startFillColour";
    if (!(g.endFillColour == ColourTriple{0, 0, 255})) differences += " endFillColour";
    for (std::size_t n = 0; n <= 5; ++n) {  // slot 0 is no page: nothing may land there
        const PageText& page = plan.pages[n];
        if (!page.title.blank()) differences += " title of page " + std::to_string(n);
        if (!page.message.blank()) differences += " message of page " + std::to_string(n);
        if (page.hasPicture) differences += " picture of page " + std::to_string(n);
    }
    if (!TheInstallState().generalTitle.blank()) differences += " generalTitle";
    if (!TheInstallState().installDir.blank()) differences += " installDir";
    if (differences.empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "changed:" << differences;
}

class ScriptParserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheInstallState() = InstallState{};
        ResetInstallPlan();
        ResetErrorState();
        InstallState& state = TheInstallState();
        state.sourceDir.assign("A:\\");
        state.installableDrives[0].assign("C:");
        state.installableDrives[1].assign("D:");
        state.installableDriveCount = 2;
    }
    void TearDown() override
    {
        TheInstallState() = InstallState{};
        ResetInstallPlan();
        ResetErrorState();
    }

    bool Parse(const std::string& script)
    {
        std::FILE* file = ScriptFile(script);
        if (file == nullptr) {
            ADD_FAILURE() << "no temporary file";
            return false;
        }
        const bool status = ParseScript(file, services);
        std::fclose(file);
        return status;
    }

    FakeServices services;
    InstallState& state = TheInstallState();
    InstallPlan& plan = TheInstallPlan();
};

const std::vector<std::string> kExampleScript = {
    "# demo script",
    "generalstart",
    "title Demo Setup",
    "message Demo Application",
    "message Version 1.0",
    "defdest \\DEMO",
    "backgrnd 1",
    "font 7",
    "colour 255 255 0",
    "sfillcol 0 0 0",
    "efillcol 0 0 160",
    "diagstart init",
    "title Welcome",
    "message This program installs the demo application.",
    "banner LOGO.BMP",
    "diagstart direct",
    "title Installation Directory",
    "message Choose the directory for the demo application.",
    "diagstart finish",
    "title Finished",
    "message The demo application is installed.",
    "diagstart system",
    "title System Configuration",
    "message Select the changes to make to your system.",
    "filestart",
    "copy DEMO.EX_ DEMO.EXE",
    "mkdir DATA",
    "chdir DATA",
    "copy SAMPLE.DA_ SAMPLE.DAT",
    "chdir",
    "associate .dem|Demo Document|<defdir>\\DEMO.EXE|",
    "variable DEMOHOME=<defdir>",
    "program Demo|<defdir>\\DEMO.EXE|Demo Application|",
};

TEST_F(ScriptParserTest, ExampleScriptGivesTheWholePlan)
{
    services.sizes = {{"A:\\DEMO.EX_", 20000}, {"A:\\DATA\\SAMPLE.DA_", 45535}};
    ASSERT_TRUE(Parse(Lines(kExampleScript)));

    EXPECT_EQ(state.generalTitle.str(), "Demo Setup");
    EXPECT_EQ(state.installDir.str(), "C:\\DEMO");
    EXPECT_EQ(state.bytesDone, 65535);
    EXPECT_EQ(state.progressScale, 1.0f);
    EXPECT_EQ(services.sized, (std::vector<std::string>{"A:\\DEMO.EX_", "A:\\DATA\\SAMPLE.DA_"}));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(state.subDir.str(), "");
    EXPECT_EQ(state.targetDir.str(), "C:\\DEMO");

    const GeneralSettings& g = plan.general;
    EXPECT_EQ(g.message.str(), "Demo Application\r\nVersion 1.0");
    EXPECT_EQ(g.backgroundStyle, 1);
    EXPECT_EQ(g.font, 7);
    EXPECT_EQ(g.titleColour, (ColourTriple{255, 255, 0}));
    EXPECT_EQ(g.startFillColour, (ColourTriple{0, 0, 0}));
    EXPECT_EQ(g.endFillColour, (ColourTriple{0, 0, 160}));

    struct Page {
        std::string title, message;
        bool hasPicture;
        std::string picture;
    } pages[6] = {
        {},
        {"Welcome", "This program installs the demo application.", true, "LOGO.BMP"},
        {"Installation Directory", "Choose the directory for the demo application.", false, ""},
        {"", "", false, ""},
        {"Finished", "The demo application is installed.", false, ""},
        {"System Configuration", "Select the changes to make to your system.", false, ""},
    };
    for (std::size_t n = 1; n <= 5; ++n) {
        EXPECT_EQ(plan.pages[n].title.str(), pages[n].title) << "page " << n;
        EXPECT_EQ(plan.pages[n].message.str(), pages[n].message) << "page " << n;
        EXPECT_EQ(plan.pages[n].hasPicture, pages[n].hasPicture) << "page " << n;
        if (pages[n].hasPicture) EXPECT_EQ(plan.pages[n].picture.str(), pages[n].picture) << "page " << n;
    }
}

TEST_F(ScriptParserTest, ExampleScriptWithLineFeedsAlone)
{
    services.sizes = {{"A:\\DEMO.EX_", 20000}, {"A:\\DATA\\SAMPLE.DA_", 45535}};
    ASSERT_TRUE(Parse(Lines(kExampleScript, "\n")));
    EXPECT_EQ(state.generalTitle.str(), "Demo Setup");
    EXPECT_EQ(plan.general.message.str(), "Demo Application\r\nVersion 1.0");
    EXPECT_EQ(plan.pages[5].message.str(), "Select the changes to make to your system.");
    EXPECT_EQ(state.bytesDone, 65535);
}

TEST_F(ScriptParserTest, EmptyScriptsKeepEveryDefault)
{
    const std::string scripts[] = {
        "",
        "\r\n\r\n   \r\n",
        "\x1a",
        "\x1a\r\ngeneralstart\r\ntitle Never\r\ndefdest NEVER\r\n",
        "\x1a more on the same line\ngeneralstart\ntitle Never\n",
        "title Before Any Header\r\nmessage Nor this\r\ndefdest NOWHERE\r\nfont 2\r\ncopy A.EX_\r\n",
    };
    for (const std::string& script : scripts) {
        state.bytesDone = 77;  // left from an earlier read: parsing starts again at 0
        EXPECT_TRUE(Parse(script)) << script;
        EXPECT_TRUE(PlanIsDefault()) << script;
        EXPECT_EQ(state.bytesDone, 0) << script;
        EXPECT_EQ(state.progressScale, 0.0f) << script;
        EXPECT_TRUE(services.sized.empty()) << script;
        EXPECT_TRUE(services.messages.empty()) << script;
    }
}

TEST_F(ScriptParserTest, CtrlZEndsTheScript)
{
    ASSERT_TRUE(Parse("generalstart\r\ntitle First\r\n\x1atitle Second\r\ntitle Third\r\n"));
    EXPECT_EQ(state.generalTitle.str(), "First");
}

TEST_F(ScriptParserTest, CtrlZInsideALineIsAnOrdinaryCharacter)
{
    ASSERT_TRUE(Parse("generalstart\r\ntitle A\x1a" "B\r\nmessage M\r\n"));
    EXPECT_EQ(state.generalTitle.str(), "A\x1a" "B");
    EXPECT_EQ(plan.general.message.str(), "M");
}

TEST_F(ScriptParserTest, LineEnds)
{
    struct Case {
        std::string script;
        std::string title, message;
    } cases[] = {
        {"generalstart\r\ntitle Demo\r\nmessage M\r\n", "Demo", "M"},
        {"generalstart\ntitle Demo\nmessage M\n", "Demo", "M"},
        {"generalstart\r\ntitle Demo\nmessage M\r\n", "Demo", "M"},
        {"generalstart\ntitle Demo\nmessage M", "Demo", "M"},  // last line without an end
        {"generalstart\r\nmessage M\r\ntitle Demo", "Demo", "M"},
        {"generalstart\r\nmessage M\r\ntitle Demo\r", "Demo", "M"},
        {"generalstart\ntitle A\rB\nmessage M\n", "A\rB", "M"},  // a CR inside a line stays
        {"generalstart\n\n\ntitle Demo\n\n", "Demo", ""},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        EXPECT_TRUE(Parse(c.script)) << c.script;
        EXPECT_EQ(state.generalTitle.str(), c.title) << c.script;
        EXPECT_EQ(plan.general.message.str(), c.message) << c.script;
    }
}

TEST_F(ScriptParserTest, LongLineLosesWhatIsBeyond1024Characters)
{
    // "message " takes 8 of the line's 1024 characters.
    const std::string keep(1016, 'x');
    struct Case {
        std::string line;
        std::string message;
    } cases[] = {
        {"message " + keep, keep},
        {"message " + keep + "Y", keep},
        {"message " + keep + "YZ and more", keep},
        {"message " + keep.substr(1) + "Y", keep.substr(1) + "Y"},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        ASSERT_TRUE(Parse("generalstart\r\n" + c.line + "\r\nmessage next\r\n"));
        EXPECT_EQ(plan.general.message.str(), c.message + "\r\nnext") << c.line.size();
    }
}

TEST_F(ScriptParserTest, KeywordsHeadersAndPageNamesInAnyCase)
{
    services.sizes = {{"A:\\ONE", 1}, {"A:\\TWO", 2}, {"A:\\THREE", 4}};
    ASSERT_TRUE(Parse(Lines({
        "GENERALSTART",
        "TITLE Upper",
        "DiagStart INIT",
        "Title Mixed Case",
        "FileStart",
        "COPY ONE",
        "Copy TWO",
        "copy THREE",
    })));
    EXPECT_EQ(state.generalTitle.str(), "Upper");
    EXPECT_EQ(plan.pages[1].title.str(), "Mixed Case");
    EXPECT_EQ(state.bytesDone, 7);
}

TEST_F(ScriptParserTest, CommentsAndWordsThatAreNoKeywords)
{
    ASSERT_TRUE(Parse(Lines({
        "generalstart",
        "title A # B",
        "# title Comment",
        "    # title Indented comment",
        "#note",
        "#title Not a keyword",
        "titles Not a keyword",
        "title\tTab joins the keyword",
        "unknown words here",
    })));
    EXPECT_EQ(state.generalTitle.str(), "A # B");
}

TEST_F(ScriptParserTest, KeywordsOutsideTheirSectionsAreIgnored)
{
    const std::vector<std::string> cases[] = {
        {"filestart", "title T"},
        {"filestart", "message M", "message N"},
        {"filestart", "defdest X"},
        {"filestart", "colour 1 2 3"},
        {"filestart", "backgrnd 2"},
        {"filestart", "font 2"},
        {"filestart", "banner LOGO.BMP"},
        {"diagstart init", "defdest X"},
        {"diagstart init", "backgrnd 2"},
        {"diagstart init", "font 2"},
        {"diagstart init", "colour 1 2 3"},
        {"diagstart init", "sfillcol 1 2 3"},
        {"diagstart init", "efillcol 1 2 3"},
        {"diagstart init", "copy A.EX_"},
        {"diagstart init", "chdir SUB"},
        {"generalstart", "banner LOGO.BMP"},
        {"generalstart", "copy A.EX_"},
        {"generalstart", "chdir SUB"},
        {"generalstart", "mkdir SUB"},
        {"filestart", "mkdir SUB", "associate .a|b|c|", "variable A=<defdir>", "program G|C|I|"},
        // No page selected yet: the section's lines go nowhere.
        {"diagstart intro", "title T", "message M", "banner LOGO.BMP"},
        {"diagstart", "diagstart unknown", "title T"},
    };
    for (const std::vector<std::string>& lines : cases) {
        ResetInstallPlan();
        state.installDir.clear();
        state.subDir.clear();
        ASSERT_TRUE(Parse(Lines(lines))) << lines[1];
        if (lines[0] == "diagstart") {
            // diagstart alone selected page 3; the unknown name keeps it.
            EXPECT_EQ(plan.pages[3].title.str(), "T");
            continue;
        }
        EXPECT_TRUE(PlanIsDefault()) << lines[0] << " / " << lines[1];
        EXPECT_TRUE(state.subDir.blank()) << lines[1];
        EXPECT_TRUE(services.sized.empty()) << lines[1];
    }
}

TEST_F(ScriptParserTest, UnknownPageNameKeepsThePageAndEndsTheContinuation)
{
    ASSERT_TRUE(Parse(Lines({"diagstart init", "message A", "diagstart intro", "message B"})));
    EXPECT_EQ(plan.pages[1].message.str(), "AB");
}

TEST_F(ScriptParserTest, DiagstartAloneSelectsPage3)
{
    ASSERT_TRUE(Parse(Lines({"diagstart", "title Progress", "message Copying", "banner P.BMP"})));
    EXPECT_EQ(plan.pages[3].title.str(), "Progress");
    EXPECT_EQ(plan.pages[3].message.str(), "Copying");
    EXPECT_TRUE(plan.pages[3].hasPicture);
    EXPECT_EQ(plan.pages[3].picture.str(), "P.BMP");
}

TEST_F(ScriptParserTest, SectionsInAnyOrderAndRepeated)
{
    ASSERT_TRUE(Parse(Lines({
        "diagstart finish",
        "title Done",
        "generalstart",
        "message G1",
        "filestart",
        "diagstart finish",
        "message F1",
        "generalstart",
        "message G2",
        "message G3",
        "diagstart finish",
        "message F2",
    })));
    EXPECT_EQ(plan.pages[4].title.str(), "Done");
    // Each header ends the continuation: the first line after it joins directly.
    EXPECT_EQ(plan.general.message.str(), "G1G2\r\nG3");
    EXPECT_EQ(plan.pages[4].message.str(), "F1F2");
}

TEST_F(ScriptParserTest, MessageLines)
{
    struct Case {
        std::vector<std::string> lines;  // after "diagstart direct"
        std::string message;
    } cases[] = {
        {{"message A"}, "A"},
        {{"message A", "message B"}, "A\r\nB"},
        {{"message"}, ""},
        {{"message", "message A"}, "\r\nA"},
        {{"message A", "message", "message B"}, "A\r\n\r\nB"},
        {{"message A", "message"}, "A\r\n"},
        {{"message    indented   ", "message  x  y  "}, "indented\r\nx  y"},
        {{"message A # not a comment"}, "A # not a comment"},
        {{"message A", "title T", "message B"}, "A\r\nB"},
        {{"message A", "diagstart direct", "message B"}, "AB"},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        std::vector<std::string> lines{"diagstart direct"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        ASSERT_TRUE(Parse(Lines(lines)));
        EXPECT_EQ(plan.pages[2].message.str(), c.message) << c.lines[0];
        EXPECT_TRUE(plan.general.message.blank());
    }
}

TEST_F(ScriptParserTest, MessageIsCutAfter4096Characters)
{
    std::vector<std::string> lines{"diagstart system"};
    std::string joined;
    for (char c = 'a'; c <= 'e'; ++c) {
        lines.push_back("message " + std::string(1000, c));
        if (!joined.empty()) joined += "\r\n";
        joined += std::string(1000, c);
    }
    ASSERT_TRUE(Parse(Lines(lines)));
    ASSERT_GT(joined.size(), 4096u);
    EXPECT_EQ(plan.pages[5].message.view(), joined.substr(0, 4096));
}

TEST_F(ScriptParserTest, TitlesAreCutAfter261Characters)
{
    const std::string general(300, 'G');
    const std::string page(261, 'P');
    ASSERT_TRUE(Parse(Lines({"generalstart", "title " + general, "diagstart init", "title " + page + "Q"})));
    EXPECT_EQ(state.generalTitle.view(), general.substr(0, 261));
    EXPECT_EQ(plan.pages[1].title.view(), page);
}

TEST_F(ScriptParserTest, TitleKeepsTheWholeRestWithItsCase)
{
    ASSERT_TRUE(Parse(Lines({"diagstart init", "title   \"Quoted\"  and\tTabbed  ", "title Second wins"})));
    EXPECT_EQ(plan.pages[1].title.str(), "Second wins");
    ResetInstallPlan();
    ASSERT_TRUE(Parse(Lines({"diagstart init", "title   \"Quoted\"  and\tTabbed  "})));
    EXPECT_EQ(plan.pages[1].title.str(), "\"Quoted\"  and\tTabbed");
}

TEST_F(ScriptParserTest, Colours)
{
    struct Case {
        std::string line;
        ColourTriple title, start, end;
    } cases[] = {
        {"colour 10 20 30", {10, 20, 30}, {0, 0, 75}, {0, 0, 255}},
        {"sfillcol 10 20 30", {255, 255, 255}, {10, 20, 30}, {0, 0, 255}},
        {"efillcol 10 20 30", {255, 255, 255}, {0, 0, 75}, {10, 20, 30}},
        {"colour 10 20", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
        {"colour 10 20 300", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
        {"colour 10 20 30 40", {10, 20, 30}, {0, 0, 75}, {0, 0, 255}},
        {"colour 255,255,0", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
        {"sfillcol 1 2 -3", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
        {"efillcol", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
        {"COLOUR 0 0 0", {0, 0, 0}, {0, 0, 75}, {0, 0, 255}},
        {"color 0 0 0", {255, 255, 255}, {0, 0, 75}, {0, 0, 255}},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        ASSERT_TRUE(Parse(Lines({"generalstart", c.line})));
        EXPECT_EQ(plan.general.titleColour, c.title) << c.line;
        EXPECT_EQ(plan.general.startFillColour, c.start) << c.line;
        EXPECT_EQ(plan.general.endFillColour, c.end) << c.line;
    }
}

TEST_F(ScriptParserTest, BackgroundStyleAndFont)
{
    struct Case {
        std::string line;
        int32_t style, font;
    } cases[] = {
        {"backgrnd 0", 0, 5},
        {"backgrnd 3", 3, 5},
        {"backgrnd 2.5", 0, 5},
        {"backgrnd", 0, 5},
        {"backgrnd x", 0, 5},
        {"backgrnd 7", 1, 5},
        {"backgrnd -1", 1, 5},
        {"backgrnd 02 junk", 2, 5},
        {"font 1", 1, 1},
        {"font 8", 1, 8},
        {"font 0", 1, 5},
        {"font 9", 1, 5},
        {"font", 1, 5},
        {"font 7.5", 1, 5},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        ASSERT_TRUE(Parse(Lines({"generalstart", c.line})));
        EXPECT_EQ(plan.general.backgroundStyle, c.style) << c.line;
        EXPECT_EQ(plan.general.font, c.font) << c.line;
    }
}

TEST_F(ScriptParserTest, DefdestLiesOnTheFirstInstallableDrive)
{
    struct Case {
        std::string firstDrive, line, installDir;
    } cases[] = {
        {"C:", "defdest D:\\APPS", "C:\\APPS"},
        {"C:", "defdest APPS", "C:\\APPS"},
        {"C:", "defdest", "C:\\"},
        {"C:", "defdest \\DEMO", "C:\\DEMO"},
        {"C:", "defdest D:APPS", "C:\\APPS"},
        {"C:", "defdest \"\\Program Files\\My App\" ignored", "C:\\Program Files\\My App"},
        {"C:", "defdest APPS\\SUB\\", "C:\\APPS\\SUB\\"},
        {"C:", "defdest \\\\APPS", "C:\\\\APPS"},
        {"E:", "defdest C:\\APPS", "E:\\APPS"},
        {"C:", "defdest " + std::string(300, 'L'), "C:\\" + std::string(258, 'L')},
    };
    for (const Case& c : cases) {
        state.installableDrives[0].assign(c.firstDrive);
        state.installDir.assign("unchanged");
        ASSERT_TRUE(Parse(Lines({"generalstart", c.line})));
        EXPECT_EQ(state.installDir.str(), c.installDir) << c.line;
    }
}

TEST_F(ScriptParserTest, CopyArguments)
{
    struct Case {
        std::vector<std::string> lines;  // after "filestart"
        std::vector<std::string> sized;
    } cases[] = {
        {{"copy DEMO.EX_ DEMO.EXE"}, {"A:\\DEMO.EX_"}},
        {{"copy DEMO.EX_"}, {"A:\\DEMO.EX_"}},
        {{"copy \"MY FILE.TX_\" MYFILE.TXT"}, {"A:\\MY FILE.TX_"}},
        {{"copy \"MY FILE.TX_ MYFILE.TXT"}, {"A:\\\"MY"}},
        {{"copy"}, {}},
        {{"copy \"\" TARGET"}, {}},
        {{"chdir SUB", "copy X"}, {"A:\\SUB\\X"}},
        {{"chdir SUB\\", "copy X"}, {"A:\\SUB\\X"}},
        {{"chdir SUB", "chdir OTHER", "copy X"}, {"A:\\OTHER\\X"}},
        {{"chdir SUB", "copy X", "chdir", "copy Y"}, {"A:\\SUB\\X", "A:\\Y"}},
        {{"chdir \"MY DIR\"", "copy X"}, {"A:\\MY DIR\\X"}},
        {{"copy <defdir>\\X"}, {"A:\\<defdir>\\X"}},
    };
    for (const Case& c : cases) {
        services.sized.clear();
        state.subDir.clear();
        for (const std::string& path : c.sized) services.sizes[path] = 10;
        std::vector<std::string> lines{"filestart"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        ASSERT_TRUE(Parse(Lines(lines))) << c.lines[0];
        EXPECT_EQ(services.sized, c.sized) << c.lines.back();
        EXPECT_EQ(state.bytesDone, static_cast<int32_t>(10 * c.sized.size())) << c.lines.back();
    }
}

TEST_F(ScriptParserTest, CopySizesAddUpIntoTheProgressScale)
{
    services.sizes = {{"A:\\ONE", 60000}, {"A:\\TWO", 40000}, {"A:\\EMPTY", 0}};
    ASSERT_TRUE(Parse(Lines({"filestart", "copy ONE", "copy EMPTY", "copy TWO", "copy ONE"})));
    EXPECT_EQ(state.bytesDone, 160000);
    EXPECT_FLOAT_EQ(state.progressScale, 2.4414435f);  // 160000 / 65535
}

TEST_F(ScriptParserTest, CopyPathIsCutTo261Characters)
{
    state.sourceDir.assign("A:\\" + std::string(250, 'S') + "\\");
    const std::string path = ("A:\\" + std::string(250, 'S') + "\\SOURCE.EX_").substr(0, 261);
    ASSERT_FALSE(Parse(Lines({"filestart", "copy SOURCE.EX_"})));
    EXPECT_EQ(services.sized, std::vector<std::string>{path});
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Install file " + path + " not found. Abort");
}

TEST_F(ScriptParserTest, MissingCopySourceStopsParsing)
{
    services.sizes = {{"A:\\DEMO.EX_", 100}};
    EXPECT_FALSE(Parse(Lines({
        "generalstart",
        "title Before",
        "filestart",
        "copy DEMO.EX_",
        "chdir DATA",
        "copy MISSING.DA_ MISSING.DAT",
        "copy DEMO.EX_",
        "generalstart",
        "title After",
    })));
    EXPECT_EQ(services.messages,
              (std::vector<StopMessage>{{"Install file A:\\DATA\\MISSING.DA_ not found. Abort", "File Not Found"}}));
    EXPECT_EQ(services.sized, (std::vector<std::string>{"A:\\DEMO.EX_", "A:\\DATA\\MISSING.DA_"}));
    EXPECT_EQ(state.generalTitle.str(), "Before");
    EXPECT_EQ(state.bytesDone, 100);
}

TEST_F(ScriptParserTest, ByteTotalWrapsAt32Bits)
{
    services.sizes = {{"A:\\BIG", 2147483647}, {"A:\\ONE", 1}};
    ASSERT_TRUE(Parse(Lines({"filestart", "copy BIG", "copy ONE"})));
    EXPECT_EQ(state.bytesDone, -2147483647 - 1);
}

TEST_F(ScriptParserTest, Banner)
{
    struct Case {
        std::string line;
        std::string picture;
    } cases[] = {
        {"banner LOGO.BMP", "LOGO.BMP"},
        {"banner LOGO.BMP extra", "LOGO.BMP"},
        {"banner \"MY LOGO.PCX\"", "MY LOGO.PCX"},
        {"banner", ""},
    };
    for (const Case& c : cases) {
        ResetInstallPlan();
        ASSERT_TRUE(Parse(Lines({"diagstart finish", c.line})));
        EXPECT_TRUE(plan.pages[4].hasPicture) << c.line;
        EXPECT_EQ(plan.pages[4].picture.str(), c.picture) << c.line;
    }
}

TEST_F(ScriptParserTest, SectionHeadersBlankTheBannerPath)
{
    for (const char* header : {"generalstart", "diagstart init", "diagstart nothing", "filestart"}) {
        state.bannerPath.assign("A:\\LOGO.BMP");
        ASSERT_TRUE(Parse(Lines({header})));
        EXPECT_TRUE(state.bannerPath.blank()) << header;
    }
    state.bannerPath.assign("A:\\LOGO.BMP");
    ASSERT_TRUE(Parse(Lines({"title x", "banner B.BMP"})));
    EXPECT_EQ(state.bannerPath.str(), "A:\\LOGO.BMP");
}

TEST_F(ScriptParserTest, ReadErrorIsToldAndKeepsWhatWasParsed)
{
    FailingSource source{"generalstart\r\ntitle Kept\r\nmessage Half"};
    std::FILE* file = FailingFile(source);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(ParseScript(file, services));
    std::fclose(file);
    EXPECT_EQ(services.messages,
              (std::vector<StopMessage>{{"Error when reading from install script", "Abort"}}));
    EXPECT_EQ(state.generalTitle.str(), "Kept");
    EXPECT_TRUE(plan.general.message.blank());  // the broken line is not used
}

TEST_F(ScriptParserTest, UnreadableFileIsAReadError)
{
    // A stream open for writing only cannot be read.
    char name[] = "/tmp/script_parser_test_XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    std::FILE* file = fdopen(fd, "w");
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(ParseScript(file, services));
    std::fclose(file);
    std::remove(name);
    EXPECT_EQ(services.messages,
              (std::vector<StopMessage>{{"Error when reading from install script", "Abort"}}));
}

// The reader on its own: records, ends and errors.
TEST(ScriptReader, Records)
{
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;  // then the end
    } cases[] = {
        {"", {}},
        {"one\r\ntwo\r\n", {"one", "two"}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"one\r\n\r\n\ntwo", {"one", "", "", "two"}},
        {"\n", {""}},
        {"a\rb\r\n", {"a\rb"}},
        {"a\r\r\n", {"a\r"}},
        {"last\r", {"last"}},
        {"  lead\tand trail  \n", {"  lead\tand trail"}},
        {"one\n\x1a\ntwo\n", {"one"}},
        {"one\n\x1a", {"one"}},
        {"\x1a" "one\ntwo\n", {}},
        {"a\x1a\n", {"a\x1a"}},
        {std::string("nul\0inside\n", 11), {std::string("nul\0inside", 10)}},
        {std::string(1024, 'x') + "\r\n", {std::string(1024, 'x')}},
        {std::string(1024, 'x') + "Y\r\nnext", {std::string(1024, 'x'), "next"}},
        {std::string(1023, 'x') + "\r\r\n", {std::string(1023, 'x') + "\r"}},
        {std::string(5000, 'z') + "\n", {std::string(1024, 'z')}},
    };
    for (const Case& c : cases) {
        std::FILE* file = ScriptFile(c.bytes);
        ASSERT_NE(file, nullptr);
        ScriptLine line;
        for (const std::string& expected : c.lines) {
            ASSERT_EQ(ReadScriptLine(file, line), ScriptRead::kLine) << c.bytes.substr(0, 40);
            EXPECT_EQ(line.view(), Field(expected, 1024)) << c.bytes.substr(0, 40);
        }
        EXPECT_EQ(ReadScriptLine(file, line), ScriptRead::kEnd) << c.bytes.substr(0, 40);
        std::fclose(file);
    }
}

TEST(ScriptReader, ReadErrorInsideALine)
{
    FailingSource source{"complete\nbroken"};
    std::FILE* file = FailingFile(source);
    ASSERT_NE(file, nullptr);
    ScriptLine line;
    ASSERT_EQ(ReadScriptLine(file, line), ScriptRead::kLine);
    EXPECT_EQ(line.str(), "complete");
    EXPECT_EQ(ReadScriptLine(file, line), ScriptRead::kError);
    std::fclose(file);
}

}  // namespace
