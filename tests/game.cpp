/* Stands in for a game that a brand starts directly: writes into ran.txt in
 * its current directory that directory, its own path and its command line,
 * a line each, and into args.txt each argument as its C runtime reads it, a
 * line each. Then, as a game does, it loads for a while before its first
 * window, after which it writes loaded.txt there too. A GUI program, as games
 * are, so it opens no console. */

#include <windows.h>
#include <stdlib.h>

enum { LOADING = 8000 };

static void write_text(const char *name, const char *text)
{
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written;

    WriteFile(file, text, lstrlenA(text), &written, NULL);
    CloseHandle(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdline, int show)
{
    char cwd[MAX_PATH], self[MAX_PATH], text[3 * MAX_PATH + 8], args[2 * MAX_PATH] = "";
    MSG msg;

    GetCurrentDirectoryA(sizeof(cwd), cwd);
    GetModuleFileNameA(NULL, self, sizeof(self));
    wsprintfA(text, "%s\r\n%s\r\n%s", cwd, self, GetCommandLineA());
    for (int i = 1; i < __argc && lstrlenA(args) + lstrlenA(__argv[i]) + 2 < (int)sizeof(args); i++)
        lstrcatA(lstrcatA(args, __argv[i]), "\n");
    write_text("args.txt", args);
    write_text("ran.txt", text);
    Sleep(LOADING);
    CreateWindowA("STATIC", "game", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL, instance, NULL);
    PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE);
    write_text("loaded.txt", "");
    return 0;
}
