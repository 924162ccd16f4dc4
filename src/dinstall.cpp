/*
 * Launcher for Tolvar Grand Peaks: asks whether to play and, if so,
 * starts GAME.BAT from the folder the launcher lies in.
 */

#include <windows.h>
#include "resource.h"
#include "brand.h"         /* the class, the game and the icon, fixed by the brand at build time */
#ifdef BRAND_GAMEPAD
#include <xinput.h>
#endif

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

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
static int Register(HINSTANCE hInstance);
static HWND Create(HINSTANCE hInstance, int nCmdShow);
static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
static INT_PTR CALLBACK masterDlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam);
static void SetBitmap(HWND hDlg, int id, const char *name, int width, int height);
static void ProgramDirectory(void);
#ifdef BRAND_MODERN
static HBITMAP FitBitmap(HWND hDlg, HBITMAP hbm, int width, int height);
static HBITMAP Canvas(HDC screen, int width, int height);
#endif
#ifdef BRAND_DIRECT
static void StartGame(const char *command);
#endif
#ifdef BRAND_GAMEPAD
/* A controller's buttons as the dialog last saw them, with the left stick
 * pushed left or right as two more; only a new press counts. A slot is
 * PAD_EMPTY while it reports no pad, which XInput asks us not to poll often,
 * and PAD_UNSEEN until its next reading, which is taken as it stands. */
enum { PAD_TIMER = 1, PAD_INTERVAL = 50, PAD_RETRY = 2000, PAD_STICK = 16384, PAD_LEFT = 0x10000,
       PAD_RIGHT = 0x20000 };
static const DWORD PAD_EMPTY = 0x80000000, PAD_UNSEEN = 0x40000000;
typedef DWORD (WINAPI *XInputGetStateProc)(DWORD slot, XINPUT_STATE *state);
static XInputGetStateProc pXInputGetState;
static DWORD pad_buttons[XUSER_MAX_COUNT];
static DWORD pad_asked[XUSER_MAX_COUNT];        /* when an empty slot was last asked */

static void OpenPads(HWND hDlg);
static DWORD ReadPad(DWORD slot);
static void PollPads(HWND hDlg);
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
#ifdef BRAND_MODERN
        /* ... and its title bar's own size, rather than the big one drawn down. */
        SendMessageA(hDlg, WM_SETICON, ICON_SMALL,
                     (LPARAM)LoadImageA(hinst, MAKEINTRESOURCEA(IDI_GAME), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
#endif
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
            StartGame(copy_list[0]);
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
                              LR_CREATEDIBSECTION | LR_DEFAULTSIZE);
    if (!hbm)
        return;
#ifdef BRAND_MODERN
    hbm = FitBitmap(hDlg, hbm, width, height);
#endif

    old = (HGDIOBJ)SendMessageA(hCtl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)hbm);
    if (old)
        DeleteObject(old);
}

#ifdef BRAND_DIRECT
/* WinExec returns only once the new program reads its first message, or after
 * 30 s: a game that loads before it opens a window would hold the dialog up.
 * The program is looked for where WinExec looks, our own folder first. */
