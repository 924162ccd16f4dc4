/* The dialog and the marker window as the launcher makes them. */

#include "driver.h"

/* The texts are the brand's; the rest is the same for every brand whose texts
 * fit the standard dialog. Places are in dialog units (x, y, width, height),
 * as the launcher must show them: stated here, not read from resource.h, so
 * that a wrong number there is noticed. */
static const RECT dialog_place = { 70, 70, 220, 80 };
static const int picture_size = 90;     /* pixels, whatever the font */
static const struct
{
    int id;
    const char *name, *cls;
    int text;                   /* which of the brand's texts, or -1 for none */
    DWORD style;
    RECT place;
} controls[] = {
    { IDOK, "Play", "Button", PLAY, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, { 90, 50, 40, 14 } },
    { IDCANCEL, "Cancel", "Button", CANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, { 160, 50, 40, 14 } },
    { IDC_QUESTION1, "line 1", "Static", LINE1, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, { 90, 10, 60, 10 } },
    { IDC_QUESTION2, "line 2", "Static", LINE2, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT, { 90, 20, 110, 10 } },
    { IDC_PICTURE, "picture", "Static", -1, WS_CHILD | WS_VISIBLE | SS_BITMAP, { 10, 10, 60, 60 } },
};

/* A place in dialog units in pixels, as the dialog manager maps it with the
 * dialog's base units: position and size each on their own. */
static RECT in_pixels(const RECT *place, const RECT *base)
{
    RECT px;

    px.left = MulDiv(place->left, base->right, 4);
    px.top = MulDiv(place->top, base->bottom, 8);
    px.right = px.left + MulDiv(place->right, base->right, 4);
    px.bottom = px.top + MulDiv(place->bottom, base->bottom, 8);
    return px;
}

static void check_rect(const char *what, const RECT *got, const RECT *expected, bool position_only)
{
    bool same = got->left == expected->left && got->top == expected->top &&
                (position_only || (got->right == expected->right && got->bottom == expected->bottom));

    ok(same, "%s at (%ld,%ld)-(%ld,%ld), expected (%ld,%ld)-(%ld,%ld)\n", what, got->left, got->top,
       got->right, got->bottom, expected->left, expected->top, expected->right, expected->bottom);
}

