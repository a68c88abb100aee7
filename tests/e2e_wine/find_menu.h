/* Finds the menu's window from inside Wine, as the probes built during the tests need it: the
   owned top-level window titled "Velmorra" (its owner, the taskbar entry, has the same title). */
#ifndef VELMORRA_FIND_MENU_H
#define VELMORRA_FIND_MENU_H

#include <windows.h>

static HWND menu_window;

static BOOL CALLBACK find_menu(HWND hwnd, LPARAM unused) {
    char title[64] = "";
    (void)unused;
    GetWindowTextA(hwnd, title, sizeof title);
    if (GetWindow(hwnd, GW_OWNER) && lstrcmpA(title, "Velmorra") == 0) {
        menu_window = hwnd;
        return FALSE;
    }
    return TRUE;
}

#endif
