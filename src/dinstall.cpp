/*
 * Launcher for Tolvar Grand Peaks: asks whether to play and, if so, starts
 * the game (GAME.BAT) from the folder the launcher lies in. A second start
 * while one runs ends at once.
 *
 * The default build is this file alone, as it reads. A brand (brand/) may
 * switch on, in brand.h: a game started directly rather than by WinExec
 * (BRAND_DIRECT, with direct.cpp), an icon (BRAND_ICON), the modern style
 * (BRAND_MODERN, with modern.cpp) and a controller (BRAND_GAMEPAD, with
 * gamepad.h and gamepad.cpp). Those files are compiled as part of this one, where they are
 * included, so that the compiler sees the whole program at once.
 */

#include <windows.h>
#include "resource.h"
#include "brand.h"         /* the class, the game and the features, fixed by the brand at build time */

static HINSTANCE hinst;
static const char szAppName[] = BRAND_CLASS;
#ifdef BRAND_MODERN
/* A modern launcher's code page is UTF-8, in which MAX_PATH bytes hold as few
 * as 86 characters: its folder is kept in UTF-16, up to Windows' own limit. */
static WCHAR SetupDirectory[MAX_PATH];
#else
static char SetupDirectory[MAX_PATH];
#endif
static const char *const copy_list[] = { BRAND_GAME };
#if defined(BRAND_TRANSPARENT) && !defined(BRAND_MODERN)
/* The picture's light gray is where it is transparent: loaded as the dialog's face colour. */
#define PICTURE_LOAD    LR_LOADMAP3DCOLORS
#else
#define PICTURE_LOAD    0
#endif

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
static int Register(HINSTANCE hInstance);
static HWND Create(HINSTANCE hInstance, int nCmdShow);
static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK masterDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
static void SetBitmap(HWND hDlg, int id, const char *name, int width, int height);
static void ProgramDirectory(void);
#ifdef BRAND_MODERN
static HBITMAP FitBitmap(HBITMAP hbm, int width, int height);
static HBITMAP Canvas(HDC screen, int width, int height);
#ifdef BRAND_TRANSPARENT
static HBITMAP OnFace(HDC screen, HBITMAP hbm, const BITMAP *bm);
#endif
#endif
#ifdef BRAND_DIRECT
static BOOL StartGame(HWND hDlg);
static DWORD StartElevated(void);
static void SayWhy(HWND hDlg, DWORD error);
static void WaitForGame(void);
#endif
#if defined(BRAND_DIRECT) || defined(BRAND_GAMEPAD)
static HMODULE SystemLibrary(const char *name);
#endif
#ifdef BRAND_GAMEPAD
#include "gamepad.h"
#endif

/* We carry no C runtime, so the process starts here rather than in its start-up code. */
extern "C" void WINAPI Start(void)
{
    STARTUPINFOA si;
    static char empty[1];

    GetStartupInfoA(&si);
    ExitProcess(WinMain(GetModuleHandleA(NULL), NULL, empty,
                        (si.dwFlags & STARTF_USESHOWWINDOW) ? si.wShowWindow : SW_SHOWDEFAULT));
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow)
{
    hinst = hInstance;

#ifdef BRAND_MODERN
    /* Two starts at once would both pass the window test, as the window comes
     * later: the first to name this object wins. It goes with our process. */
    if (CreateMutexA(NULL, FALSE, BRAND_GUARD) && GetLastError() == ERROR_ALREADY_EXISTS)
        return 0;
#endif
    if (FindWindowA(szAppName, NULL))
        return 0;

    ProgramDirectory();

    if (!Register(hinst))
        return 0;
    if (!Create(hinst, nCmdShow))
        return 0;

    DialogBoxParamA(hinst, "DLG_MASTER", NULL, masterDlgProc, 0);
#ifdef BRAND_DIRECT
    WaitForGame();
#endif
    return 0;
}

#ifndef BRAND_MODERN
/* The folder the program lies in: its path cut at the last separator. */
static void ProgramDirectory(void)
{
    char *p, *cut;

    GetModuleFileNameA(hinst, SetupDirectory, sizeof(SetupDirectory));
    /* Older systems leave a path that fills the buffer without its NUL. */
    SetupDirectory[sizeof(SetupDirectory) - 1] = '\0';

    /* Step by character so that the second byte of a double-byte
     * character is never taken for a separator. */
    cut = SetupDirectory;
    for (p = SetupDirectory; *p; p = CharNextA(p))
        if (*p == '\\' || *p == '/')
            cut = p;
    /* A drive's root keeps its separator: "D:" alone would name that
     * drive's current directory, which need not be its root. */
    if (cut == SetupDirectory + 2 && SetupDirectory[1] == ':')
        cut++;
    *cut = '\0';
}
#endif

