/* A modern launcher: DPI-aware, themed, with UTF-8 as its code page, and
 * guarded against starts that overlap. */

#include "driver.h"

/* At the screen's DPI, which the test set-up makes 96, 144 or 192 (100 %, 150 %
 * and 200 %) for this scenario: the picture drawn for the DPI and filling its
 * control, every text within its control, and themed buttons. */
SCENARIO(scaling)
{
    static const char *const names[4] = { "play", "cancel", "line1", "line2" };
    char folder[MAX_PATH], exe[MAX_PATH];
    const char *asked = getenv("LAUNCHER_DPI");
    HDC screen = GetDC(NULL);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX), side = MulDiv(PICTURE_WIDTH, dpi, 96);
    ProbeResult res;
    Launcher l;
    HWND dlg;

    ReleaseDC(NULL, screen);
    ok(asked && dpi == atoi(asked), "the screen has %d DPI, the set-up asked for %s\n", dpi, asked ? asked : "none");
    game_folder(folder, "modern", brand.exe, true);
    path_join(exe, folder, brand.exe);
    if (!(dlg = launch(&l, exe, folder)))
        return;
    if (probe(dlg, &res))
    {
        RECT *pic = &res.controls[4];

        ok(res.dpi == dpi, "%d DPI: the launcher sees %d DPI\n", dpi, res.dpi);
        check_corner(&res);
        ok(res.bitmap_ok && res.bitmap.bmWidth == side && res.bitmap.bmHeight == side,
           "%d DPI: the picture is %ldx%ld, expected %dx%d\n", dpi, res.bitmap.bmWidth, res.bitmap.bmHeight,
           side, side);
        /* a DIB section has its bits in our reach, whatever the screen's depth */
        ok(res.bitmap.bmBits && res.bitmap.bmBitsPixel == 24,
           "%d DPI: the picture is %s at %u bits, expected a section at 24\n", dpi,
           res.bitmap.bmBits ? "a section" : "device-dependent", res.bitmap.bmBitsPixel);
        ok(pic->right - pic->left == side && pic->bottom - pic->top == side &&
           pic->left == res.control_units[4].left && pic->top == res.control_units[4].top,
           "%d DPI: the picture's control is %ldx%ld at %ld,%ld, expected %dx%d at %ld,%ld\n", dpi,
           pic->right - pic->left, pic->bottom - pic->top, pic->left, pic->top, side, side,
           res.control_units[4].left, res.control_units[4].top);
        for (int i = 0; i < 4; i++)
        {
            /* a button's label has its edges' room less */
            int room = res.controls[i].right - res.controls[i].left - (i < 2 ? button_edges() : 0);

            ok(res.extent[i] <= room, "%d DPI: %s is %d px in %d px\n", dpi, names[i], res.extent[i], room);
        }
        ok(res.buttons_comctl, "%d DPI: user32 draws the buttons, expected Common Controls 6\n", dpi);
        ok(res.icon && res.small_icon, "%d DPI: icons big %p, small %p, expected both\n", dpi, res.icon,
           res.small_icon);
    }
    answer(&l, dlg, VK_ESCAPE, "Cancel");
    finish(&l);
}

/* Started from elsewhere, a launcher in a folder whose name the ANSI code
 * page cannot hold runs the game in that folder: a Cyrillic one, and one of
 * 150 Chinese characters, which take 450 bytes in UTF-8. */
