// The least a Windows program does to show what setup.exe shows first: one
// full-screen window, painted, and one dialog from a resource over it. The
// start-up benchmark starts it beside setup.exe.
#include <windows.h>

namespace {

LRESULT CALLBACK Background(HWND window, UINT message, WPARAM w, LPARAM l)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        EndPaint(window, &ps);
        return 0;
    }
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, w, l);
}

INT_PTR CALLBACK Page(HWND dialog, UINT message, WPARAM w, LPARAM)
{
    if (message == WM_COMMAND && (LOWORD(w) == IDOK || LOWORD(w) == IDCANCEL)) {
        DestroyWindow(GetParent(dialog) ? GetParent(dialog) : dialog);
        PostQuitMessage(0);
        return TRUE;
    }
    return message == WM_INITDIALOG;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    WNDCLASSA c{};
    c.lpfnWndProc = Background;
    c.hInstance = instance;
    c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    c.lpszClassName = "MinimalBackground";
    RegisterClassA(&c);
    HWND root =
        CreateWindowA("MinimalBackground", "Minimal", WS_POPUP | WS_VISIBLE, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                      GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, instance, nullptr);
    UpdateWindow(root);
    HWND page = CreateDialogParamA(instance, MAKEINTRESOURCEA(1), root, Page, 0);
    ShowWindow(page, SW_SHOW);
    for (MSG m; GetMessageA(&m, nullptr, 0, 0) > 0;)
        if (!IsDialogMessageA(page, &m)) TranslateMessage(&m), DispatchMessageA(&m);
    return 0;
}
