/* A brand with languages, an icon and a game command line. */

#include "driver.h"

/* A brand whose Play starts a program by a command line: from the game's
 * folder, though a program of that name lies in the folder it was started
 * from, without waiting for the game to load; in this locale's language, with
 * the brand's icon. */
SCENARIO(edition)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH], loaded[MAX_PATH], expected[1024];
    char *got;
    ProbeResult res;
    Launcher l;
    HWND dlg;

    game_folder(folder, "edition", brand.exe, true);
    work_folder(elsewhere, "edition-cwd");
    put_game(elsewhere, &brand);
    path_join(exe, folder, brand.exe);
    if (!(dlg = launch(&l, exe, elsewhere)))
        return;
    check_texts(dlg);
    /* Wine answers WM_GETICON only from inside the launcher's process. */
    if (probe(dlg, &res))
        ok(res.icon != NULL, "the dialog has no icon, expected the brand's\n");
    answer(&l, dlg, VK_RETURN, "Play");
    /* the stand-in game opens its window 8 s after it starts */
    path_join(loaded, folder, "loaded.txt");
    ok(!file_exists(loaded), "the launcher ended only after the game had loaded\n");
    probe_final(&res);
    if ((got = check_game_ran(folder, folder)))
    {
        snprintf(expected, sizeof(expected), "%s\r\n%s\\%s\r\n%s", folder, folder, brand.program, brand.game);
        ok(!lstrcmpiA(got, expected), "the game wrote \"%s\", expected \"%s\"\n", got, expected);
    }
    path_join(ran, elsewhere, "ran.txt");
    ok(!file_exists(ran), "the program in the start folder ran\n");
    finish(&l);
}
