/* A stand-in for XInput, whose pads Wine finds none of in an X display without
 * one: the preview's program or the test driver sets each slot's state in
 * shared memory (pad.h); tools/env.sh puts it in the prefix as the system's.
 * Wherever it is loaded from, it leaves a marker file beside itself, so that
 * the tests see a copy planted in a game's folder being loaded. */

#include <windows.h>
#include <xinput.h>
#include "pad.h"

static PadState *pads;

BOOL WINAPI DllMain(HINSTANCE inst, DWORD reason, void *reserved)
{
    char path[MAX_PATH], *slash;
    HANDLE file;

    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    GetModuleFileNameA(inst, path, sizeof(path));
    if ((slash = strrchr(path, '\\')))
    {
        lstrcpyA(slash + 1, PAD_MARKER);
        file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        CloseHandle(file);
    }
    return TRUE;
}

extern "C" __declspec(dllexport) DWORD WINAPI XInputGetState(DWORD slot, XINPUT_STATE *state)
{
    HANDLE mapping;

    if (!pads && (mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, PAD_MAPPING)))
        pads = (PadState *)MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(PadState));
    if (slot >= XUSER_MAX_COUNT || !pads)
        return ERROR_DEVICE_NOT_CONNECTED;
    InterlockedIncrement(&pads->reads[slot]);
    if (!pads->connected[slot])
        return ERROR_DEVICE_NOT_CONNECTED;
    *state = pads->state[slot];
    return ERROR_SUCCESS;
}
