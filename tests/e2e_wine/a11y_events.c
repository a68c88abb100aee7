/* Records, out of context as a screen reader does, the focus and state events of the menu
   window: one line "focus N" or "state N" per event, N the child id. Prints "ready" once the
   hook is in place, and ends once the menu window it has seen is gone (or after a minute). */
#include <stdio.h>
#include <windows.h>

static HWND menu_window;

static BOOL is_menu(HWND hwnd) {
    char title[64] = "";
    if (!hwnd || !GetWindow(hwnd, GW_OWNER)) return FALSE;
    GetWindowTextA(hwnd, title, sizeof title);
    return lstrcmpA(title, "Velmorra") == 0;
}

static void CALLBACK on_event(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child,
                              DWORD thread, DWORD time) {
    (void)hook;
    (void)thread;
    (void)time;
    if (object != OBJID_CLIENT || !is_menu(hwnd)) return;
    menu_window = hwnd;
    if (event == EVENT_OBJECT_FOCUS)
        printf("focus %ld\n", (long)child);
    else if (event == EVENT_OBJECT_STATECHANGE)
        printf("state %ld\n", (long)child);
    fflush(stdout);
}

static void CALLBACK on_timer(HWND hwnd, UINT message, UINT_PTR id, DWORD time) {
    static int ticks;
    (void)hwnd;
    (void)message;
    (void)id;
    (void)time;
    if ((menu_window && !IsWindow(menu_window)) || ++ticks > 600) PostQuitMessage(0);
}

int main(void) {
    MSG msg;
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_STATECHANGE, NULL,
                                         on_event, 0, 0, WINEVENT_OUTOFCONTEXT);
    if (!hook) {
        printf("hook=0\n");
        return 1;
    }
    SetTimer(NULL, 0, 100, on_timer);
    printf("ready\n");
    fflush(stdout);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    UnhookWinEvent(hook);
    return 0;
}
