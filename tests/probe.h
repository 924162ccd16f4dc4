/* What probe.dll reads for the test driver in the launcher's own process, where Wine lets
 * it see what another process cannot: class data, placement, dialog units and
 * the picture's bitmap. The driver hooks the launcher's thread with
 * ProbeHook and sends it the message named PROBE_MESSAGE, with the launcher's
 * marker window as its wParam. */

#ifndef PROBE_H
#define PROBE_H

#include <windows.h>

#define PROBE_MESSAGE "TolvarLauncherProbe"
#define PROBE_FILE    "probe.dat"        /* written beside probe.dll */

/* Wine starts a program that needs administrator rights without asking. Sent
 * after PROBE_MESSAGE, this makes the launcher's CreateProcessA fail as
 * Windows' does for one (ERROR_ELEVATION_REQUIRED) and records the shell call
 * that follows, which goes through (wParam ELEVATION_CONSENT) or fails as when
 * the player declines the prompt (ELEVATION_DECLINED). */
#define ELEVATION_MESSAGE "TolvarLauncherElevation"
enum { ELEVATION_CONSENT = 1, ELEVATION_DECLINED = 2 };

/* WaitForInputIdle fails at once for a console program, Windows' and Wine 8's
 * alike. Sent after PROBE_MESSAGE, this makes the launcher's fail so,
 * whatever the game, so that a game of ours that loads slowly stands in for a
 * console one. */
#define NO_IDLE_MESSAGE "TolvarLauncherNoIdle"

/* None of the reasons the launcher meets today declares its inserts' types;
 * Windows' messages may (%1!d!, a width read from the arguments, %1!*s!). Sent
 * after PROBE_MESSAGE, this makes the launcher's FormatMessageW read
 * TYPED_REASON in place of the system's message, whatever the error. */
#define TYPED_REASON_MESSAGE "TolvarLauncherTypedReason"
#define TYPED_REASON L"Cannot start %1!s! (%2!d!), %3!*s!.%n"

struct ProbeResult
{
    int probed;                 /* set when PROBE_MESSAGE arrived */
    int destroyed;              /* set when the dialog was destroyed */
    int marker_found;
    DWORD class_style;
    int brush_is_gray, cursor_is_cross, icon_is_application;
    WINDOWPLACEMENT placement;
    int marker_shown;           /* the marker was ever asked to show */
    int marker_visible_at_end;  /* visible as the dialog was destroyed */
    RECT dialog_client;         /* screen coordinates */
    RECT base_units;            /* 4 by 8 dialog units mapped to pixels: the dialog's base units */
    RECT controls[5];           /* each control's window, in the dialog's client coordinates */
    RECT control_units[5];      /* where the template puts it, mapped to pixels */
    int bitmap_ok;
    BITMAP bitmap;              /* GetObject on the picture's bitmap */
    COLORREF corner;            /* its top left pixel, as the control draws it */
    COLORREF face;              /* the dialog's face colour */
    int reinit_new_bitmap;      /* after a second WM_INITDIALOG: another bitmap is set */
    int reinit_old_deleted;     /* ... and the first one no longer exists */
    WCHAR font_face[LF_FACESIZE];   /* the face the dialog's font came out as */
    HICON icon;                 /* what the dialog answers to WM_GETICON, ICON_BIG */
    HICON small_icon;           /* ... and ICON_SMALL */
    int dpi;                    /* the screen's, as the launcher sees it */
    int buttons_comctl;         /* Common Controls 6 draw the buttons, not user32 */
    int extent[4];              /* each control's text (Play, Cancel, the lines) on one line, in the dialog's font */
    /* after ELEVATION_MESSAGE */
    int shell_was_loaded;       /* SHELL32 was in the process before Play */
    int create_calls;           /* CreateProcessA calls, each failed for want of rights */
    int shell_calls;            /* ShellExecuteExW calls */
    WCHAR shell_module[MAX_PATH];   /* the file of the module ShellExecuteExW was taken from */
    WCHAR shell_verb[16], shell_file[MAX_PATH], shell_params[MAX_PATH], shell_dir[MAX_PATH];
    HWND shell_owner;           /* the window it was given to own the consent prompt */
    HRESULT shell_com;          /* CoInitializeEx(COINIT_APARTMENTTHREADED) just then: S_FALSE if COM was set up */
    DWORD cpu_ms;               /* the launcher's processor time as it ended, or as the probe left it */
    int boxes;                  /* MessageBoxW calls after PROBE_MESSAGE */
    UINT box_type;              /* ... the last one's type, MB_RTLREADING among its flags */
};

#endif
