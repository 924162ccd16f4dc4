/*
 * Launcher for Tolvar Grand Peaks: asks whether to play and, if so, starts
 * the game (GAME.BAT) from the folder the launcher lies in. A second start
 * while one runs ends at once.
 *
 * The default build is this file alone, as it reads, with the empty stand-ins
 * of features.h. A brand (brand/) may switch on, in brand.h: a game started
 * directly rather than by WinExec (BRAND_DIRECT, direct.cpp), an icon
 * (BRAND_ICON), the modern style (BRAND_MODERN, modern.cpp), a picture with
 * transparent parts (BRAND_TRANSPARENT) and a controller (BRAND_GAMEPAD,
 * gamepad.cpp). features.h says, in one place, what each adds; their files
 * are compiled as part of this one, at its end, so that the compiler sees the
 * whole program at once.
 */

#include "launcher.h"       /* hinst, szAppName and copy_list, as the brand fixes them */
#include "features.h"       /* SetupDirectory, and what the brand switches on */

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
static int Register(HINSTANCE hInstance);
static HWND Create(HINSTANCE hInstance, int nCmdShow);
static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK masterDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
static void SetBitmap(HWND hDlg, int id, const char *name, int width, int height);
static void ProgramDirectory(void);

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

    if (Starting())
        return 0;
    if (FindWindowA(szAppName, NULL))
        return 0;

    ProgramDirectory();

    if (!Register(hinst))
        return 0;
    if (!Create(hinst, nCmdShow))
        return 0;

    DialogBoxParamA(hinst, "DLG_MASTER", NULL, masterDlgProc, 0);
    WaitForGame();
    return 0;
}

/* The folder the program lies in: its path cut at the last separator. A
 * modern launcher keeps it in UTF-16 (features.h). */
static void ProgramDirectory(void)
{
    FolderChar *p, *cut;

    ModuleFileName(hinst, SetupDirectory, ARRAYSIZE(SetupDirectory));
    /* Older systems leave a path that fills the buffer without its NUL. */
    SetupDirectory[ARRAYSIZE(SetupDirectory) - 1] = '\0';

    /* Step by character so that the second byte of a double-byte
     * character is never taken for a separator. */
    cut = SetupDirectory;
    for (p = SetupDirectory; *p; p = NextChar(p))
        if (*p == '\\' || *p == '/')
            cut = p;
    /* A drive's root keeps its separator: "D:" alone would name that
     * drive's current directory, which need not be its root. */
    if (cut == SetupDirectory + 2 && SetupDirectory[1] == ':')
        cut++;
    *cut = '\0';
}

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

        LoadStringA(GetModuleHandleA(NULL), IDS_PICTURE, name, ARRAYSIZE(name));
        SetBitmap(hDlg, IDC_PICTURE, name, PICTURE_WIDTH, PICTURE_HEIGHT);
        SetIcons(hDlg);
        OpenPads(hDlg);
        break;      /* FALSE, as for every message: the dialog manager puts the focus */
    }

    case WM_TIMER:
        PollPads(hDlg);
        break;

    case WM_COMMAND:
        /* The whole wParam, not its low word: only a notification 0, a click or a key, acts. */
        switch (wParam)
        {
        case IDOK:
            SetFolder();
            if (!StartGame(hDlg))
                break;
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
    hbm = FitBitmap(hbm, width, height);

    old = (HGDIOBJ)SendMessageA(hCtl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hbm);
    if (old)
        DeleteObject(old);
}

/* The features' own files (features.h) */
#if defined(BRAND_DIRECT) || defined(BRAND_GAMEPAD)
#include "library.cpp"
#endif
#ifdef BRAND_ICON
#include "icon.cpp"
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
