/* Stands in for the game in the preview's demo folder: writes into
 * played.txt, in its current directory, that directory and then each
 * argument as its C runtime reads it, a line each, and ends. A GUI program,
 * as games are, so it opens no console. */

#include <windows.h>
#include <stdlib.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show)
{
    char text[4 * MAX_PATH];
    HANDLE file;
    DWORD written;

    GetCurrentDirectoryA(MAX_PATH, text);
    lstrcatA(text, "\n");
    for (int i = 1; i < __argc && lstrlenA(text) + lstrlenA(__argv[i]) + 2 < (int)sizeof(text); i++)
        lstrcatA(lstrcatA(text, __argv[i]), "\n");
    /* whole or not at all, for the preview that waits for it */
    file = CreateFileA("played.tmp", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, text, lstrlenA(text), &written, NULL);
    CloseHandle(file);
    MoveFileExA("played.tmp", "played.txt", MOVEFILE_REPLACE_EXISTING);
    return 0;
}
