/* A batch file as the game: cmd reads its name by rules of its own. */

#include "driver.h"

/* The batch files cmd would run were the brand's name split where cmd splits
 * an unquoted command (at &, and the like) and its ^ taken as an escape: each
 * part, and the whole without its ^, as a batch file of its own. */
static int decoy_names(const char *program, char names[][MAX_PATH], int most)
{
    char bare[MAX_PATH], *part, *dot;
    int n = 0, k = 0;

    for (const char *p = program; *p; p++)
        if (*p != '^')
            bare[k++] = *p;
    bare[k] = 0;
    if (lstrcmpiA(bare, program))
        lstrcpynA(names[n++], bare, MAX_PATH);
    lstrcpynA(bare, program, MAX_PATH);
    if ((dot = strrchr(bare, '.')))
        *dot = 0;
    for (part = strtok(bare, "&,;=()@ "); part && n < most; part = strtok(NULL, "&,;=()@ "))
    {
        k = 0;
        for (const char *p = part; *p && k < MAX_PATH - 5; p++)
            if (*p != '^')
                names[n][k++] = *p;
        lstrcpyA(names[n] + k, ".bat");
        if (lstrcmpiA(names[n], program))
            n++;
    }
    return n;
}

/* A batch file whose name holds characters that cmd reads as its own outside
 * quotes, beside the files cmd would run in its place were the name handed to
 * it unquoted: Play runs the named file alone, in the game's folder. */
SCENARIO(batch_name)
{
    static const char decoy_bat[] = "@echo off\r\necho %~nx0>> \"%~dp0decoys.txt\"\r\n";
    char folder[MAX_PATH], exe[MAX_PATH], path[MAX_PATH], decoys[8][MAX_PATH], ran[512];
    Launcher l;
    HWND dlg;
    int n;

    n = decoy_names(brand.program, decoys, 8);
    ok(n >= 2, "%s: %d files that cmd could run in its place, expected a name that cmd would split\n",
       brand.program, n);
    game_folder(folder, "batch-name", brand.exe, true);
    for (int i = 0; i < n; i++)
    {
        path_join(path, folder, decoys[i]);
        write_file(path, decoy_bat);
    }
    path_join(exe, folder, brand.exe);
    if (!(dlg = launch(&l, exe, folder)))
        return;
    answer(&l, dlg, VK_RETURN, "Play");
    check_game_ran(folder, folder);
    Sleep(SETTLE);
    path_join(path, folder, "decoys.txt");
    ran[0] = 0;
    ok(!read_file(path, ran, sizeof(ran)), "Play ran \"%s\" too, expected %s alone\n", ran, brand.program);
    finish(&l);
}
