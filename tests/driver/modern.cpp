/* A modern launcher: DPI-aware, themed, and with UTF-8 as its code page. */

#include "driver.h"

static void set_dpi(int dpi)
{
    HKEY key;
    DWORD value = dpi;

    if (ok(!RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_SET_VALUE, &key),
           "cannot open HKCU\\Control Panel\\Desktop\n"))
    {
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, (BYTE *)&value, sizeof(value));
        RegCloseKey(key);
    }
}

/* At 100 %, 150 % and 200 %: the picture drawn for the DPI and filling its
 * control, every text within its control, and themed buttons. */
static void test_scaling(void)
{
    static const int dpis[] = { 96, 144, 192 };
    static const char *const names[4] = { "play", "cancel", "line1", "line2" };
    char folder[MAX_PATH], exe[MAX_PATH];

    game_folder(folder, "modern", brand.exe, true);
    path_join(exe, folder, brand.exe);
    for (int dpi : dpis)
    {
        ProbeResult res;
        Launcher l;
        HWND dlg;
        int side = MulDiv(PICTURE_WIDTH, dpi, 96);

        set_dpi(dpi);
        if (!(dlg = launch(&l, exe, folder)))
            continue;
        if (probe(dlg, &res))
        {
            RECT *pic = &res.controls[4];

            ok(res.dpi == dpi, "%d DPI: the launcher sees %d DPI\n", dpi, res.dpi);
            ok(res.bitmap_ok && res.bitmap.bmWidth == side && res.bitmap.bmHeight == side,
               "%d DPI: the picture is %ldx%ld, expected %dx%d\n", dpi, res.bitmap.bmWidth, res.bitmap.bmHeight,
               side, side);
            ok(pic->right - pic->left == side && pic->bottom - pic->top == side &&
               pic->left == res.control_units[4].left && pic->top == res.control_units[4].top,
               "%d DPI: the picture's control is %ldx%ld at %ld,%ld, expected %dx%d at %ld,%ld\n", dpi,
               pic->right - pic->left, pic->bottom - pic->top, pic->left, pic->top, side, side,
               res.control_units[4].left, res.control_units[4].top);
            for (int i = 0; i < 4; i++)
            {
                /* a button's label has its edges' room less */
                int room = res.controls[i].right - res.controls[i].left - (i < 2 ? 2 * (GetSystemMetrics(SM_CXEDGE) + 1) : 0);

                ok(res.extent[i] <= room, "%d DPI: %s is %d px in %d px\n", dpi, names[i], res.extent[i], room);
            }
            ok(res.buttons_comctl, "%d DPI: user32 draws the buttons, expected Common Controls 6\n", dpi);
            ok(res.icon && res.small_icon, "%d DPI: icons big %p, small %p, expected both\n", dpi, res.icon,
               res.small_icon);
        }
        answer(&l, dlg, VK_ESCAPE, "Cancel");
        finish(&l);
    }
    set_dpi(96);
}

/* Started from elsewhere, a launcher in a folder whose name the ANSI code
 * page cannot hold runs the game in that folder. */
static void test_unicode_folder(void)
{
    static const WCHAR names[2][16] = { L"\x0418\x0433\x0440\x044b \x00dc\x006e\x00ef",        /* Игры Ünï */
                                        L"\x041f\x043e\x043b\x044f\x0440\x043d\x0430\x044f" };  /* Полярная */
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

void test_modern(void)
{
    test_scaling();
    test_unicode_folder();
}
