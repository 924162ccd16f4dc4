/* A launcher that a controller drives, through the stand-in XInput, which
 * tools/env.sh puts in the prefix for this scenario. */

#include "driver.h"
#include <xinput.h>
#include "pad.h"

static PadState *pads;

/* The pads' state, shared with the stand-in; it must be the system's XInput. */
static bool open_pads(void)
{
    char path[MAX_PATH], marker[MAX_PATH];

    pads = share_pads();
    if (!ok(pads != NULL, "cannot share the pads' state, error %lu\n", GetLastError()))
        return false;
    GetSystemDirectoryA(path, MAX_PATH);
    path_join(marker, path, PAD_MARKER);
    lstrcatA(path, "\\xinput1_4.dll");
    DeleteFileA(marker);
    FreeLibrary(LoadLibraryA(path));
    return ok(file_exists(marker), "%s is not the stand-in XInput (run the scenario through tests/in_prefix.sh "
              "stand_in_xinput)\n", path);
}

static void pad(int slot, WORD buttons)
{
    set_pad(pads, slot, buttons);
}

enum Where
{
    FRONT,                  /* the dialog in the foreground all along */
    ELSEWHERE,              /* another window in the foreground all along */
    COMES_BACK,             /* another window, until the first press is held */
};

static const struct
{
    const char *what;
    int slot;
    WORD held;              /* held from before the dialog opens, or as the pad connects */
    bool connects_held;     /* ... the latter */
    Where where;
    WORD presses[2];        /* then each released, pressed and released */
    bool runs, closes;
} cases[] = {
    { "A", 0, 0, false, FRONT, { XINPUT_GAMEPAD_A }, true, true },
    { "Start, on a pad plugged in to the last slot after the dialog opened", 3, 0, false, FRONT,
      { XINPUT_GAMEPAD_START }, true, true },
    { "B", 1, 0, false, FRONT, { XINPUT_GAMEPAD_B }, false, true },
    { "right, then A: Cancel", 0, 0, false, FRONT, { XINPUT_GAMEPAD_DPAD_RIGHT, XINPUT_GAMEPAD_A }, false, true },
    { "A held from before the dialog opened, released and pressed again", 0, XINPUT_GAMEPAD_A, false, FRONT,
      { XINPUT_GAMEPAD_A }, true, true },
    { "A held as a pad connects, then released", 2, XINPUT_GAMEPAD_A, true, FRONT, { 0 }, false, false },
    { "A while another window is in the foreground", 0, 0, false, ELSEWHERE, { XINPUT_GAMEPAD_A }, false, false },
    { "A pressed in another window, held as the dialog comes back, then released", 0, 0, false, COMES_BACK,
      { XINPUT_GAMEPAD_A }, false, false },
};

/* A DLL of XInput's name in the game's folder, which must never be loaded:
 * the stand-in, which leaves a marker beside itself where it is. */
static void plant_xinput(const char *folder, char *marker)
{
    char stand_in[MAX_PATH], planted[MAX_PATH];

    path_join(stand_in, bindir, "xinput1_4.dll");
    path_join(planted, folder, "xinput1_4.dll");
    CopyFileA(stand_in, planted, FALSE);
    path_join(marker, folder, PAD_MARKER);
}

/* The dialog at the front, or behind a window of ours as the case has it: that window, else NULL. */
static HWND put_dialog(HWND dlg, int where)
{
    HWND other = NULL;

    if (where != FRONT)
    {
        other = CreateWindowA("STATIC", "another window", WS_POPUP | WS_VISIBLE, 0, 0, 200, 50, NULL, NULL, NULL, NULL);
        SetForegroundWindow(other);
        Sleep(200);
    }
    else
        SetForegroundWindow(dlg);
    Sleep(300);
    return other;
}

/* The case's presses, each from a released pad; where the dialog comes back
 * to the front, it does so while the button is held. */
static void press_buttons(int i, HWND dlg)
{
    int slot = cases[i].slot;

    if (cases[i].connects_held)
    {
        pad(slot, cases[i].held);
        pad(slot, 0);
    }
    for (WORD b : cases[i].presses)
        if (b)
        {
            pad(slot, 0);
            pad(slot, b);
            if (cases[i].where == COMES_BACK)
            {
                SetForegroundWindow(dlg);
                Sleep(300);
            }
            pad(slot, 0);
        }
}