static void test_unicode_folder(const WCHAR *const names[2], int repeat)
{
    char work[MAX_PATH], exe[MAX_PATH];
    WCHAR folder[MAX_PATH], src[MAX_PATH], dst[MAX_PATH], elsewhere[MAX_PATH], ran[MAX_PATH];
    HANDLE file;
    DWORD written;
    Launcher l;
    HWND dlg;

    ok(GetACP() == 1252, "the driver runs under code page %u, expected 1252\n", GetACP());
    work_folder(work, "unicode-cwd");
    MultiByteToWideChar(CP_ACP, 0, work, -1, elsewhere, MAX_PATH);
    work_folder(work, "unicode");
    MultiByteToWideChar(CP_ACP, 0, work, -1, folder, MAX_PATH);
    for (int i = 0; i < 2; i++)
    {
        lstrcatW(folder, L"\\");
        for (int j = 0; j < repeat; j++)
            lstrcatW(folder, names[i]);
        CreateDirectoryW(folder, NULL);
    }
    path_join(exe, bindir, brand.exe);
    MultiByteToWideChar(CP_ACP, 0, exe, -1, src, MAX_PATH);
    wsprintfW(dst, L"%s\\%s", folder, wcsrchr(src, '\\') + 1);
    if (!ok(CopyFileW(src, dst, FALSE), "copying the launcher to %ls failed, error %lu\n", dst, GetLastError()))
        return;
    wsprintfW(ran, L"%s\\GAME.BAT", folder);
    file = CreateFileW(ran, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, GAME_BAT, lstrlenA(GAME_BAT), &written, NULL);
    CloseHandle(file);
    if (!start_w(&l, dst, elsewhere))
        return;
    if (!ok((dlg = wait_dialog(&l)) != NULL, "%ls: no dialog within %d ms\n", dst, DIALOG_TIMEOUT))
    {
        finish(&l);
        return;
    }
    answer(&l, dlg, VK_RETURN, "Play");
    wsprintfW(ran, L"%s\\ran.txt", folder);
    ok(wait_file_w(ran, GAME_TIMEOUT), "GAME.BAT did not run in %ls\n", folder);
    finish(&l);
}

/* Starts that overlap, as when a player double-clicks again while a slow
 * start is pending: of each pair, one shows the dialog and the other ends. */
static void test_overlapping(void)
{
    char folder[MAX_PATH], exe[MAX_PATH];
    int dialogs;

    game_folder(folder, "overlapping", brand.exe, true);
    path_join(exe, folder, brand.exe);
    for (int pair = 0; pair < 10; pair++)
    {
        Launcher l[2];
        DWORD code[2] = { STILL_ACTIVE, STILL_ACTIVE };
        int ended;

        if (!start(&l[0], exe, folder, true) || !start(&l[1], exe, folder, true))
            break;
        ResumeThread(l[0].pi.hThread);
        ResumeThread(l[1].pi.hThread);
        for (DWORD t = GetTickCount(); GetTickCount() - t < EXIT_TIMEOUT; )
            if ((code[0] = wait_exit(&l[0], 50)) != STILL_ACTIVE || (code[1] = wait_exit(&l[1], 50)) != STILL_ACTIVE)
                break;
        ended = code[0] != STILL_ACTIVE ? 0 : 1;
        if (ok(code[ended] != STILL_ACTIVE, "pair %d: neither start ended\n", pair))
        {
            ok(code[ended] == 0, "pair %d: exit code %lx, expected 0\n", pair, code[ended]);
            ok(wait_dialog(&l[1 - ended]) != NULL, "pair %d: the other start showed no dialog\n", pair);
            find_window(0, "#32770", &dialogs);
            ok(dialogs == 1, "pair %d: %d dialogs, expected 1\n", pair, dialogs);
        }
        finish(&l[0]);
        finish(&l[1]);
    }
}

SCENARIO(modern)
{
    static const WCHAR *const cyrillic[2] = { L"\x0418\x0433\x0440\x044b \x00dc\x006e\x00ef",   /* Игры Ünï */
                                              L"\x041f\x043e\x043b\x044f\x0440\x043d\x0430\x044f" }; /* Полярная */
    static const WCHAR *const chinese[2] = { L"\x5c71\x5cf0\x6e38\x620f\x5939",     /* 山峰游戏夹 */
                                             L"\x5317\x5cb3\x767b\x5c71\x5bb6" };   /* 北岳登山家 */

    test_unicode_folder(cyrillic, 1);
    test_unicode_folder(chinese, 15);     /* 75 characters each */
    test_overlapping();
}
