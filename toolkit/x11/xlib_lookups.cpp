// What Xlib looks up at run time, answered inside the program. The Linux program is one
// static file and loads no library, while a static C library would load the system's
// modules for these look-ups; the link wraps them with the functions here.
//
// - Xlib gives pointers the cursor theme's look through libXcursor, which it finds with
//   dlopen and dlsym: they hand it the libXcursor linked into the program, and no other
//   library.
// - Xlib asks the user database for the home folder only where HOME is not set, to read
//   ~/.Xdefaults: there is no such user, so those resources are not read.
#include <X11/Xcursor/Xcursor.h>
#include <pwd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace {

// The handle of the one library there is.
char xcursor_library;

struct Entry {
    const char* name;
    void* address;
};

}  // namespace

extern "C" void* __wrap_dlopen(const char* file, int /*mode*/) {
    if (file == nullptr) return nullptr;
    const char* slash = std::strrchr(file, '/');
    const char* name = slash != nullptr ? slash + 1 : file;
    return std::strncmp(name, "libXcursor.so", 13) == 0 ? &xcursor_library : nullptr;
}

extern "C" void* __wrap_dlsym(void* library, const char* symbol) {
    if (library != &xcursor_library || symbol == nullptr) return nullptr;
    static const Entry entries[] = {
        {"XcursorTryShapeCursor", reinterpret_cast<void*>(&XcursorTryShapeCursor)},
        {"XcursorNoticeCreateBitmap", reinterpret_cast<void*>(&XcursorNoticeCreateBitmap)},
        {"XcursorNoticePutBitmap", reinterpret_cast<void*>(&XcursorNoticePutBitmap)},
        {"XcursorTryShapeBitmapCursor", reinterpret_cast<void*>(&XcursorTryShapeBitmapCursor)},
    };
    for (const Entry& entry : entries)
        if (std::strcmp(entry.name, symbol) == 0) return entry.address;
    return nullptr;
}

extern "C" int __wrap_getpwuid_r(uid_t, passwd*, char*, std::size_t, passwd** result) {
    *result = nullptr;
    return ENOENT;
}

extern "C" int __wrap_getpwnam_r(const char*, passwd*, char*, std::size_t, passwd** result) {
    *result = nullptr;
    return ENOENT;
}
