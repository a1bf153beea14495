// The root window: frame, client area (the drawing surface) and status bar.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "errors/errors.h"
#include "startup/config.h"
#include "utilities/later_calls.h"
#include "windows/dialogs_internal.h"
#include "windows/events_internal.h"
#include "windows/root_state.h"
#include "windows/root_window.h"

namespace {

constexpr char kFrameClass[] = "MARROWFIELD";
constexpr char kClientClass[] = "MARWCLIENT";
constexpr int kStatusBarId = 999;

RootState& Root() { return TheRootState(); }

EventRecord RedrawRecord(HWND window)
{
    RECT r{};
    GetClientRect(window, &r);
    EventRecord record{};
    record[0] = kRootWindowNumber;
    record[1] = r.right - r.left;
    record[2] = r.bottom - r.top;
    record[11] = static_cast<int32_t>(CurrentMessageTime());
    return record;
}

// Drawing is laid out on the client's size; a minimised window keeps the
// last one, so that drawing meanwhile is there when it comes back.
void SizeSurface(int width, int height)
{
    RootState& root = Root();
    if (root.store.dc() && (width < 1 || height < 1)) return;
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (!root.store.Grow(width, height)) return;
    root.surfaceWidth = width;
    root.surfaceHeight = height;
    ++root.changes;
}

void LayOutClient(HWND frame)
{
    RootState& root = Root();
    RECT r{};
    GetClientRect(frame, &r);
    int statusHeight = 0;
    if (root.statusBar) {
        SendMessageA(root.statusBar, WM_SIZE, 0, 0);
        RECT s{};
        GetWindowRect(root.statusBar, &s);
        statusHeight = s.bottom - s.top;
    }
    if (root.client) MoveWindow(root.client, 0, 0, r.right - r.left, (r.bottom - r.top) - statusHeight, TRUE);
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        const RootState& root = Root();
        if (root.store.dc()) {
            const RECT& r = paint.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, root.store.dc(), r.left, r.top, SRCCOPY);
        }
        EndPaint(window, &paint);
        ProduceEvent(kRootSlot, kEventRedraw, RedrawRecord(window));
        return 0;
    }
    case WM_ERASEBKGND: return 1;  // the backing store covers everything
    case WM_SIZE: SizeSurface(LOWORD(lParam), HIWORD(lParam)); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        LayOutClient(window);
        if (wParam != SIZE_MINIMIZED && Root().client)
            ProduceEvent(kRootSlot, kEventResize, RedrawRecord(Root().client));
        return 0;
    case WM_SETFOCUS:
        if (Root().client) SetFocus(Root().client);
        return 0;
    case WM_CLOSE: return 0;  // the program decides when its root window goes
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

[[noreturn]] void FailCreation(const char* text)
{
    MessageBoxA(nullptr, text, "Marrowfield Window", MB_OK | MB_ICONSTOP);
    ExitProcess(0);
}

bool RegisterRootClasses(int32_t menu)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA frame = {};
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = instance;
    frame.hIcon = LoadIconA(instance, "icon1");
    frame.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frame.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    frame.lpszMenuName = menu ? MAKEINTRESOURCEA(menu) : nullptr;
    frame.lpszClassName = kFrameClass;
    UnregisterClassA(kFrameClass, instance);  // the menu may differ from an earlier opening
    if (!RegisterClassA(&frame)) return false;

    WNDCLASSA client = {};
    if (GetClassInfoA(instance, kClientClass, &client)) return true;
    client.style = CS_HREDRAW | CS_VREDRAW;
    client.lpfnWndProc = ClientProc;
    client.hInstance = instance;
    client.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    client.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    client.lpszClassName = kClientClass;
    return RegisterClassA(&client) != 0;
}

}  // namespace

