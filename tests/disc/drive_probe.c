/* Prints the type Windows gives a drive: "type=5" for a CD-ROM drive (GetDriveType). */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    printf("type=%u\n", GetDriveTypeA(argv[1]));
    return 0;
}