static int Register(HINSTANCE hInstance)
{
    WNDCLASSA wc;

    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInstance;
    wc.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, IDC_CROSS);
    wc.hbrBackground = (HBRUSH)GetStockObject(GRAY_BRUSH);
    wc.lpszMenuName = NULL;
    wc.lpszClassName = szAppName;

    return RegisterClassA(&wc) != 0;
}

/* The window is never shown: later starts look for it to know that we run. */
static HWND Create(HINSTANCE hInstance, int nCmdShow)
{
    return CreateWindowExA(0, szAppName, szAppName, WS_MINIMIZE,
                           130, 130, 220, 80, NULL, NULL, hInstance, NULL);
}

static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

static INT_PTR CALLBACK masterDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_INITDIALOG:
    {
        /* All zero, so that a missing string leaves an empty name. */
        char name[128] = "";

        LoadStringA(GetModuleHandleA(NULL), IDS_PICTURE, name, sizeof(name));
        SetBitmap(hDlg, IDC_PICTURE, name, PICTURE_WIDTH, PICTURE_HEIGHT);
#ifdef BRAND_ICON
        /* A dialog shows an icon in the taskbar and Alt+Tab only when it is given one. */
        SendMessageA(hDlg, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(hinst, MAKEINTRESOURCEA(IDI_GAME)));
#endif
#if defined(BRAND_ICON) && defined(BRAND_MODERN)
        /* ... and its title bar's own size, rather than the big one drawn down. */
        SendMessageA(hDlg, WM_SETICON, ICON_SMALL,
                     (LPARAM)LoadImageA(hinst, MAKEINTRESOURCEA(IDI_GAME), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
#endif
#ifdef BRAND_GAMEPAD
        OpenPads(hDlg);
#endif
        break;
    }

#ifdef BRAND_GAMEPAD
    case WM_TIMER:
        PollPads(hDlg);
        break;
#endif

    case WM_COMMAND:
        switch (wParam)
        {
        case IDOK:
#ifdef BRAND_MODERN
            SetCurrentDirectoryW(SetupDirectory);
#else
            SetCurrentDirectoryA(SetupDirectory);
#endif
#ifdef BRAND_DIRECT
            if (!StartGame(hDlg))
                break;
#else
            WinExec(copy_list[0], SW_SHOW);
#endif
            EndDialog(hDlg, -1);
            break;

        case IDCANCEL:
            EndDialog(hDlg, -1);
            break;
        }
        break;
    }
    return FALSE;
}

static void SetBitmap(HWND hDlg, int id, const char *name, int width, int height)
{
    HWND hCtl;
    HBITMAP hbm;
    HGDIOBJ old;

    if (!(hCtl = GetDlgItem(hDlg, id)))
        return;

    /* The bitmap's own size: width and height only say what the dialog expects. */
    hbm = (HBITMAP)LoadImageA(hinst, name, IMAGE_BITMAP, 0, 0,
                              LR_CREATEDIBSECTION | LR_DEFAULTSIZE | PICTURE_LOAD);
    if (!hbm)
        return;
#ifdef BRAND_MODERN
    hbm = FitBitmap(hbm, width, height);
#endif

    old = (HGDIOBJ)SendMessageA(hCtl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hbm);
    if (old)
        DeleteObject(old);
}

#if defined(BRAND_DIRECT) || defined(BRAND_GAMEPAD)
/* A DLL of Windows' own from the system folder alone, so that one of that name
 * in the game's folder never runs; and what it loads in turn from there too,
 * where Windows can be told so (8 and later, and 7 with the update that brings
 * AddDllDirectory along). */
static HMODULE SystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT len;

    if (GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddDllDirectory"))
        return LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    len = GetSystemDirectoryA(path, MAX_PATH);
    if (!len || len + 1 + lstrlenA(name) >= MAX_PATH)
        return NULL;
    path[len] = '\\';
    lstrcpyA(path + len + 1, name);
    return LoadLibraryA(path);
}
#endif

#ifdef BRAND_DIRECT
#include "direct.cpp"
#endif

#ifdef BRAND_MODERN
#include "modern.cpp"
#endif

#ifdef BRAND_GAMEPAD
#include "gamepad.cpp"
#endif
