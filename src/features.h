/* What a brand may switch on (brand.h), in one place: for each feature, the
 * functions the program calls, declared where the launcher has the feature
 * (its file is compiled at the end of dinstall.cpp) and an empty stand-in
 * where it has not, which the compiler leaves out, so that every launcher
 * keeps its bytes and the program's own functions carry no #ifdef. */

#ifndef FEATURES_H
#define FEATURES_H

#include "launcher.h"

/* The style: a modern launcher keeps its folder in UTF-16, takes a mutex
 * before it looks for another launcher's window, draws its picture for the
 * screen's DPI (modern.cpp) and gives the title bar an icon of its own size;
 * a classic one keeps its folder in ANSI. */
#ifdef BRAND_MODERN
/* A modern launcher's code page is UTF-8, in which MAX_PATH bytes hold as few
 * as 86 characters: its folder is kept in UTF-16, up to Windows' own limit. */
typedef WCHAR FolderChar;
#define ModuleFileName  GetModuleFileNameW
#define NextChar(p)     ((p) + 1)
#define SetFolder()     SetCurrentDirectoryW(SetupDirectory)
#define SMALL_ICON      TRUE
static BOOL Starting(void);
static HBITMAP FitBitmap(HBITMAP hbm, int width, int height);
#else
typedef char FolderChar;
#define ModuleFileName  GetModuleFileNameA
#define NextChar(p)     CharNextA(p)
#define SetFolder()     SetCurrentDirectoryA(SetupDirectory)
#define SMALL_ICON      FALSE
static BOOL Starting(void) { return FALSE; }
static HBITMAP FitBitmap(HBITMAP hbm, int width, int height) { return hbm; }
#endif
static FolderChar SetupDirectory[MAX_PATH];

/* A picture with transparent parts: in a classic launcher its light gray,
 * loaded as the dialog's face colour; a modern one blends it (modern.cpp). */
#if defined(BRAND_TRANSPARENT) && !defined(BRAND_MODERN)
#define PICTURE_LOAD    LR_LOADMAP3DCOLORS
#else
#define PICTURE_LOAD    0
#endif

/* An icon, in the title bar, the taskbar and Alt+Tab (icon.cpp). */
#ifdef BRAND_ICON
static void SetIcons(HWND hDlg);
#else
static void SetIcons(HWND hDlg) {}
#endif

/* A game started directly, said when it cannot be, and waited for (direct.cpp);
 * else GAME.BAT or another batch file, by WinExec. */
#ifdef BRAND_DIRECT
static BOOL StartGame(HWND hDlg);
static void WaitForGame(void);
#else
static BOOL StartGame(HWND hDlg) { WinExec(copy_list[0], SW_SHOW); return TRUE; }
static void WaitForGame(void) {}
#endif

/* A controller (gamepad.cpp), and what the launcher keeps of it: defined here,
 * before the program's functions, where the launcher's data has always lain. */
#ifdef BRAND_GAMEPAD
#include <xinput.h>

/* A controller's buttons as the dialog last saw them, with the left stick
 * pushed left or right as two more; only a new press counts. A slot is
 * PAD_EMPTY while it reports no pad, which XInput asks us not to poll often,
 * and PAD_UNSEEN until its next reading, which is taken as it stands. */
enum { PAD_TIMER = 1, PAD_STICK = 16384, PAD_LEFT = 0x10000, PAD_RIGHT = 0x20000 };
static const DWORD PAD_EMPTY = 0x80000000, PAD_UNSEEN = 0x40000000;
typedef DWORD (WINAPI *XInputGetStateProc)(DWORD slot, XINPUT_STATE *state);
static XInputGetStateProc pXInputGetState;
static DWORD pad_buttons[XUSER_MAX_COUNT];
static DWORD pad_asked[XUSER_MAX_COUNT];        /* when an empty slot was last asked */

static void OpenPads(HWND hDlg);
static void PollPads(HWND hDlg);
#else
static void OpenPads(HWND hDlg) {}
static void PollPads(HWND hDlg) {}
#endif

/* Windows' own DLLs, which both load (library.cpp) */
#if defined(BRAND_DIRECT) || defined(BRAND_GAMEPAD)
static HMODULE SystemLibrary(const char *name);
#endif

/* A controller answers the message that says why the game could not start,
 * while it is in front (direct.cpp); there is none without a game of its own. */
#if defined(BRAND_DIRECT) && defined(BRAND_GAMEPAD)
static HWND BoxInFront(HWND hDlg);
#else
static inline HWND BoxInFront(HWND hDlg) { return NULL; }
#endif

#endif
