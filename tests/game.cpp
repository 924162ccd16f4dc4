/* Stands in for a game that a brand starts directly: writes into ran.txt in
 * its current directory that directory, its own path and its command line,
 * a line each. A GUI program, as games are, so it opens no console. */

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show)
{
    char cwd[MAX_PATH], self[MAX_PATH], text[3 * MAX_PATH + 8];
    HANDLE file;
    DWORD written;

    GetCurrentDirectoryA(sizeof(cwd), cwd);
    GetModuleFileNameA(NULL, self, sizeof(self));
    wsprintfA(text, "%s\r\n%s\r\n%s", cwd, self, GetCommandLineA());
    file = CreateFileA("ran.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, text, lstrlenA(text), &written, NULL);
    CloseHandle(file);
    return 0;
}
