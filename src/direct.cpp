/* A game started directly (brand key game names a program rather than a batch
 * file), compiled with dinstall.cpp: started as Windows starts a program,
 * through the consent prompt where it needs administrator rights, said when it
 * cannot be, and waited for until it is up, so that the guard holds while it
 * loads. */

#include <shellapi.h>

#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740        /* Windows' own number; not in mingw-w64's headers */
#endif
enum { GAME_WAIT = 30000, GAME_POLL = 50, INSERTS = 99 };
typedef BOOL (WINAPI *ShellExecuteExProc)(SHELLEXECUTEINFOW *info);
typedef HRESULT (WINAPI *CoInitializeExProc)(void *reserved, DWORD flags);

/* The game as we started it, until it waits for input. */
static HANDLE game;

static DWORD StartElevated(HWND hDlg);
static void SayWhy(HWND hDlg, DWORD error);

/* Starts the game from our folder, now the current one, shown. The program is
 * looked for where WinExec looks, our own folder first. Returns whether the
 * dialog may close: not when the game could not be started, which is said, nor
 * when the player declined to let it run. */
static BOOL StartGame(HWND hDlg)
{
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi;
    char line[MAX_PATH];
    DWORD error;

    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    lstrcpynA(line, copy_list[0], MAX_PATH);
    if (CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        CloseHandle(pi.hThread);
        game = pi.hProcess;
        return TRUE;
    }
    error = GetLastError();
    if (error == ERROR_ELEVATION_REQUIRED)
        error = StartElevated(hDlg);
    if (error && error != ERROR_CANCELLED)
        SayWhy(hDlg, error);
    return !error;
}

/* A program that needs administrator rights (by its manifest, by a name that
 * Windows takes for an installer's, or by the player's own setting) starts only
 * through the shell, which asks for consent. SHELL32 is loaded for this alone,
 * so that the launcher imports nothing beyond KERNEL32, USER32 and GDI32, and
 * OLE32 to set up COM on this thread first, as the shell asks of its callers.
 * The dialog owns the prompt: without an owner Windows only flashes the
 * request in the taskbar. Returns 0 once it runs, else why not:
 * ERROR_CANCELLED when the player said no. */
static DWORD StartElevated(HWND hDlg)
{
    SHELLEXECUTEINFOW info = { sizeof(info) };
    HMODULE shell = SystemLibrary("shell32.dll"), ole = SystemLibrary("ole32.dll");
    ShellExecuteExProc execute;
    CoInitializeExProc com;
    WCHAR folder[MAX_PATH];

    if (!shell || !(execute = (ShellExecuteExProc)GetProcAddress(shell, "ShellExecuteExW")))
        return ERROR_ELEVATION_REQUIRED;
    if (ole && (com = (CoInitializeExProc)GetProcAddress(ole, "CoInitializeEx")))
        com(NULL, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    GetCurrentDirectoryW(MAX_PATH, folder);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = hDlg;
    info.lpVerb = L"runas";
    info.lpFile = L"" BRAND_PROGRAM;
    info.lpParameters = L"" BRAND_ARGS;
    info.lpDirectory = folder;
    info.nShow = SW_SHOW;
    if (!execute(&info))
        return GetLastError();
    game = info.hProcess;
    return 0;
}

/* Names the program and gives Windows' own reason, in the player's display
 * language, over the dialog and under its caption. In UTF-16, so that a
 * caption outside the ANSI code page comes out as the dialog shows it.
 * Windows' reasons name the file as an insert ("%1 is not a valid Win32
 * application."): every insert a message may hold, %1 to %99, is the program. */
static void SayWhy(HWND hDlg, DWORD error)
{
    static const WCHAR program[] = L"" BRAND_PROGRAM;
    DWORD_PTR inserts[INSERTS];
    WCHAR caption[256], text[MAX_PATH + 512];
    UINT flags = MB_OK | MB_ICONERROR;
    int len;

    for (int i = 0; i < INSERTS; i++)
        inserts[i] = (DWORD_PTR)program;
    GetWindowTextW(hDlg, caption, 256);
    lstrcpyW(text, program);
    lstrcatW(text, L"\n\n");
    len = lstrlenW(text);
    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, NULL, error, 0, text + len,
                        MAX_PATH + 512 - len, (va_list *)inserts))
        wsprintfW(text + len, L"%lu", error);
    /* A mirrored box already puts its text on the right; MB_RIGHT would turn it back. */
    if (GetWindowLongA(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        flags |= MB_RTLREADING;
    MessageBoxW(hDlg, text, caption, flags);
}

#ifdef BRAND_GAMEPAD
/* The message SayWhy shows, while it is the foreground window. */
static HWND BoxInFront(HWND hDlg)
{
    HWND front = GetForegroundWindow();

    if (front && GetWindow(front, GW_OWNER) == hDlg && GetWindowThreadProcessId(front, NULL) == GetCurrentThreadId())
        return front;
    return NULL;
}
#endif

/* CreateProcess returns before the game is up. Until it waits for input, or
 * GAME_WAIT at most, we stay, our marker (and a modern launcher's mutex) still
 * turning a second start away, and keep answering messages so that no
 * broadcast waits on us. A console program never waits for input, and
 * WaitForInputIdle fails at once for it: such a game is waited for until it
 * ends, within the same GAME_WAIT. */
static void WaitForGame(void)
{
    DWORD start = GetTickCount(), idle = WAIT_TIMEOUT;
    MSG msg;

    if (!game)
        return;
    while (GetTickCount() - start < GAME_WAIT)
    {
        if (idle == WAIT_TIMEOUT)
            idle = WaitForInputIdle(game, GAME_POLL);
        if (idle == 0 || (idle == WAIT_FAILED && WaitForSingleObject(game, GAME_POLL) != WAIT_TIMEOUT))
            break;
        while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
}
