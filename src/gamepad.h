/* A launcher that a controller drives (brand key gamepad = yes): what the
 * program keeps of the pads, and the functions of gamepad.cpp. */

#include <xinput.h>

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
