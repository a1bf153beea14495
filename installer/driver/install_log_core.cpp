#include "driver/install_log_core.h"

#include "driver/messages.h"
#include "utilities/fixed_text.h"
#include "utilities/text.h"

namespace {

constexpr std::string_view kMonthNames = "JanFebMarAprMayJunJulAugSepOctNovDec";

// Writes value with an integer edit format over the template at a 1-based position.
void Place(std::string& text, std::size_t position, int32_t value, std::string_view format, std::size_t width)
{
    FixedText<10> edited;
    QStrFromInt(value, edited, format);
    text.replace(position - 1, width, edited.view().substr(0, width));
}

std::string_view LabelOf(int32_t code)
{
    switch (code) {
    case kLogCreatedDirectory: return kLogCreatedDirectoryLabel;
    case kLogCopiedFile: return kLogCopiedFileLabel;
    case kLogCopyError: return kLogCopyErrorLabel;
    case kLogUnfinished: return kLogUnfinishedLabel;
    default: return "";
    }
}

}  // namespace

std::string LogHeaderText(int32_t hour, int32_t minute, int32_t year, int32_t month, int32_t day)
{
    std::string text(kLogHeader);
    Place(text, 51, hour, "(I2.2)", 2);
    Place(text, 54, minute, "(I2.2)", 2);
    Place(text, 60, day, "(I2.2)", 2);
    if (month >= 1 && month <= 12) text.replace(62, 3, kMonthNames.substr(static_cast<std::size_t>(month - 1) * 3, 3));
    Place(text, 67, year, "(I4.4)", 4);
    return text;
}

std::string LogEntryLine(int32_t code, std::string_view text)
{
    std::string line(LabelOf(code));
    if (code != kLogText && code != kLogUnfinished) line.push_back(' ');
    line.append(TrimmedText(text));
    return line;
}

std::string LogSummaryLine(int32_t copyErrors)
{
    FixedText<10> count;
    QStrFromInt(copyErrors, count, "(I10)");
    QStrJustify(count, "L");
    return Filled(kLogSummary, {count.str()});
}