void QRootOpen(RootSettings& settings, int32_t colours)
{
    RootState& root = Root();
    if (root.window) return;
    ToolkitConfig& config = TheConfig();

    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int width = settings.width < 1 ? screenWidth * 8 / 10 : settings.width;
    int height = settings.height < 1 ? screenHeight * 8 / 10 : settings.height;
    const int32_t flags = settings.flags;

    if (!RegisterRootClasses(settings.menu)) FailCreation("Failed to register class - aborting.");

    DWORD style = WS_CAPTION | WS_CLIPCHILDREN;
    if (flags & kRootSystemMenu) style |= WS_SYSMENU;
    if (flags & kRootMinimiseBox) style |= WS_MINIMIZEBOX;
    if (flags & kRootMaximiseBox) style |= WS_MAXIMIZEBOX;
    if (!(flags & kRootFixedSize)) style |= WS_THICKFRAME;
    if (flags & kRootMaximised) style |= WS_MAXIMIZE;
    DWORD exStyle = (flags & kRootOnTop) ? WS_EX_TOPMOST : 0;

    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, style, settings.menu != 0, exStyle);
    const int frameWidth = frame.right - frame.left;
    const int frameHeight = frame.bottom - frame.top;
    const int x = settings.x < 0 ? (screenWidth - frameWidth) / 2 : settings.x;
    const int y = settings.y < 0 ? (screenHeight - frameHeight) / 2 : settings.y;

    // Before the first window of the thread, which would start the input method manager.
    LeaveOutInputMethod();
    std::string title = settings.title.str();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    root.window = CreateWindowExA(exStyle, kFrameClass, title.c_str(), style, x, y, frameWidth, frameHeight, nullptr,
                                  nullptr, instance, nullptr);
    if (!root.window) FailCreation("Failed to create window - aborting.");

    // The common controls come with the status bar, else with the first dialog that needs them.
    if (flags & kRootStatusBar && StartCommonControls()) {
        DWORD barStyle = WS_CHILD | WS_VISIBLE | ((flags & kRootFixedSize) ? 0 : SBARS_SIZEGRIP);
        root.statusBar =
            CreateWindowExA(0, STATUSCLASSNAMEA, "", barStyle, 0, 0, 0, 0, root.window,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStatusBarId)), instance, nullptr);
    }
    RECT client{};
    GetClientRect(root.window, &client);
    root.client = CreateWindowExA(0, kClientClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                  client.right, client.bottom, root.window, nullptr, instance, nullptr);
    LayOutClient(root.window);
    GetClientRect(root.client, &client);
    SizeSurface(client.right, client.bottom);

    // On a 256-colour display the program chooses how many graduated colours it wants.
    if (config.displayColours == 256)
        config.graduatedColours = (colours == 32 || colours == 64 || colours == 128) ? colours : 16;

    ShowWindow(root.window, (flags & kRootHidden)      ? SW_HIDE
                            : (flags & kRootMaximised) ? SW_SHOWMAXIMIZED
                                                       : SW_SHOWNORMAL);
    // Not painted here: a blank surface would reach the screen only for the program's first drawing to cover it.
    // Drawing shows itself, and the first message loop paints whatever else is left.
    RegisterWindowMessageA("commdlg_FindReplace");
    ClearPendingEvents();
    SetFocus(root.client);
}

void QRootTitle(std::string_view text)
{
    if (!Root().window) {
        RaiseError(kErrorWindowHandle);
        return;
    }
    std::string title(TrimmedText(text.substr(0, 80)));
    SetWindowTextA(Root().window, title.c_str());
}

void QRootClose()
{
    RootState& root = Root();
    UnloadAllDialogs();
    if (root.window) DestroyWindow(root.window);
    const uint32_t changes = root.changes;
    root = RootState{};
    root.changes = changes + 1;
    ClearPendingEvents();
}

int32_t QScreenInfo(int32_t item)
{
    const ToolkitConfig& config = TheConfig();
    switch (item) {
    case 1: return config.started ? config.screenWidth : GetSystemMetrics(SM_CXSCREEN);
    case 2: return config.started ? config.screenHeight : GetSystemMetrics(SM_CYSCREEN);
    case 3: return config.displayColours;
    default: return 0;
    }
}

ScreenRect RootClientOnScreen()
{
    const RootState& root = Root();
    if (!root.client) return {};
    RECT r{};
    GetClientRect(root.client, &r);
    POINT origin{0, 0};
    ClientToScreen(root.client, &origin);
    return {origin.x, origin.y, r.right - r.left, r.bottom - r.top};
}

int32_t ChildScaleForScreenY(int32_t y)
{
    const ScreenRect client = RootClientOnScreen();
    if (client.height <= 0) return 0;
    const int64_t row = std::clamp<int64_t>(y - client.top, 0, client.height);
    // pixel = value * height / 9999, truncated: the smallest value reaching row.
    return static_cast<int32_t>((row * 9999 + client.height - 1) / client.height);
}
