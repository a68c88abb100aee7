/* Stands in for a program on the disc: appends how it was started (its command line, the
   show mode it was handed and its current folder) to the file named by VELMORRA_STANDIN_LOG,
   one line a start. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

int main(void) {
    STARTUPINFOA startup;
    char folder[MAX_PATH] = "";
    const char* log_name = getenv("VELMORRA_STANDIN_LOG");
    FILE* log;
    GetStartupInfoA(&startup);
    GetCurrentDirectoryA(MAX_PATH, folder);
    if (!log_name) return 2;
    log = fopen(log_name, "ab");
    if (!log) return 3;
    fprintf(log, "cmd=%s|show=%d|flags=%lu|cwd=%s\n", GetCommandLineA(),
            (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : -1,
            (unsigned long)startup.dwFlags, folder);
    fclose(log);
    return 0;
}
