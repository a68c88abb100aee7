/* The least a Windows program can do to show what the menu shows: a fixed 641 x 499 window,
   centred, whose client area is one bitmap blitted on every paint. The start-up benchmark
   measures the menu against it. The bitmap's row 458 is silver, like the menu's lowest
   button frame, so that one probe can tell when either has painted. */
#include <windows.h>

enum { kWidth = 641, kHeight = 499 };

static HDC bitmap_dc;

static LRESULT CALLBACK window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            BitBlt(dc, 0, 0, kWidth, kHeight, bitmap_dc, 0, 0, SRCCOPY);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

int main(void) {
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    BITMAPINFO info = {0};
    unsigned* bits = NULL;
    WNDCLASSW wc = {0};
    RECT r = {0, 0, kWidth, kHeight};
    HWND hwnd;
    MSG msg;
    int x, y;

    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_dc = CreateCompatibleDC(NULL);
    SelectObject(bitmap_dc, CreateDIBSection(NULL, &info, DIB_RGB_COLORS, (void**)&bits, NULL, 0));
    for (y = 0; y < kHeight; ++y)
        for (x = 0; x < kWidth; ++x)
            bits[y * kWidth + x] = y == 458 ? 0xC0C0C0u : (unsigned)((x & 0xFF) << 8 | (y & 0xFF));

    wc.lpfnWndProc = window_proc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.lpszClassName = L"Minimal";
    RegisterClassW(&wc);
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_DLGMODALFRAME);
    hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, L"Minimal", L"Minimal", style,
                           (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2,
                           (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2,
                           r.right - r.left, r.bottom - r.top, NULL, NULL, wc.hInstance, NULL);
    ShowWindow(hwnd, SW_SHOWNORMAL);
    while (GetMessageW(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