static void StartGame(const char *command)
{
    STARTUPINFOA si = { sizeof(si) };
    PROCESS_INFORMATION pi;
    char line[MAX_PATH];

    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOW;
    lstrcpynA(line, command, MAX_PATH);
    if (CreateProcessA(NULL, line, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
}
#endif

#ifdef BRAND_MODERN
/* The folder the program lies in, as the classic launcher finds it, in UTF-16. */
static void ProgramDirectory(void)
{
    WCHAR *p, *cut = SetupDirectory;

    GetModuleFileNameW(hinst, SetupDirectory, MAX_PATH);
    SetupDirectory[MAX_PATH - 1] = 0;
    for (p = SetupDirectory; *p; p++)
        if (*p == '\\' || *p == '/')
            cut = p;
    if (cut == SetupDirectory + 2 && SetupDirectory[1] == ':')
        cut++;
    *cut = 0;
}

/* A full-colour section of that size: one of the screen's own depth would lose
 * colours on a 16-bit display, as remote desktops often are. */
static HBITMAP Canvas(HDC screen, int width, int height)
{
    BITMAPINFO bi = { { sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB } };
    void *bits;

    return CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
}

/* A modern launcher is DPI-aware and keeps its picture at twice its size in
 * full colour: drawn down to width x height at the screen's DPI, it stays
 * sharp from 100 % to 200 %. Returns the picture at that size, or the one
 * given if it cannot be drawn. */
static HBITMAP FitBitmap(HWND hDlg, HBITMAP hbm, int width, int height)
{
    HDC screen, from, to;
    HBITMAP fitted;
    BITMAP bm;
    int dpi;

    if (!GetObjectA(hbm, sizeof(bm), &bm) || !(screen = GetDC(hDlg)))
        return hbm;
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    width = MulDiv(width, dpi, 96);
    height = MulDiv(height, dpi, 96);
    from = CreateCompatibleDC(screen);
    to = CreateCompatibleDC(screen);
    fitted = Canvas(screen, width, height);
    if (from && to && fitted)
    {
        HGDIOBJ old_from = SelectObject(from, hbm), old_to = SelectObject(to, fitted);

        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, NULL);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(from, old_from);
        SelectObject(to, old_to);
        DeleteObject(hbm);
        hbm = fitted;
    }
    else if (fitted)
        DeleteObject(fitted);
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    ReleaseDC(hDlg, screen);
    return hbm;
}
#endif

#ifdef BRAND_GAMEPAD
/* XInput from the system folder alone, so that a DLL of that name in the
 * game's folder never runs: Windows 8 and later have xinput1_4, Windows 7
 * xinput9_1_0. Without either the dialog works as it does without a pad. */
static void OpenPads(HWND hDlg)
{
    static const char *const names[] = { "\\xinput1_4.dll", "\\xinput9_1_0.dll" };
    char path[MAX_PATH];
    UINT len = GetSystemDirectoryA(path, MAX_PATH - 20);
    HMODULE dll;

    if (!len || len >= MAX_PATH - 20)
        return;
    for (int i = 0; i < 2 && !pXInputGetState; i++)
    {
        lstrcpyA(path + len, names[i]);
        if ((dll = LoadLibraryA(path)))
            pXInputGetState = (XInputGetStateProc)GetProcAddress(dll, "XInputGetState");
    }
    if (!pXInputGetState)
        return;
    /* What is held as the dialog opens, such as the press that started us, is no press. */
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; slot++)
        pad_buttons[slot] = ReadPad(slot);
    SetTimer(hDlg, PAD_TIMER, PAD_INTERVAL, NULL);
}

/* A slot's buttons, or PAD_EMPTY. */
static DWORD ReadPad(DWORD slot)
{
    XINPUT_STATE state;
    DWORD buttons;

    if (pXInputGetState(slot, &state) != ERROR_SUCCESS)
    {
        pad_asked[slot] = GetTickCount();
        return PAD_EMPTY;
    }
    buttons = state.Gamepad.wButtons;
    if (state.Gamepad.sThumbLX <= -PAD_STICK)
        buttons |= PAD_LEFT;
    if (state.Gamepad.sThumbLX >= PAD_STICK)
        buttons |= PAD_RIGHT;
    return buttons;
}

/* A: the focused button (Play unless Cancel has the focus); B: Cancel; left
 * and right: the focus to the button on that side, shown as for the keyboard.
 * Only while the dialog is in the foreground, so that a player in another
 * window never starts the game by accident; what is held as it comes back,
 * or as a pad connects, is no press. */
static void PollPads(HWND hDlg)
{
    HWND play = GetDlgItem(hDlg, IDOK), cancel = GetDlgItem(hDlg, IDCANCEL);
    bool front = GetForegroundWindow() == hDlg;

    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; slot++)
    {
        DWORD before = pad_buttons[slot], now, pressed;
        RECT p, c;
        int id = 0;

        if (!front)
        {
            if (before != PAD_EMPTY)
                pad_buttons[slot] = PAD_UNSEEN;
            continue;
        }
        if (before == PAD_EMPTY && GetTickCount() - pad_asked[slot] < PAD_RETRY)
            continue;
        pad_buttons[slot] = now = ReadPad(slot);
        if ((now | before) & (PAD_EMPTY | PAD_UNSEEN))
            continue;
        pressed = now & ~before;
        if (!pressed)
            continue;
        if (pressed & (XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START))
            id = GetFocus() == cancel ? IDCANCEL : IDOK;
        else if (pressed & (XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_BACK))
            id = IDCANCEL;
        else if (pressed & (XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_DPAD_RIGHT | PAD_LEFT | PAD_RIGHT))
        {
            bool right = pressed & (XINPUT_GAMEPAD_DPAD_RIGHT | PAD_RIGHT);

            /* Play lies left of Cancel, unless the dialog is mirrored. */
            GetWindowRect(play, &p);
            GetWindowRect(cancel, &c);
            SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)((p.left < c.left) != right ? play : cancel), TRUE);
            SendMessageA(hDlg, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        }
        if (id)
        {
            KillTimer(hDlg, PAD_TIMER);
            SendMessageA(hDlg, WM_COMMAND, id, (LPARAM)GetDlgItem(hDlg, id));
            return;
        }
    }
}
#endif
