/* What the stand-in XInput DLL shares with the programs that drive it (the
 * preview's and the test driver): the pads' state, in shared memory of this
 * name, which they write, and the calls the DLL counts. */

#ifndef PAD_H
#define PAD_H

#include <windows.h>
#include <xinput.h>

#include "resource.h"

#define PAD_MAPPING "LauncherTestPads"
#define PAD_MARKER  "xinput-loaded.txt"     /* written beside the DLL when it is loaded */

struct PadState
{
    BOOL connected[XUSER_MAX_COUNT];
    XINPUT_STATE state[XUSER_MAX_COUNT];
    LONG reads[XUSER_MAX_COUNT];        /* XInputGetState calls for each slot, which the DLL counts */
};

/* The pads' state, made by the program that drives them; NULL if it cannot be. */
static inline PadState *share_pads(void)
{
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, sizeof(PadState), PAD_MAPPING);

    return mapping ? (PadState *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(PadState)) : NULL;
}

/* Sets a pad's buttons and gives the launcher time to see them: a slot that
 * had no pad it asks again only after PAD_RETRY. */
static inline void set_pad(PadState *pads, int slot, WORD buttons)
{
    bool connects = !pads->connected[slot];

    pads->connected[slot] = TRUE;
    pads->state[slot].dwPacketNumber++;
    pads->state[slot].Gamepad.wButtons = buttons;
    Sleep(connects ? PAD_RETRY + 500 : 5 * PAD_INTERVAL);
}

#endif
