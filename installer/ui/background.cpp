#include "ui/background.h"

#include <string_view>

#include "driver/install_state.h"
#include "graphics/graphics.h"
#include "script/install_plan.h"
#include "ui/band_colours.h"
#include "utilities/fixed_text.h"

namespace {

constexpr std::size_t kLineBufferLength = 261;

void DrawMessage(const GeneralSettings& general, int32_t titleNumber)
{
    QGrArea(0, 0, 1, 1);
    QGrColourN(titleNumber);
    QGrTextAlign("L");
    QGrTextSpacing("P");
    QGrTextFont(general.font);
    QGrTextSize(2.0f, 1.6f);
    // Only the first 261 characters of the message are drawn.
    FixedText<kLineBufferLength> buffer(general.message.view().substr(0, kLineBufferLength));
    float offset = 0.0f;
    for (;;) {
        const std::string_view text = buffer.view();
        const std::size_t separator = text.find("\r\n");
        const std::size_t length = separator != std::string_view::npos ? separator : SignificantLength(text);
        // An empty line ends the message.
        if (length == 0) return;
        QGrCharOut(0.03f, 0.95f - offset, text.substr(0, length));
        offset += 0.05f;
        const std::size_t drop = std::min(length + 2, kLineBufferLength);
        buffer.assign(text.substr(drop));
    }
}

// The background into the drawing surface.
void Paint(const GeneralSettings& general, int32_t mode, int32_t n)
{
    QGrInit(" ");
    QGrFillStyle(4);
    const int32_t style = general.backgroundStyle;
    const int32_t bands = n - 1;
    const int32_t spacing = n > 0 ? 256 / n : 0;
    int32_t titleNumber;
    if (style == 0) {
        QGrDefineColour(1, general.startFillColour.red, general.startFillColour.green, general.startFillColour.blue, 1);
        titleNumber = 129;
    } else {
        for (int32_t k = 0; k < bands; ++k) {
            const ColourTriple c = BandColour(general.startFillColour, general.endFillColour, bands, k);
            QGrDefineColour(k * spacing, c.red, c.green, c.blue, 1);
        }
        titleNumber = bands * spacing;
    }
    QGrDefineColour(titleNumber, general.titleColour.red, general.titleColour.green, general.titleColour.blue);

    const float u = static_cast<float>(bands);
    if (style == 0) {
        QGrArea(0, 0, 1, 1);
        QGrPlotUnits(0, 0, 1, 1);
        QGrColourN(1);
        QGrBox(0, 0, 1, 1);
    } else {
        QGrPlotUnits(0, 0, u, u);
        for (int32_t k = 0; k < bands; ++k) {
            const float fk = static_cast<float>(k);
            switch (style) {
            case 1:
                QGrColourN(k * spacing);
                QGrBox(0, u - fk - 1, u, u - fk);
                break;
            case 2:
                QGrColourN(k * spacing);
                QGrBox(0, 0, u - fk, u - fk);
                break;
            default:
                QGrColourN((bands - 1 - k) * spacing);
                QGrBox(u - fk - 1, 0, u - fk, u);
                break;
            }
        }
        QGrPlotUnits(0, 0, 1, 1);
    }
    if (mode == 1) DrawMessage(general, titleNumber);
}

}  // namespace

void PaintBackground(int32_t mode)
{
    GeneralSettings& general = TheInstallPlan().general;
    InstallState& state = TheInstallState();
    const int32_t n = QGrInfo(30);
    // Too few colours for a gradient: a plain fill for the rest of the run.
    if (n < 16) general.backgroundStyle = 0;
    // The same background again on a surface that nothing has changed since would draw the same pixels: the page
    // after the first painting, and every redraw of a page without a picture.
    if (mode == state.paintedMode && n == state.paintedColours && SurfaceChanges() == state.paintedSurface &&
        general == state.paintedSettings)
        return;
    {
        const ScreenCopyHold hold;
        Paint(general, mode, n);
    }
    state.paintedMode = mode;
    state.paintedSettings = general;
    state.paintedColours = n;
    state.paintedSurface = SurfaceChanges();
}
