/* A screen reader's view of the menu, from another process: takes the menu window's client
   object through AccessibleObjectFromWindow and prints what it finds or does, one key=value
   line each.
     a11y_client tree           every node: name, role, state, location, default action,
                                the focus and the navigation from each node
     a11y_client press N        accDoDefaultAction on child N
     a11y_client focus N        accSelect(SELFLAG_TAKEFOCUS) on child N
     a11y_client hit X Y        accHitTest at the screen point X,Y
     a11y_client hold           keeps the object until the menu window is gone, then asks
                                it again: the answer must be an error, not a crash */
#define COBJMACROS
#include <oleacc.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "find_menu.h"

/* Defined here: the import library's IID_IAccessible may be an import thunk's address. */
static const GUID iid_accessible = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

static VARIANT child(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

/* A BSTR as UTF-8, or "-" for none. */
static void print_string(const char* key, HRESULT hr, BSTR s) {
    char text[512] = "-";
    if (SUCCEEDED(hr) && s) WideCharToMultiByte(CP_UTF8, 0, s, -1, text, sizeof text, NULL, NULL);
    printf("%s=%s", key, text);
    if (s) SysFreeString(s);
}

/* A child id a call answered with, or "-" for none. */
static void print_child(const char* key, HRESULT hr, VARIANT* v) {
    if (hr == S_OK && v->vt == VT_I4)
        printf("%s=%ld\n", key, v->lVal);
    else
        printf("%s=-\n", key);
    VariantClear(v);
}

static void print_node(IAccessible* acc, long id) {
    BSTR name = NULL, action = NULL;
    VARIANT role, state;
    long x = 0, y = 0, w = 0, h = 0;
    HRESULT hr;
    VariantInit(&role);
    VariantInit(&state);
    printf("node%ld=", id);
    hr = IAccessible_get_accName(acc, child(id), &name);
    print_string("name", hr, name);
    hr = IAccessible_get_accRole(acc, child(id), &role);
    printf("|role=%ld", SUCCEEDED(hr) && role.vt == VT_I4 ? role.lVal : -1L);
    hr = IAccessible_get_accState(acc, child(id), &state);
    printf("|state=0x%lx", SUCCEEDED(hr) && state.vt == VT_I4 ? (unsigned long)state.lVal : 0ul);
    hr = IAccessible_accLocation(acc, &x, &y, &w, &h, child(id));
    printf("|location=%ld %ld %ld %ld|", x, y, w, h);
    hr = IAccessible_get_accDefaultAction(acc, child(id), &action);
    print_string("action", hr, action);
    printf("\n");
}

static void print_navigation(IAccessible* acc, const char* key, long from, long direction) {
    VARIANT to;
    HRESULT hr;
    VariantInit(&to);
    hr = IAccessible_accNavigate(acc, direction, child(from), &to);
    print_child(key, hr, &to);
}

static void print_tree(IAccessible* acc) {
    long count = 0, id;
    VARIANT focus;
    IDispatch* parent = NULL;
    VariantInit(&focus);
    IAccessible_get_accChildCount(acc, &count);
    printf("count=%ld\n", count);
    for (id = 0; id <= count; ++id) print_node(acc, id);
    print_child("focus", IAccessible_get_accFocus(acc, &focus), &focus);
    print_navigation(acc, "first", CHILDID_SELF, NAVDIR_FIRSTCHILD);
    print_navigation(acc, "last", CHILDID_SELF, NAVDIR_LASTCHILD);
    for (id = 1; id <= count; ++id) {
        char key[32];
        sprintf(key, "next%ld", id);
        print_navigation(acc, key, id, NAVDIR_NEXT);
        sprintf(key, "previous%ld", id);
        print_navigation(acc, key, id, NAVDIR_PREVIOUS);
    }
    printf("parent=%s\n", IAccessible_get_accParent(acc, &parent) == S_OK && parent ? "1" : "0");
    if (parent) IDispatch_Release(parent);
}

/* Holds the object while the menu goes, then asks it again. */
static void hold(IAccessible* acc) {
    long count = 0;
    BSTR name = NULL;
    HRESULT hr;
    int waited;
    printf("held=1\n");
    fflush(stdout);
    for (waited = 0; waited < 300 && IsWindow(menu_window); ++waited) Sleep(100);
    printf("gone=%d\n", !IsWindow(menu_window));
    hr = IAccessible_get_accChildCount(acc, &count);
    printf("count_after=0x%08lx\n", (unsigned long)hr);
    hr = IAccessible_get_accName(acc, child(1), &name);
    printf("name_after=0x%08lx\n", (unsigned long)hr);
    if (name) SysFreeString(name);
}

int main(int argc, char** argv) {
    IAccessible* acc = NULL;
    HRESULT hr;
    if (argc < 2) return 2;
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    EnumWindows(find_menu, 0);
    if (!menu_window) {
        printf("found=0\n");
        return 1;
    }
    hr =
        AccessibleObjectFromWindow(menu_window, (DWORD)OBJID_CLIENT, &iid_accessible, (void**)&acc);
    printf("object=0x%08lx\n", (unsigned long)hr);
    if (FAILED(hr) || !acc) return 1;
    if (strcmp(argv[1], "tree") == 0) {
        print_tree(acc);
    } else if (strcmp(argv[1], "press") == 0 && argc > 2) {
        hr = IAccessible_accDoDefaultAction(acc, child(atol(argv[2])));
        printf("result=0x%08lx\n", (unsigned long)hr);
    } else if (strcmp(argv[1], "focus") == 0 && argc > 2) {
        hr = IAccessible_accSelect(acc, SELFLAG_TAKEFOCUS, child(atol(argv[2])));
        printf("result=0x%08lx\n", (unsigned long)hr);
    } else if (strcmp(argv[1], "hit") == 0 && argc > 3) {
        VARIANT hit;
        VariantInit(&hit);
        hr = IAccessible_accHitTest(acc, atol(argv[2]), atol(argv[3]), &hit);
        print_child("hit", hr, &hit);
    } else if (strcmp(argv[1], "hold") == 0) {
        hold(acc);
    }
    /* Releasing a proxy whose server is gone may fail; it must not crash either. */
    IAccessible_Release(acc);
    fflush(stdout);
    CoUninitialize();
    return 0;
}
