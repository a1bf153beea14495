// How long painting takes, beside the cost of touching every pixel of the
// screen once (one BitBlt of the whole screen). Prints ratios; asserts nothing.
//   paint_bench [REPEATS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "driver/install_state.h"
#include "driver/installer_main.h"
#include "errors/errors.h"
#include "graphics/graphics.h"
#include "script/install_plan.h"
#include "startup/startup.h"
#include "ui/background.h"
#include "windows/root_window.h"

namespace {

template <typename F>
double MillisecondsPerRun(int repeats, F run)
{
    run();  // warm up
    const double start = SecondsNow();
    for (int i = 0; i < repeats; ++i) run();
    return (SecondsNow() - start) * 1000.0 / repeats;
}

void Put(std::string& s, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 640x480 24-bit picture with a gradient, as BMP and as run-length PCX.
std::string Bmp640()
{
    const int w = 640, h = 480, stride = w * 3;
    std::string s = "BM";
    Put(s, 54 + stride * h, 4);
    Put(s, 0, 4);
    Put(s, 54, 4);
    Put(s, 40, 4);
    Put(s, w, 4);
    Put(s, h, 4);
    Put(s, 1, 2);
    Put(s, 24, 2);
    Put(s, 0, 4);
    Put(s, stride * h, 4);
    Put(s, 2835, 4);
    Put(s, 2835, 4);
    Put(s, 0, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            s += static_cast<char>(x & 0xFF);
            s += static_cast<char>(y & 0xFF);
            s += static_cast<char>((x + y) & 0xFF);
        }
    return s;
}

std::string Pcx640()
{
    const int w = 640, h = 480;
    std::string s;
    s += static_cast<char>(10);
    s += static_cast<char>(5);
    s += static_cast<char>(1);
    s += static_cast<char>(8);
    Put(s, 0, 4);
    Put(s, w - 1, 2);
    Put(s, h - 1, 2);
    Put(s, 72, 2);
    Put(s, 72, 2);
    s += std::string(49, '\0');
    s += static_cast<char>(3);
    Put(s, w, 2);
    Put(s, 1, 2);
    s += std::string(128 - s.size(), '\0');
    for (int y = 0; y < h; ++y)
        for (int plane = 0; plane < 3; ++plane)
            for (int x = 0; x < w;) {
                // Runs of 8 equal bytes: a typical picture compresses a little.
                const int v = plane == 0 ? (x / 8) & 0xFF : plane == 1 ? y & 0xFF : ((x / 8) + y) & 0xFF;
                s += static_cast<char>(0xC8);
                s += static_cast<char>(v);
                x += 8;
            }
    return s;
}

void WriteFileBytes(const char* path, const std::string& bytes)
{
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
}

}  // namespace

int main(int argc, char** argv)
{
    const int repeats = argc > 1 ? std::atoi(argv[1]) : 20;
    OpenInstallerRootWindow();
    ResetInstallPlan();
    TheInstallPlan().general.message.assign("Welcome to the Demo Product\r\nIt will be installed on your computer");

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string bmp = std::string(temp) + "bench640.bmp";
    const std::string pcx = std::string(temp) + "bench640.pcx";
    WriteFileBytes(bmp.c_str(), Bmp640());
    WriteFileBytes(pcx.c_str(), Pcx640());

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);

    const double blit =
        MillisecondsPerRun(repeats, [&] { BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY); });
    // Each run paints afresh: the same background again on an unchanged surface is left as it is.
    const double paint = MillisecondsPerRun(repeats, [] {
        TheInstallState().paintedMode = -1;
        PaintBackground(1);
    });
    QGrArea(0.1f, 0.1f, 0.9f, 0.9f);
    const double bmpLoad = MillisecondsPerRun(repeats, [&] { QGrLoadImage(bmp); });
    const double pcxLoad = MillisecondsPerRun(repeats, [&] { QGrLoadImage(pcx); });
    const int32_t error = QErrorInfo(1);

    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteFileA(bmp.c_str());
    DeleteFileA(pcx.c_str());

    std::printf("screen %dx%d, %d runs each%s\n", width, height, repeats, error ? " (a picture failed to load)" : "");
    std::printf("%-44s %8.3f ms\n", "one BitBlt of the whole screen", blit);
    std::printf("%-44s %8.3f ms  %6.1f x BitBlt\n", "PaintBackground(1), 255 bands and 2 lines", paint, paint / blit);
    std::printf("%-44s %8.3f ms  %6.1f x BitBlt\n", "load and draw a 640x480 24-bit BMP", bmpLoad, bmpLoad / blit);
    std::printf("%-44s %8.3f ms  %6.1f x BitBlt\n", "load and draw a 640x480 24-bit PCX", pcxLoad, pcxLoad / blit);
    return 0;
}