static void test_pad(int i)
{
    char folder[MAX_PATH], exe[MAX_PATH], marker[MAX_PATH];
    HWND dlg, other;
    Launcher l;
    int slot = cases[i].slot;

    game_folder(folder, "gamepad", brand.exe, true);
    plant_xinput(folder, marker);
    path_join(exe, folder, brand.exe);
    memset(pads, 0, sizeof(*pads));
    if (cases[i].held && !cases[i].connects_held)
        pad(slot, cases[i].held);
    if (cases[i].where == COMES_BACK)
        pad(slot, 0);       /* connected all along: only the return to the front makes a baseline */
    if (!(dlg = launch(&l, exe, folder)))
        return;
    other = put_dialog(dlg, cases[i].where);
    ok(wait_exit(&l, 0) == STILL_ACTIVE, "%s: the launcher ended before any press\n", cases[i].what);
    press_buttons(i, dlg);
    if (cases[i].closes)
        ok(wait_exit(&l, EXIT_TIMEOUT) == 0, "%s: the launcher did not end with exit code 0\n", cases[i].what);
    else
        ok(wait_exit(&l, 300) == STILL_ACTIVE, "%s: the launcher ended, expected it to wait\n", cases[i].what);
    if (cases[i].runs)
        check_game_ran(folder, folder);
    else
        check_nothing_ran(&l, folder);
    ok(!file_exists(marker), "%s: the launcher loaded the xinput1_4.dll of the game's folder\n", cases[i].what);
    if (other)
        DestroyWindow(other);
    if (!cases[i].closes)
        answer(&l, dlg, VK_ESCAPE, "Esc");
    finish(&l);
}

/* How often the launcher asks XInput: a pad's slot often, an empty slot at
 * most every two seconds, nothing while another window is in front. */
static void test_reads(void)
{
    char folder[MAX_PATH], exe[MAX_PATH];
    HWND dlg, other;
    Launcher l;

    game_folder(folder, "gamepad-reads", brand.exe, true);
    path_join(exe, folder, brand.exe);
    memset(pads, 0, sizeof(*pads));
    pad(0, 0);
    if (!(dlg = launch(&l, exe, folder)))
        return;
    SetForegroundWindow(dlg);
    Sleep(300);
    memset(pads->reads, 0, sizeof(pads->reads));
    Sleep(3000);
    ok(pads->reads[0] >= 20, "the pad's slot was read %ld times in 3 s, expected 20 or more\n", pads->reads[0]);
    for (int slot = 1; slot < XUSER_MAX_COUNT; slot++)
        ok(pads->reads[slot] <= 3, "empty slot %d was read %ld times in 3 s, expected 3 at most\n", slot + 1,
           pads->reads[slot]);
    other = CreateWindowA("STATIC", "another window", WS_POPUP | WS_VISIBLE, 0, 0, 200, 50, NULL, NULL, NULL, NULL);
    SetForegroundWindow(other);
    Sleep(300);
    memset(pads->reads, 0, sizeof(pads->reads));
    Sleep(PAD_RETRY + 500);
    for (int slot = 0; slot < XUSER_MAX_COUNT; slot++)
        ok(pads->reads[slot] == 0, "slot %d was read %ld times in the background, expected none\n", slot + 1,
           pads->reads[slot]);
    DestroyWindow(other);
    answer(&l, dlg, VK_ESCAPE, "Esc");
    finish(&l);
}

/* Play with a controller alone, when the game cannot be started: A on the
 * dialog shows why, A (the message's default button) or B closes the message,
 * and the dialog answers the pad again: B then cancels. */
SCENARIO(pad_message)
{
    static const struct
    {
        const char *what;
        WORD button;
    } cases[] = {
        { "A on the message", XINPUT_GAMEPAD_A },
        { "B on the message", XINPUT_GAMEPAD_B },
    };
    char folder[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HWND dlg, box;

    if (!open_pads())
        return;
    for (const auto &c : cases)
    {
        game_folder(folder, "pad-message", brand.exe, false);
        path_join(exe, folder, brand.exe);
        memset(pads, 0, sizeof(*pads));
        pad(0, 0);
        if (!(dlg = launch(&l, exe, folder)))
            continue;
        SetForegroundWindow(dlg);
        Sleep(300);
        pad(0, XINPUT_GAMEPAD_A);
        pad(0, 0);
        if (ok((box = wait_box(dlg)) != NULL, "%s: no message over the dialog after A\n", c.what))
        {
            pad(0, c.button);
            pad(0, 0);
            for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < EXIT_TIMEOUT;)
                Sleep(50);
            ok(!IsWindow(box), "%s: the message is still there\n", c.what);
        }
        ok(wait_exit(&l, 0) == STILL_ACTIVE && IsWindowVisible(dlg), "%s: the dialog closed, expected it to stay\n",
           c.what);
        pad(0, XINPUT_GAMEPAD_B);
        pad(0, 0);
        ok(wait_exit(&l, EXIT_TIMEOUT) == 0, "%s: B on the dialog after the message did not end the launcher with "
           "exit code 0\n", c.what);
        check_nothing_ran(&l, folder);
        finish(&l);
    }
}

/* With no XInput at all (the test set-up turns both off), the keyboard works as ever. */
SCENARIO(no_xinput)
{
    char folder[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HWND dlg;

    game_folder(folder, "gamepad-none", brand.exe, true);
    path_join(exe, folder, brand.exe);
    if (!(dlg = launch(&l, exe, folder)))
        return;
    answer(&l, dlg, VK_RETURN, "Enter without XInput");
    check_game_ran(folder, folder);
    finish(&l);
}

SCENARIO(gamepad)
{
    if (open_pads())
    {
        for (unsigned i = 0; i < sizeof(cases) / sizeof(cases[0]); i++)
            test_pad(i);
        test_reads();
    }
}
