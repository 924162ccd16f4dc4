/* A game started directly (brand key game names a program rather than a batch
 * file), compiled with dinstall.cpp: started as Windows starts a program,
 * through the consent prompt where it needs administrator rights, said when it
 * cannot be, and waited for until it is up, so that the guard holds while it
 * loads. */

#include <shellapi.h>

#ifndef ERROR_ELEVATION_REQUIRED
#define ERROR_ELEVATION_REQUIRED 740        /* Windows' own number; not in mingw-w64's headers */
#endif
enum { GAME_WAIT = 30000, GAME_POLL = 50, REASON = 512 };
typedef BOOL (WINAPI *ShellExecuteExProc)(SHELLEXECUTEINFOW *info);
typedef HRESULT (WINAPI *CoInitializeExProc)(void *reserved, DWORD flags);

/* The game as we started it, until it waits for input. */
static HANDLE game;

static DWORD StartElevated(HWND hDlg);
static void SayWhy(HWND hDlg, DWORD error);
static void Reason(DWORD error, WCHAR *out, int size);

/* Starts the game from our folder, now the current one, shown. The program is
 * named to CreateProcess apart from the command line, so that it is taken
 * from our folder alone: were it missing there, the search for a bare name
 * would go on to the system's folders and PATH and could start another
 * program of that name. Returns whether the dialog may close: not when the
 * game could not be started, which is said, nor when the player declined to
 * let it run. */
static BOOL StartGame(HWND hDlg)
{
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi;
    char line[MAX_PATH];
    DWORD error;

    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    lstrcpynA(line, copy_list[0], ARRAYSIZE(line));
    if (CreateProcessA(BRAND_PROGRAM, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
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
    GetCurrentDirectoryW(ARRAYSIZE(folder), folder);
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
 * caption outside the ANSI code page comes out as the dialog shows it. */
static void SayWhy(HWND hDlg, DWORD error)
{
    WCHAR caption[256], text[MAX_PATH + REASON];
    UINT flags = MB_OK | MB_ICONERROR;
    int len;

    GetWindowTextW(hDlg, caption, ARRAYSIZE(caption));
    lstrcpyW(text, L"" BRAND_PROGRAM);
    lstrcatW(text, L"\n\n");
    len = lstrlenW(text);
    Reason(error, text + len, ARRAYSIZE(text) - len);
    /* A mirrored box already puts its text on the right; MB_RIGHT would turn it back. */
    if (GetWindowLongA(hDlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        flags |= MB_RTLREADING;
    MessageBoxW(hDlg, text, caption, flags);
}

/* Windows' reasons name the file as an insert ("%1 is not a valid Win32
 * application."). We fill every insert, %1 to %99, with the program's name
 * ourselves, whatever type it declares (%1!d!, a * width), which FormatMessage
 * would read from arguments we cannot know; its own escapes it has turned
 * already, but for %% and the like, which stand for their second character. */
static void Reason(DWORD error, WCHAR *out, int size)
{
    WCHAR raw[REASON];
    const WCHAR *s, *type;
    int n = 0;

    if (!FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, raw,
                        ARRAYSIZE(raw), NULL))
    {
        wsprintfW(out, L"%lu", error);
        return;
    }
    for (s = raw; *s && n < size - 1; s++)
    {
        if (*s != '%' || !s[1])
        {
            out[n++] = *s;
            continue;
        }
        s++;
        if (*s < '1' || *s > '9')
        {
            out[n++] = *s;
            continue;
        }
        if (s[1] >= '0' && s[1] <= '9')
            s++;
        if (s[1] == '!')
        {
            for (type = s + 2; *type && *type != '!'; type++)
                ;
            if (*type)
                s = type;
        }
        lstrcpynW(out + n, L"" BRAND_PROGRAM, size - n);
        n += lstrlenW(out + n);
    }
    out[n] = 0;
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
