/* Launchers of two brands side by side. */

#include "driver.h"

/* Two brands side by side, each started first in turn: each guard refuses
 * only a second start of its own brand. */
SCENARIO(brands)
{
    const Record *pair[2] = { &brand, &other };
    char folder[2][MAX_PATH], exe[2][MAX_PATH];
    Launcher l[2], again;
    HWND dlg[2];
    DWORD code, pid;
    int count;

    for (int order = 0; order < 2; order++)
    {
        if (order)
            pair[0] = &other, pair[1] = &brand;
        for (int k = 0; k < 2; k++)
        {
            game_folder(folder[k], k ? "brands-second" : "brands-first", pair[k]->exe, true, pair[k]);
            path_join(exe[k], folder[k], pair[k]->exe);
            if (!(dlg[k] = launch(&l[k], exe[k], folder[k])))
                return;
        }
        for (int k = 0; k < 2; k++)
        {
            HWND marker = find_window(0, pair[k]->cls, &count);

            GetWindowThreadProcessId(marker, &pid);
            ok(count == 1 && pid == l[k].pi.dwProcessId, "%s: %d windows of class \"%s\", expected one of its own\n",
               pair[k]->exe, count, pair[k]->cls);
            if (!start(&again, exe[k], folder[k]))
                continue;
            code = wait_exit(&again, EXIT_TIMEOUT);
            ok(code == 0 && windows_created == 0, "second %s: exit code %lx and %d windows, expected 0 and none\n",
               pair[k]->exe, code, windows_created);
            finish(&again);
        }
        for (int k = 0; k < 2; k++)
        {
            answer(&l[k], dlg[k], VK_ESCAPE, pair[k]->exe);
            check_nothing_ran(&l[k], folder[k]);
            finish(&l[k]);
        }
    }
}
