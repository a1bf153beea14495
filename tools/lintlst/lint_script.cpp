#include "lint_script.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>

#include "script/script_lines.h"
#include "script/script_reader.h"
#include "system/system_lines.h"
#include "utilities/text.h"

namespace {

std::string Upper(std::string_view text)
{
    std::string s(text);
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Where each keyword acts: the general section's settings, a page's texts
// and picture, a file section's commands.
bool ActsIn(int32_t keyword, int32_t section)
{
    switch (keyword) {
    case kKeywordComment: return true;
    case kKeywordTitle: return section == kSectionGeneral || section == kSectionPage;
    case kKeywordMessage: return section == kSectionGeneral || section == kSectionPage;
    case kKeywordBanner: return section == kSectionPage || section == kSectionFile;
    case kKeywordDefdest:
    case kKeywordBackgrnd:
    case kKeywordFont:
    case kKeywordColour:
    case kKeywordSfillcol:
    case kKeywordEfillcol: return section == kSectionGeneral;
    default: return section == kSectionFile;
    }
}

const char* SectionName(int32_t section)
{
    switch (section) {
    case kSectionGeneral: return "the general section";
    case kSectionPage: return "a page section";
    case kSectionFile: return "a file section";
    default: return "no section";
    }
}

class Linter {
public:
    Linter(std::string_view script, const LintFiles& files) : files_(files)
    {
        for (std::size_t at = 0; at <= script.size();) {
            std::size_t end = std::min(script.find('\n', at), script.size());
            std::string_view raw = script.substr(at, end - at);
            if (raw.ends_with('\r')) raw.remove_suffix(1);
            raw_.emplace_back(raw);
            at = end + 1;
        }
    }

    std::vector<LintFinding> Run(std::FILE* script)
    {
        ScriptLine line;
        for (number_ = 1; ReadScriptLine(script, line) == ScriptRead::kLine; ++number_) {
            text_ = number_ <= static_cast<int32_t>(raw_.size()) ? raw_[number_ - 1] : "";
            if (line.blank()) continue;
            Check(line);
        }
        std::stable_sort(found_.begin(), found_.end(),
                         [](const LintFinding& a, const LintFinding& b) { return a.line < b.line; });
        return found_;
    }

private:
    void Say(bool error, std::string_view where, const std::string& message)
    {
        // The column of `where` in the line as written: its first place after the keyword, else the line's start.
        std::size_t at = where.empty() ? std::string::npos : text_.find(where, keywordEnd_);
        if (at == std::string::npos) at = text_.find_first_not_of(" \t");
        found_.push_back({number_, static_cast<int32_t>(at == std::string::npos ? 1 : at + 1), error, message});
    }

    void Check(ScriptLine& line)
    {
        if (text_.size() > kScriptLineLength)
            Say(false, "",
                "the line is " + std::to_string(text_.size()) + " characters long: the installer reads the first " +
                    std::to_string(kScriptLineLength));
        const std::size_t first = text_.find_first_not_of(" \t");
        keywordEnd_ = first == std::string::npos ? 0 : std::min(text_.find_first_of(" \t", first), text_.size());
        ScriptKeyword keyword;
        PrepareScriptLine(line, keyword);
        const std::string word(keyword.trimmed());
        const std::string rest(line.trimmed());
        const int32_t before = section_;
        ClassifySection(keyword, line, section_, page_, continuation_);
        if (section_ != before || word == "diagstart" || word == "generalstart" || word == "filestart") {
            Section(word, rest);
            return;
        }
        if (word.starts_with('#')) return;
        const int32_t number = FindKeyword(keyword);
        if (number == kNotAKeyword) {
            Say(false, "", "unknown keyword '" + word + "': the line is ignored");
            return;
        }
        if (!ActsIn(number, section_)) {
            Say(false, "", "'" + word + "' in " + SectionName(section_) + ": the line is ignored");
            return;
        }
        if (section_ == kSectionPage && page_ == 0) {
            Say(false, "", "'" + word + "' before a known page: the line is ignored");
            return;
        }
        if (rest.find('"') != std::string::npos && std::count(rest.begin(), rest.end(), '"') % 2 != 0)
            Say(false, "\"", "unclosed quote: the argument runs to the next blank, quote and all");
        if (number != kKeywordAssociate && number != kKeywordVariable && number != kKeywordProgram &&
            Upper(rest).find("<DEFDIR>") != std::string::npos)
            Say(false, "<", "<defdir> is replaced only in associate, variable and program lines: here it stays");
        switch (number) {
        case kKeywordDefdest: Defdest(line); break;
        case kKeywordBackgrnd: Number(rest, 0, 3, "the background style"); break;
        case kKeywordFont: Number(rest, 1, 8, "the font"); break;
        case kKeywordColour:
        case kKeywordSfillcol:
        case kKeywordEfillcol: Colour(word, line); break;
        case kKeywordBanner: Picture(line); break;
        case kKeywordMkdir: Mkdir(line); break;
        case kKeywordChdir: Chdir(line); break;
        case kKeywordCopy: Copy(line); break;
        case kKeywordAssociate:
        case kKeywordVariable:
        case kKeywordProgram: SystemLine(number, word, rest); break;
        default: break;
        }
    }

    void Section(const std::string& word, const std::string& rest)
    {
        if (word != "diagstart") return;
        const std::string name = rest;
        if (name.empty()) {
            Say(false, "", "diagstart without a page name: its lines go to no page shown");
            return;
        }
        for (const PageNameRecord& r : kPageNameTable)
            if (!TrimmedText(r.name).empty() && Upper(TrimmedText(r.name)) == Upper(name)) return;
        Say(false, name,
            "unknown page '" + name + "': " +
                (page_ == 0 ? std::string("the lines up to the next section are ignored")
                            : "the lines go on to the page before"));
    }

    void Number(const std::string& rest, int32_t low, int32_t high, const char* what)
    {
        const IntConversion c = ConvertToInt(rest);
        if (c.error != 0) {
            const bool taken = 0 >= low && 0 <= high;
            Say(false, rest,
                "'" + rest + "' is not a number: " +
                    (taken ? "the installer takes 0" : std::string("ignored, ") + what + " stays"));
        } else if (c.value < low || c.value > high) {
            Say(false, rest,
                std::to_string(c.value) + " is outside " + std::to_string(low) + " to " + std::to_string(high) +
                    ": ignored, " + what + " stays");
        }
    }

    void Colour(const std::string& word, ScriptLine& line)
    {
        const std::string rest(line.trimmed());
        int32_t rgb[3] = {-1, -1, -1};
        ReadColour(line, rgb[0], rgb[1], rgb[2]);
        if (rgb[0] < 0) Say(false, rest, word + " needs three numbers 0 to 255: ignored, the colour stays");
    }

    void Defdest(ScriptLine& line)
    {
        ScriptArgument d;
        NextArgument(line, d);
        const std::string dir(d.trimmed());
        if (dir.size() >= 2 && dir[1] == ':')
            Say(false, dir, "the drive " + dir.substr(0, 2) + " is replaced by the first installable drive");
        Long(dir);
    }

    // A name the installer cuts to its field: measured as written, from where the cut one starts.
    void Long(const std::string& argument)
    {
        if (argument.size() < kScriptArgumentLength) return;
        const std::size_t at = text_.find(argument, keywordEnd_);
        const std::size_t end = at == std::string::npos ? at : text_.find_first_of(" \t", at);
        const std::size_t length = (end == std::string::npos ? text_.size() : end) - at;
        if (at != std::string::npos && length > kScriptArgumentLength)
            Say(false, argument.substr(0, 8),
                "the name is " + std::to_string(length) + " characters long: the installer keeps " +
                    std::to_string(kScriptArgumentLength));
    }

    void Picture(ScriptLine& line)
    {
        ScriptArgument name;
        NextArgument(line, name);
        const std::string picture(name.trimmed());
        if (picture.empty() || !files_.exists) return;
        if (!files_.exists(picture))
            Say(false, picture, picture + " is not on the medium: the installer says it cannot find it");
        else if (files_.drawable && !files_.drawable(picture))
            Say(false, picture, picture + " cannot be drawn: the installer reports it and shows none");
    }

    // mkdir makes one directory under the installation directory, whose
    // parent must be made before.
    void Mkdir(ScriptLine& line)
    {
        ScriptArgument name;
        NextArgument(line, name);
        std::string dir(name.trimmed());
        while (dir.ends_with('\\')) dir.pop_back();
        if (dir.empty()) return;
        const std::size_t slash = dir.rfind('\\');
        if (slash != std::string::npos && !made_.contains(Upper(dir.substr(0, slash))))
            Say(true, dir,
                "mkdir " + dir + ": " + dir.substr(0, slash) +
                    " is not made before: the installation stops here (\"Error when reading from INSTALL.LST\")");
        made_.insert(Upper(dir));
    }

    void Chdir(ScriptLine& line)
    {
        ScriptArgument name;
        NextArgument(line, name);
        std::string dir(name.trimmed());
        while (dir.ends_with('\\')) dir.pop_back();
        subDir_ = dir.empty() ? "" : dir + "\\";
        if (!dir.empty() && !made_.contains(Upper(dir)))
            Say(true, dir,
                "chdir " + dir +
                    ": no mkdir made it, the installation stops here (\"Error when reading from INSTALL.LST\")");
    }

    void Copy(ScriptLine& line)
    {
        ScriptArgument source;
        ScriptArgument target;
        NextArgument(line, source);
        NextArgument(line, target);
        const std::string from(source.trimmed());
        if (from.empty()) return;
        Long(from);
        if (files_.exists && !files_.exists(subDir_ + from))
            Say(true, from,
                "copy source " + subDir_ + from + " is not on the medium: the installer stops before the first page");
        // Without a destination the name inside a compressed file; else the source's own.
        std::string to(target.trimmed());
        if (to.empty() && from.ends_with('_')) return;
        if (to.empty()) to = from;
        const std::string key = Upper(subDir_ + to);
        if (const auto [at, fresh] = copiedTo_.emplace(key, number_); !fresh)
            Say(false, target.blank() ? from : to,
                "copied to " + subDir_ + to + " again (first at line " + std::to_string(at->second) +
                    "): the later copy replaces it");
    }

    void SystemLine(int32_t number, const std::string& word, const std::string& rest)
    {
        const bool fields = number == kKeywordAssociate ? AssociationHasFields(rest)
                            : number == kKeywordProgram ? ShortcutHasFields(rest)
                                                        : VariableHasName(rest);
        if (!fields) {
            Say(false, "", word + " without its fields: skipped, the log says \"" + SkippedLineText(word, rest) + "\"");
            return;
        }
        if (number != kKeywordVariable) return;
        const std::size_t equals = rest.find('=');
        const std::string name(TrimmedText(std::string_view(rest).substr(0, equals)));
        if (equals != std::string::npos &&
            Upper(rest.substr(equals + 1)).find("%" + Upper(name) + "%") != std::string::npos)
            Say(false, name, name + " refers to itself: the installer adds to the value it has on the machine");
    }

    const LintFiles& files_;
    std::vector<std::string> raw_;
    std::vector<LintFinding> found_;
    std::string text_;
    std::size_t keywordEnd_ = 0;
    int32_t number_ = 0;
    int32_t section_ = kSectionNone;
    int32_t page_ = 0;
    bool continuation_ = false;
    std::string subDir_;
    std::set<std::string> made_;
    std::map<std::string, int32_t> copiedTo_;
};

}  // namespace

std::vector<LintFinding> LintScript(std::FILE* script, const LintFiles& files)
{
    std::string text;
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, script)) > 0;) text.append(buffer, n);
    std::rewind(script);
    return Linter(text, files).Run(script);
}