/* Each control's id, class, text, style and order, as the template makes them. */
static void check_controls(HWND dlg)
{
    char text[128];
    WCHAR wtext[256];
    HWND ctl = GetWindow(dlg, GW_CHILD);
    RECT rc;
    DWORD style;
    int i;

    for (i = 0; i < 5; i++, ctl = GetWindow(ctl, GW_HWNDNEXT))
    {
        if (!ok(ctl != NULL, "control %d missing, expected id %d\n", i + 1, controls[i].id))
            break;
        ok(GetDlgCtrlID(ctl) == controls[i].id, "control %d has id %d, expected %d\n", i + 1,
           GetDlgCtrlID(ctl), controls[i].id);
        GetClassNameA(ctl, text, sizeof(text));
        ok(!lstrcmpiA(text, controls[i].cls), "control %d class \"%s\", expected \"%s\"\n", controls[i].id,
           text, controls[i].cls);
        GetWindowTextW(ctl, wtext, 256);
        ok(controls[i].text >= 0 || !wtext[0], "control %d text \"%ls\", expected none\n", controls[i].id, wtext);
        style = GetWindowLongA(ctl, GWL_STYLE);
        ok(style == controls[i].style, "control %d style %08lx, expected %08lx\n", controls[i].id, style,
           controls[i].style);
        /* the dialog manager adds WS_EX_NOPARENTNOTIFY to every control */
        style = GetWindowLongA(ctl, GWL_EXSTYLE) & ~WS_EX_NOPARENTNOTIFY;
        ok(style == 0, "control %d has extended style %08lx\n", controls[i].id, style);
    }
    ok(ctl == NULL, "a sixth control %p\n", ctl);

    ctl = GetDlgItem(dlg, IDC_PICTURE);
    ok(SendMessageA(ctl, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0, "the picture control holds no bitmap\n");
    GetClientRect(ctl, &rc);
    ok(rc.right == picture_size && rc.bottom == picture_size, "picture is %ldx%ld, expected %dx%d\n", rc.right,
       rc.bottom, picture_size, picture_size);
}

/* The marker window: the launcher's alone, minimised, never shown, titled with its class. */
static void check_marker(const Launcher *l)
{
    char text[128];
    int count;
    DWORD pid, style;
    HWND marker = find_window(0, brand.cls, &count);

    ok(count == 1, "%d windows of class \"%s\", expected 1\n", count, brand.cls);
    GetWindowThreadProcessId(marker, &pid);
    ok(pid == l->pi.dwProcessId, "marker window belongs to process %lx, expected %lx\n", pid, l->pi.dwProcessId);
    style = GetWindowLongA(marker, GWL_STYLE);
    ok((style & (WS_VISIBLE | WS_MINIMIZE | WS_POPUP | WS_CHILD)) == WS_MINIMIZE,
       "marker style %08lx, expected minimised, overlapped and not visible\n", style);
    GetWindowTextA(marker, text, sizeof(text));
    ok(!strcmp(text, brand.cls), "marker title \"%s\", expected \"%s\"\n", text, brand.cls);
}

/* What only the launcher's own process sees: the marker's class and place,
 * where the dialog and its controls lie, the picture's bitmap and the font. */
static void check_inside(const ProbeResult *res)
{
    RECT rc;

    ok(res->marker_found, "the probe found no marker window in the launcher\n");
    ok(res->class_style == (CS_HREDRAW | CS_VREDRAW), "class style %lu, expected 3\n", res->class_style);
    ok(res->brush_is_gray, "class brush is not the stock gray brush\n");
    ok(res->cursor_is_cross, "class cursor is not the crosshair\n");
    ok(res->icon_is_application, "class icon is not the application icon\n");
    SetRect(&rc, 130, 130, 350, 210);
    check_rect("marker's restored window", &res->placement.rcNormalPosition, &rc, false);
    ok(res->placement.showCmd == SW_SHOWMINIMIZED, "marker show state %u, expected %u\n",
       res->placement.showCmd, SW_SHOWMINIMIZED);
    /* the dialog manager puts the client area, not the frame, where the template says */
    rc = in_pixels(&dialog_place, &res->base_units);
    check_rect("dialog's client area", &res->dialog_client, &rc, false);
    for (int i = 0; i < 5; i++)
    {
        rc = in_pixels(&controls[i].place, &res->base_units);
        check_rect(controls[i].name, &res->controls[i], &rc, controls[i].id == IDC_PICTURE);
    }
    ok(res->bitmap_ok, "the probe could not read the picture's bitmap\n");
    check_corner(res);
    ok(res->bitmap.bmWidth == picture_size && res->bitmap.bmHeight == picture_size && res->bitmap.bmBitsPixel == 4,
       "bitmap %ldx%ld at %u bits, expected %dx%d at 4\n", res->bitmap.bmWidth, res->bitmap.bmHeight,
       res->bitmap.bmBitsPixel, picture_size, picture_size);
    /* Windows' MS Sans Serif at 96 DPI: dialog base units of 6 by 13 */
    ok(!lstrcmpW(res->font_face, L"MS Sans Serif"), "dialog font \"%ls\", expected \"MS Sans Serif\"\n",
       res->font_face);
    ok(res->dialog_client.right - res->dialog_client.left == 330 &&
       res->dialog_client.bottom - res->dialog_client.top == 130, "client area %ldx%ld, expected 330x130\n",
       res->dialog_client.right - res->dialog_client.left, res->dialog_client.bottom - res->dialog_client.top);
    ok((res->icon != NULL) == (brand.icon != 0), "the dialog's icon %p, expected %s\n", res->icon,
       brand.icon ? "the brand's" : "none");
    ok(res->reinit_new_bitmap && res->reinit_old_deleted,
       "setting the picture again: new bitmap %d, old one deleted %d, expected 1 and 1\n",
       res->reinit_new_bitmap, res->reinit_old_deleted);
}

/* A second start while the dialog is up must end at once and add no window. */
static void check_second_start(const char *exe, const char *folder)
{
    Launcher second;
    DWORD code;
    int count;

    if (start(&second, exe, folder))
    {
        code = wait_exit(&second, EXIT_TIMEOUT);
        ok(code == 0, "second start: exit code %lx, expected 0\n", code);
        ok(windows_created == 0, "second start created %d windows, expected none\n", windows_created);
        ok(job_processes(&second) == 1, "second start: %lu processes, expected 1\n", job_processes(&second));
        finish(&second);
    }
    find_window(0, "#32770", &count);
    ok(count == 1, "%d dialogs after a second start, expected 1\n", count);
    find_window(0, brand.cls, &count);
    ok(count == 1, "%d marker windows after a second start, expected 1\n", count);
}

/* The dialog and the marker window as the launcher makes them, seen from
 * outside and from inside; a refused second start; Cancel by mouse. */
SCENARIO(dialog)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], before[4096], after[4096];
    Launcher first;
    ProbeResult res;
    HWND dlg;
    DWORD code;

    game_folder(folder, "dialog", brand.exe, true);
    work_folder(elsewhere, "dialog-cwd");
    path_join(exe, folder, brand.exe);
    listing(folder, before, sizeof(before));
    marker_seen_visible = false;
    if (!(dlg = launch(&first, exe, elsewhere)))
        return;
    ok(windows_created >= 2, "saw %d windows created by the launcher, expected its marker and dialog\n",
       windows_created);
    check_texts(dlg);
    check_controls(dlg);
    check_marker(&first);
    if (probe(dlg, &res))
        check_inside(&res);
    check_second_start(exe, elsewhere);

    click(GetDlgItem(dlg, IDCANCEL));
    code = wait_exit(&first, EXIT_TIMEOUT);
    ok(code == 0, "Cancel: exit code %lx, expected 0\n", code);
    check_nothing_ran(&first, folder);
    finish(&first);

    probe_final(&res);
    ok(res.destroyed, "the probe did not see the dialog end\n");
    ok(!res.marker_shown && !res.marker_visible_at_end && !marker_seen_visible,
       "the marker window was shown (asked %d, at the end %d, seen %d)\n", res.marker_shown,
       res.marker_visible_at_end, marker_seen_visible);
    listing(folder, after, sizeof(after));
    ok(!strcmp(before, after), "the program's folder changed:\n  before %s\n  after  %s\n", before, after);
}
