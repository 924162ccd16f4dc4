/* What the stand-in XInput DLL shares with the programs that drive it (the
 * preview's and the test driver): the pads' state, in shared memory of this
 * name, which they write, and the calls the DLL counts. */

#define PAD_MAPPING "LauncherTestPads"
#define PAD_MARKER  "xinput-loaded.txt"     /* written beside the DLL when it is loaded */

struct PadState
{
    BOOL connected[XUSER_MAX_COUNT];
    XINPUT_STATE state[XUSER_MAX_COUNT];
    LONG reads[XUSER_MAX_COUNT];        /* XInputGetState calls for each slot, which the DLL counts */
};
