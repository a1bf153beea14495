// The fixed message of every toolkit error code.
#include "errors/errors.h"

#include <algorithm>
#include <iterator>

#include "utilities/fixed_text.h"

namespace {

struct CodeMessage {
    int32_t code;
    std::string_view text;
};

constexpr CodeMessage kMessages[] = {
    {1, "Error opening file or device"},
    {2, "Error reading/writing file or device"},
    {3, "Error closing file or device"},
    {4, "Number too large in string to numeric conversion"},
    {5, "Graphics not supported on requested printer"},
    {10, "No substring found"},
    {11, "More than one decimal point in number"},
    {12, "Invalid character detected"},
    {13, "Operating system command error in an OS routine"},
    {16, "X or Y graphics unit range is invalid"},
    {18, "Numeric to string conversion error"},
    {20, "Circle/ellipse radius <=0, height ratio<=0 or arc angle=0"},
    {21, "Length of axis-parallel side of a parallelogram is =<0"},
    {22, "Width/height=0 for a rectangle/triangle/parallelogram"},
    {23, "No program name specified to QOsExecute"},
    {24, "Too many data values specified for a cumulative plot"},
    {25, "Too many bytes in char set during conversion from ASCII"},
    {27, "Incompatible or unsupported image file in QGrLoadImage"},
    {28, "Borders cross in QGrPolygonSimple - unable to fill polygon"},
    {34, "Requested page size too large for raster image buffer"},
    {42, "Unknown colour name/number specified to QGrColour/QGrColourN"},
    {43, "Contour heights must increase monotonically"},
    {44, "Invalid X and/or Y range in QGrArea/QGrViewport/QGrReplayArea"},
    {46, "No graphics hardcopy driver currently selected"},
    {49, "Fill too complex in QGrPolygonComplex"},
    {51, "A search box contains too many points in QPgXYZToGrid"},
    {53, "Cannot find substitute software font in QGrCharOut"},
    {54, "Mismatched driver/device in hardcopy options file"},
    {55, "Source and target file names same in copy command"},
    {58, "Min value greater than max value in QPgHighLow"},
    {63, "Windows printer not available"},
    {64, "Bit image transfer failed in QGrPrintImage"},
    {1001, "Invalid menu item"},
    {1002, "Unable to load menu from resource"},
    {1003, "Invalid window handle"},
    {1004, "General error in common dialog"},
    {1005, "No dialogs currently loaded"},
    {1006, "Invalid field identifier"},
    {1007, "Unable to load dialog from resource"},
    {1008, "Unable to select specified dialog"},
    {1009, "Attempt to store an out of range dialog field value"},
    {1010, "Field value undefined"},
    {1011, "Option number out of range"},
    {1012, "Invalid tab number specified"},
    {1013, "Invalid range specified for progress bar"},
    {1014, "Invalid dialog mode requested"},
    {1015, "Invalid bitmap/icon identifier"},
    {1016, "Unable to display window/dialog. Root window hidden"},
    {1017, "Cell co-ordinates out of range"},
    {1018, "Too many rows for grid field to hold"},
    {1019, "Invalid target drawing surface"},
    {1020, "Bitmap creation failed"},
    {1021, "Invalid bitmap handle"},
    {1022, "Only child windows can be converted into editors or viewers"},
    {1023, "Variable too small to receive text"},
    {1024, "Invalid editor mode requested"},
    {1025, "Editor can't have menu in InsideRoot child window"},
    {1026, "User menu not supported with modal editor"},
    {1027, "General problem initializing editor"},
    {1028, "Current window is not a text editor"},
    {1029, "Invalid range specified for trackbar"},
    {1030, "General help viewer error"},
    {1031, "Not a valid help file extension"},
    {1032, "Editor does not have a command line"},
    {1033, "Editor can't have command line in InsideRoot child window"},
    {1034, "External process timed out before completion"},
    {1035, "Failed to enable OpenGL graphics"},
    {1036, "Can't destroy bitmap while in use by bitmap viewer"},
    {1037, "Specified bitmap is already in use"},
    {1038, "Child window is already converted to a different type"},
    {1039, "Invalid bitmap viewer mode requested"},
    {1040, "General problem initializing bitmap viewer"},
};

static_assert(std::is_sorted(std::begin(kMessages), std::end(kMessages),
                             [](const CodeMessage& a, const CodeMessage& b) { return a.code < b.code; }));
static_assert(std::all_of(std::begin(kMessages), std::end(kMessages),
                          [](const CodeMessage& m) { return m.text.size() <= kMessageLength; }));

}  // namespace

std::string_view ErrorMessage(int32_t code)
{
    auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                               [](const CodeMessage& m, int32_t c) { return m.code < c; });
    if (it == std::end(kMessages) || it->code != code) return " ";
    return it->text;
}

void ErrorMessage(int32_t code, std::span<char> field)
{
    FillText(field.first(std::min(field.size(), kMessageLength)), ErrorMessage(code));
    if (field.size() > kMessageLength) FillText(field.subspan(kMessageLength), "");
}

std::string ReportLine(int32_t code)
{
    // "Error=" + code right-justified in 4 columns + ":" + the 62-character message.
    std::string count = std::to_string(code);
    std::string line = "Error=";
    if (count.size() > 4)
        line += "****";  // as an integer edit that does not fit
    else
        line += std::string(4 - count.size(), ' ') + count;
    line += ':';
    std::string message(kMessageLength, ' ');
    ErrorMessage(code, message);
    line += message;
    return line;
}
