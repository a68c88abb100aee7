/* Reports, from inside Wine, what Windows itself says about the menu's window: its frame
   style, its rectangles, the screen it was centred on and its owner window. */
#include <stdio.h>
#include <windows.h>

#include "find_menu.h"

int main(void) {
    RECT window, client;
    POINT origin = {0, 0};
    HWND owner;
    char owner_title[64] = "";
    EnumWindows(find_menu, 0);
    if (!menu_window) {
        printf("found=0\n");
        return 1;
    }
    owner = GetWindow(menu_window, GW_OWNER);
    GetWindowRect(menu_window, &window);
    GetClientRect(menu_window, &client);
    ClientToScreen(menu_window, &origin);
    GetWindowTextA(owner, owner_title, sizeof owner_title);
    printf("found=1\n");
    printf("style=%lu\n", (unsigned long)GetWindowLongA(menu_window, GWL_STYLE));
    printf("exstyle=%lu\n", (unsigned long)GetWindowLongA(menu_window, GWL_EXSTYLE));
    printf("window=%ld %ld %ld %ld\n", window.left, window.top, window.right, window.bottom);
    printf("client=%ld %ld\n", client.right, client.bottom);
    printf("origin=%ld %ld\n", origin.x, origin.y);
    printf("screen=%d %d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    printf("virtual=%d %d\n", GetSystemMetrics(SM_XVIRTUALSCREEN),
           GetSystemMetrics(SM_YVIRTUALSCREEN));
    printf("owner_title=%s\n", owner_title);
    printf("owner_owner=%d\n", GetWindow(owner, GW_OWNER) != NULL);
    return 0;
}
