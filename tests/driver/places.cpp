/* Where players put games. */

#include "driver.h"

/* T: is mapped by the test set-up to a folder of its own. Started from
 * another drive, and from a folder of T: itself, which "T:" alone would name. */
static void from_drive_root(const char *src, const char *elsewhere)
{
    char root_exe[MAX_PATH];
    Launcher l;
    HWND dlg;

    path_join(root_exe, "T:", brand.exe);
    ok(CopyFileA(src, root_exe, FALSE), "cannot copy the launcher to T:\\, error %lu\n", GetLastError());
    write_file("T:\\GAME.BAT", GAME_BAT);
    CreateDirectoryA("T:\\sub", NULL);
    for (int on_t = 0; on_t < 2; on_t++)
    {
        DeleteFileA("T:\\ran.txt");
        if (!(dlg = launch(&l, root_exe, on_t ? "T:\\sub" : elsewhere)))
            continue;
        answer(&l, dlg, VK_RETURN, on_t ? "drive root, started on T:" : "drive root");
        check_game_ran("T:", "T:\\");
        finish(&l);
    }
}

/* A program path of more than MAX_PATH characters, started by a name relative
 * to our own current directory, which CreateProcess takes where it cannot take
 * the absolute path. */
static void from_long_path(const char *src)
{
    static const WCHAR long_names[][2] = { { 'd', 0 }, { 'e', 0 } };
    char folder[MAX_PATH], relative[MAX_PATH], shorter[MAX_PATH];
    WCHAR wide[1024], wexe[1024], wsrc[MAX_PATH];
    Launcher l;
    HWND dlg;
    int n;

    work_folder(folder, "long");
    n = MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, 1024) - 1;
    for (int i = 0; i < 2; i++)
    {
        wide[n++] = '\\';
        for (int j = 0; j < 120; j++, n++)
            wide[n] = long_names[i][0];
        wide[n] = 0;
        if (i == 0)
            WideCharToMultiByte(CP_ACP, 0, wide, -1, shorter, MAX_PATH, NULL, NULL);
        ok(CreateDirectoryW(wide, NULL), "cannot make a folder of %d characters, error %lu\n", n, GetLastError());
    }
    n = wsprintfW(wexe, L"%s\\", wide);
    MultiByteToWideChar(CP_ACP, 0, brand.exe, -1, wexe + n, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, src, -1, wsrc, MAX_PATH);
    ok(CopyFileW(wsrc, wexe, FALSE), "cannot copy the launcher to a long path, error %lu\n", GetLastError());
    ok(lstrlenW(wexe) > MAX_PATH, "program path of %d characters, expected more than %d\n", lstrlenW(wexe),
       MAX_PATH);
    memset(relative, 'e', 120);
    snprintf(relative + 120, MAX_PATH - 120, "\\%s", brand.exe);
    SetCurrentDirectoryA(shorter);
    for (int play = 0; play < 2; play++)
    {
        if (!(dlg = launch(&l, relative, shorter)))
            continue;
        answer(&l, dlg, play ? VK_RETURN : VK_ESCAPE, play ? "long path, Play" : "long path, Cancel");
        finish(&l);
    }
    SetCurrentDirectoryA(bindir);
}

/* Where players put games: a drive's root, a path too long for the
 * launcher's buffer, a folder without GAME.BAT. */
SCENARIO(places)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], src[MAX_PATH];
    Launcher l;
    HWND dlg;

    work_folder(elsewhere, "places-cwd");
    path_join(src, bindir, brand.exe);
    from_drive_root(src, elsewhere);
    from_long_path(src);

    game_folder(folder, "no-game", brand.exe, false);
    path_join(exe, folder, brand.exe);
    if ((dlg = launch(&l, exe, elsewhere)))
    {
        answer(&l, dlg, VK_RETURN, "no GAME.BAT");
        check_nothing_ran(&l, folder);
        finish(&l);
    }
}

/* Under a double-byte code page: names whose second bytes are backslashes. */
SCENARIO(cp932)
{
    /* 表ソ in code page 932: 95 5C 83 5C */
    static const char name[] = "\x95\x5c\x83\x5c";
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe_name[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HWND dlg;

    if (!ok(GetACP() == 932, "code page %u, expected 932 (is LANG=ja_JP.UTF-8 set?)\n", GetACP()))
        return;
    snprintf(exe_name, sizeof(exe_name), "%s.exe", name);
    game_folder(folder, name, exe_name, true);
    work_folder(elsewhere, "cp932-cwd");
    path_join(exe, folder, exe_name);
    if (!(dlg = launch(&l, exe, elsewhere)))
        return;
    answer(&l, dlg, VK_RETURN, "Play");
    check_game_ran(folder, folder);
    finish(&l);
}
