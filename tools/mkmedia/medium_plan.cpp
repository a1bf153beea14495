#include "medium_plan.h"

#include "lint_files.h"
#include "lz_compress.h"
#include "script/script_lines.h"
#include "script/script_reader.h"

namespace {

// A medium file, kept once: a later line naming it again only counts.
void Add(MediumPlan& plan, MediumFile file)
{
    file.copies = file.picture ? 0 : 1;
    for (MediumFile& f : plan.files) {
        if (!SameName(f.medium, file.medium)) continue;
        f.copies += file.copies;
        return;
    }
    plan.files.push_back(file);
}

// A copy line's source and destination: a source with the compressed name of
// its destination is written compressed from the product's file of that name;
// a source ending in '_' without a destination is the product file whose
// compressed name it is; any other is the product's file as it is.
void PlanCopy(MediumPlan& plan, int32_t line, const std::string& subDir, std::string_view source,
              std::string_view target)
{
    MediumFile file{line, subDir + std::string(source), subDir + std::string(source)};
    if (!target.empty()) {
        const LzName packed = LzCompressedName(target);
        if (packed.error.empty() && SameName(packed.name, std::string(source))) {
            file.compressed = true;
            file.replacedChar = packed.replacedChar;
            file.product = subDir + std::string(target);
        }
    } else if (source.back() == '_') {
        file.compressed = true;
        file.product.clear();
    }
    Add(plan, file);
}

}  // namespace

MediumPlan PlanMedium(std::FILE* script)
{
    MediumPlan plan;
    int32_t sectionKind = kSectionNone;
    int32_t page = 0;
    bool continuation = false;
    std::string subDir;
    ScriptLine line;
    ScriptKeyword keyword;
    for (int32_t number = 1;; ++number) {
        const ScriptRead read = ReadScriptLine(script, line);
        if (read == ScriptRead::kError) plan.readError = true;
        if (read != ScriptRead::kLine) break;
        if (line.blank()) continue;
        PrepareScriptLine(line, keyword);
        ClassifySection(keyword, line, sectionKind, page, continuation);
        const int32_t word = FindKeyword(keyword);
        ScriptArgument first;
        ScriptArgument second;
        NextArgument(line, first);
        NextArgument(line, second);
        if (sectionKind == kSectionFile && word == kKeywordChdir) {
            subDir = std::string(first.trimmed());
            if (!subDir.empty() && subDir.back() != '\\') subDir.push_back('\\');
        }
        if (sectionKind == kSectionFile && word == kKeywordCopy && !first.blank())
            PlanCopy(plan, number, subDir, first.trimmed(), second.trimmed());
        // Pictures lie in the medium's own folder, whatever chdir said.
        if (sectionKind == kSectionPage && page != 0 && word == kKeywordBanner && !first.blank()) {
            MediumFile picture{number, std::string(first.trimmed()), std::string(first.trimmed())};
            picture.picture = true;
            Add(plan, picture);
        }
    }
    return plan;
}
