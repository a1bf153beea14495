#pragma once
// The line rules of the install script, shared by the parser and the install
// pass: the vocabulary, the line preparation, sections, arguments,
// subdirectories, vertical-bar fields and the <defdir> placeholder. Portable.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "utilities/fixed_text.h"

constexpr std::size_t kScriptLineLength = 1024;
constexpr std::size_t kScriptKeywordLength = 261;
constexpr std::size_t kScriptArgumentLength = 261;
constexpr std::size_t kScriptMessageLength = 4096;

using ScriptLine = FixedText<kScriptLineLength>;
using ScriptKeyword = FixedText<kScriptKeywordLength>;
using ScriptArgument = FixedText<kScriptArgumentLength>;
using BarFields = std::array<FixedText<261>, 3>;

enum : int32_t {
    kSectionNone = 0,
    kSectionGeneral = 1,
    kSectionPage = 2,
    kSectionFile = 3,
};

// Keyword numbers: the position in the keyword table counted from 1; 0 is
// a first word that is no keyword.
enum : int32_t {
    kNotAKeyword = 0,
    kKeywordComment = 1,
    kKeywordDefdest,
    kKeywordTitle,
    kKeywordMessage,
    kKeywordBanner,
    kKeywordMkdir,
    kKeywordChdir,
    kKeywordCopy,
    kKeywordBackgrnd,
    kKeywordFont,
    kKeywordColour,
    kKeywordAssociate,
    kKeywordVariable,
    kKeywordProgram,
    kKeywordSfillcol,
    kKeywordEfillcol,
};

// Keyword groups: settings the parser applies, the comment marker and the
// file-section commands, the commands collected for the configuration page.
enum : int32_t { kGroupSetting = 0, kGroupFileCommand = 1, kGroupSystemCommand = 2 };

// The stored fields are blank-padded to their widths: keyword 9, display
// name 10, description 16 characters.
struct KeywordRecord {
    std::string_view keyword;
    std::string_view displayName;
    std::string_view description;
    int32_t group;
};

// Keyword 12, display name 12 characters.
struct SectionHeaderRecord {
    std::string_view keyword;
    std::string_view displayName;
    int32_t kind;
};

// Name 6, display name 6, caption 16 characters.
struct PageNameRecord {
    std::string_view name;
    std::string_view displayName;
    std::string_view caption;
};

inline constexpr std::array<KeywordRecord, 16> kKeywordTable = {{
    {"#        ", "#         ", "#               ", kGroupFileCommand},
    {"defdest  ", "DefDest   ", "                ", kGroupSetting},
    {"title    ", "Title     ", "                ", kGroupSetting},
    {"message  ", "Message   ", "                ", kGroupSetting},
    {"banner   ", "Banner    ", "Show Picture    ", kGroupFileCommand},
    {"mkdir    ", "Mkdir     ", "Make Directory  ", kGroupFileCommand},
    {"chdir    ", "Chdir     ", "Change Directory", kGroupFileCommand},
    {"copy     ", "Copy      ", "Copy File       ", kGroupFileCommand},
    {"backgrnd ", "BackGrnd  ", "                ", kGroupSetting},
    {"font     ", "Font      ", "                ", kGroupSetting},
    {"colour   ", "Colour    ", "                ", kGroupSetting},
    {"associate", "Associate ", "Associate type  ", kGroupSystemCommand},
    {"variable ", "Variable  ", "Set Variable    ", kGroupSystemCommand},
    {"program  ", "Program   ", "Menu Shortcut   ", kGroupSystemCommand},
    {"sfillcol ", "SFillCol  ", "                ", kGroupSetting},
    {"efillcol ", "EFillCol  ", "                ", kGroupSetting},
}};

inline constexpr std::array<SectionHeaderRecord, 3> kSectionHeaderTable = {{
    {"generalstart", "GeneralStart", kSectionGeneral},
    {"diagstart   ", "DiagStart   ", kSectionPage},
    {"filestart   ", "FileStart   ", kSectionFile},
}};

// Page number n is record n - 1. Page 3 has no dialog and a blank name,
// which a diagstart line without a name selects.
inline constexpr std::array<PageNameRecord, 5> kPageNameTable = {{
    {"init  ", "Init  ", "Initial         "},
    {"direct", "Direct", "Directory Choice"},
    {"      ", "      ", "                "},
    {"finish", "Finish", "Finish          "},
    {"system", "System", "System Config   "},
}};

// The keyword number of a lower-cased first word; the word must equal a
// table keyword exactly.
int32_t FindKeyword(std::string_view keyword);

// Line preparation: the first word of line goes into keyword, lower-cased,
// and the rest of the line is left-justified in line. Returns the
// significant length of the rest.
std::size_t PrepareScriptLine(std::span<char> line, std::span<char> keyword);

// Recognises a section header: sets the kind, clears the message
// continuation and blanks bannerPath; after diagstart, the page named by the
// rest (page unchanged when the name is unknown). Any other keyword changes
// nothing.
void ClassifySection(std::string_view keyword, std::string_view rest, int32_t& sectionKind, int32_t& page,
                     bool& continuation);

// Takes the next argument off rest: a double-quoted string (quotes removed)
// or a blank-delimited word; blank when rest is blank.
void NextArgument(std::span<char> rest, std::span<char> argument);

// chdir: subDir is the directory with a closing backslash (blank for none),
// targetDir the installation directory followed by subDir.
void SetSubdirectory(std::string_view directory);

// The first count (at most 3) fields of line that are each closed by a
// vertical bar, left-justified; <defdir> is replaced in those flagged.
void SplitBarFields(std::string_view line, BarFields& fields, const std::array<bool, 3>& substitute, int32_t count);

// Replaces every <defdir>, in any letter case, by installDir without a
// closing backslash; the text keeps its length.
void SubstituteDefdir(std::span<char> text);

// Three blank-separated integers 0 to 255 from rest; the colour changes only
// when all three are valid.
void ReadColour(std::span<char> rest, int32_t& red, int32_t& green, int32_t& blue);
