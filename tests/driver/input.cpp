/* Each way a person answers the dialog. */

#include "driver.h"

/* Each way a person answers the dialog, with the keyboard and the mouse. */
enum Answer { ENTER, ESC, ALT_F4, TAB_TO_CANCEL_ENTER, CLICK_PLAY, CLICK_CANCEL, NOTIFY_CODES, MNEMONIC };

static const struct
{
    const char *name;
    Answer answer;
    bool plays;
} answers[] = {
    { "Enter as the dialog opens", ENTER, true },
    { "Esc", ESC, false },
    { "Alt+F4", ALT_F4, false },
    { "Enter on Cancel", TAB_TO_CANCEL_ENTER, false },
    { "click on Play", CLICK_PLAY, true },
    { "click on Cancel", CLICK_CANCEL, false },
    { "commands with notification codes, then Esc", NOTIFY_CODES, false },
    { "Alt and the letter Play's label marks", MNEMONIC, true },
};

/* The key of the letter after the & in Play's label, or 0 for none. */
static BYTE mnemonic(void)
{
    const WCHAR *amp = wcschr(brand.shown->text[PLAY], '&');

    return amp && amp[1] < 128 && isalnum(amp[1]) ? toupper(amp[1]) : 0;
}

SCENARIO(input)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH];
    Launcher l;
    HWND dlg;
    DWORD code;

    for (unsigned i = 0; i < sizeof(answers) / sizeof(answers[0]); i++)
    {
        if (answers[i].answer == MNEMONIC && !mnemonic())
            continue;
        game_folder(folder, "input", brand.exe, true);
        work_folder(elsewhere, "input-cwd");
        path_join(exe, folder, brand.exe);
        if (!(dlg = launch(&l, exe, elsewhere)))
            continue;

        switch (answers[i].answer)
        {
        case ENTER: key(dlg, VK_RETURN); break;
        case ESC: key(dlg, VK_ESCAPE); break;
        case ALT_F4: key(dlg, VK_F4, VK_MENU); break;
        case TAB_TO_CANCEL_ENTER:
            for (int tabs = 0; tabs < 4 && focus(&l) != GetDlgItem(dlg, IDCANCEL); tabs++)
                key(dlg, VK_TAB);
            ok(focus(&l) == GetDlgItem(dlg, IDCANCEL), "Tab did not bring the focus to Cancel\n");
            key(dlg, VK_RETURN);
            break;
        case CLICK_PLAY: click(GetDlgItem(dlg, IDOK)); break;
        case CLICK_CANCEL: click(GetDlgItem(dlg, IDCANCEL)); break;
        case MNEMONIC: key(dlg, mnemonic(), VK_MENU); break;
        case NOTIFY_CODES:
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED), 0);
            code = wait_exit(&l, SETTLE);
            ok(code == STILL_ACTIVE && IsWindowVisible(dlg), "%s: the dialog closed (exit code %lx)\n",
               answers[i].name, code);
            key(dlg, VK_ESCAPE);
            break;
        }

        code = wait_exit(&l, EXIT_TIMEOUT);
        ok(code == 0, "%s: exit code %lx, expected 0\n", answers[i].name, code);
        if (answers[i].plays)
        {
            check_game_ran(folder, folder);
            path_join(ran, elsewhere, "ran.txt");
            ok(!file_exists(ran), "%s: GAME.BAT ran in the start directory\n", answers[i].name);
        }
        else
            check_nothing_ran(&l, folder);
        finish(&l);
    }
}
