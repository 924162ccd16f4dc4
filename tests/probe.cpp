/* Loaded into the launcher by a hook of the driver's: see probe.h. */

#include <windows.h>
#include "probe.h"

static ProbeResult result;
static UINT probe_message;
static HWND probed_dialog, marker;

static void save(void)
{
    char path[MAX_PATH], *slash;
    HMODULE self;
    HANDLE file;
    DWORD written;

    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)save, &self);
    GetModuleFileNameA(self, path, sizeof(path));
    if ((slash = strrchr(path, '\\')))
        strcpy(slash + 1, PROBE_FILE);
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, &result, sizeof(result), &written, NULL);
    CloseHandle(file);
}

static void map_units(HWND dlg, int x, int y, int cx, int cy, RECT *out)
{
    SetRect(out, x, y, cx, cy);
    MapDialogRect(dlg, out);
    out->right += out->left;
    out->bottom += out->top;
}

/* A text's width as DrawText lays it out on one line, and its width were
 * every character a missing glyph. */
static void measure(HDC dc, HFONT font, const WCHAR *text, UINT prefix, int *extent, int *boxes)
{
    HGDIOBJ old = SelectObject(dc, font);
    WCHAR none[256];
    RECT rc;
    int n = lstrlenW(text);

    SetRectEmpty(&rc);
    DrawTextW(dc, text, n, &rc, DT_CALCRECT | DT_SINGLELINE | prefix);
    *extent = rc.right;
    for (int k = 0; k < n; k++)
        none[k] = text[k] == '&' && !prefix ? '&' : 0xffff;  /* a noncharacter: no font has a glyph for it */
    SetRectEmpty(&rc);
    DrawTextW(dc, none, n, &rc, DT_CALCRECT | DT_SINGLELINE | prefix);
    *boxes = rc.right;
    SelectObject(dc, old);
}

/* What the dialog's font came out as, and whether each text fits where Wine
 * draws it: the caption in the title bar beside the close button (and the
 * icon, if there is one), the question's lines in their controls, which wrap
 * a longer line out of sight, and the labels inside their buttons' edges. */
static void fonts(HWND dlg)
{
    HDC dc = GetDC(dlg);
    HFONT font = (HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0), caption_font;
    HGDIOBJ old = SelectObject(dc, font);
    NONCLIENTMETRICSW ncm;
    WCHAR text[256];
    RECT client;

    GetTextFaceW(dc, LF_FACESIZE, result.font_face);
    SelectObject(dc, old);

    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    caption_font = CreateFontIndirectW(&ncm.lfCaptionFont);
    GetWindowTextW(dlg, text, 256);
    measure(dc, caption_font, text, DT_NOPREFIX, &result.text_extent[0], &result.text_boxes[0]);
    DeleteObject(caption_font);
    GetClientRect(dlg, &client);
    result.text_room[0] = client.right - GetSystemMetrics(SM_CXSIZE) - 4;
    if (SendMessageW(dlg, WM_GETICON, ICON_SMALL2, 0))
        result.text_room[0] -= GetSystemMetrics(SM_CXSMICON) + 2;

    for (int i = 1; i < 5; i++)
    {
        static const int ids[5] = { 0, 103, 104, IDOK, IDCANCEL };
        HWND ctl = GetDlgItem(dlg, ids[i]);
        RECT rc;

        GetWindowTextW(ctl, text, 256);
        measure(dc, font, text, 0, &result.text_extent[i], &result.text_boxes[i]);
        GetClientRect(ctl, &rc);
        result.text_room[i] = rc.right;
        if (i >= 3)
            result.text_room[i] -= 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
    }
    ReleaseDC(dlg, dc);
}

static void probe(HWND dlg, HWND hwnd)
{
    /* x, y, width, height in dialog units, as the template has them */
    static const RECT templ[5] = {
        { 90, 50, 40, 14 }, { 160, 50, 40, 14 }, { 90, 10, 60, 10 }, { 90, 20, 110, 10 }, { 10, 10, 60, 60 },
    };
    HWND ctl;
    DWORD pid = 0;
    HBITMAP bmp, again;
    int i;

    result.probed = 1;
    result.icon = (HICON)SendMessageW(dlg, WM_GETICON, ICON_BIG, 0);
    marker = hwnd;
    fonts(dlg);
    probed_dialog = dlg;
    GetWindowThreadProcessId(hwnd, &pid);
    if ((result.marker_found = hwnd && pid == GetCurrentProcessId()))
    {
        result.class_style = GetClassLongA(hwnd, GCL_STYLE);
        result.brush_is_gray = GetClassLongA(hwnd, GCL_HBRBACKGROUND) == (LONG)(LONG_PTR)GetStockObject(GRAY_BRUSH);
        result.cursor_is_cross = GetClassLongA(hwnd, GCL_HCURSOR) == (LONG)(LONG_PTR)LoadCursorA(NULL, IDC_CROSS);
        result.icon_is_application = GetClassLongA(hwnd, GCL_HICON) == (LONG)(LONG_PTR)LoadIconA(NULL, IDI_APPLICATION);
        result.placement.length = sizeof(result.placement);
        GetWindowPlacement(hwnd, &result.placement);
    }

    /* The dialog manager maps position and size each on its own, and puts the
     * client area, not the frame, where the template says. */
    GetClientRect(dlg, &result.dialog_client);
    MapWindowPoints(dlg, NULL, (POINT *)&result.dialog_client, 2);
    map_units(dlg, 70, 70, 220, 80, &result.dialog_units);

    ctl = GetWindow(dlg, GW_CHILD);
    for (i = 0; i < 5 && ctl; i++, ctl = GetWindow(ctl, GW_HWNDNEXT))
    {
        GetWindowRect(ctl, &result.controls[i]);
        MapWindowPoints(NULL, dlg, (POINT *)&result.controls[i], 2);
        map_units(dlg, templ[i].left, templ[i].top, templ[i].right, templ[i].bottom, &result.control_units[i]);
    }

    bmp = (HBITMAP)SendDlgItemMessageA(dlg, 102, STM_GETIMAGE, IMAGE_BITMAP, 0);
    result.bitmap_ok = bmp && GetObjectA(bmp, sizeof(result.bitmap), &result.bitmap) == sizeof(result.bitmap);

    /* Setting the picture again must free the bitmap it replaces. */
    SendMessageA(dlg, WM_INITDIALOG, 0, 0);
    again = (HBITMAP)SendDlgItemMessageA(dlg, 102, STM_GETIMAGE, IMAGE_BITMAP, 0);
    result.reinit_new_bitmap = again && again != bmp && GetObjectType(again) == OBJ_BITMAP;
    result.reinit_old_deleted = bmp && GetObjectType(bmp) == 0;
    save();
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wparam, LPARAM lparam)
{
    CWPSTRUCT *cwp = (CWPSTRUCT *)lparam;

    if (!probe_message)
        probe_message = RegisterWindowMessageA(PROBE_MESSAGE);
    if (code == HC_ACTION)
    {
        if (marker && cwp->hwnd == marker && ((cwp->message == WM_SHOWWINDOW && cwp->wParam) ||
            (cwp->message == WM_WINDOWPOSCHANGING && (((WINDOWPOS *)cwp->lParam)->flags & SWP_SHOWWINDOW))))
            result.marker_shown = 1;
        if (cwp->message == probe_message)
            probe(cwp->hwnd, (HWND)cwp->wParam);
        if (cwp->message == WM_DESTROY && cwp->hwnd == probed_dialog)
        {
            result.destroyed = 1;
            result.marker_visible_at_end = marker && IsWindowVisible(marker);
            save();
        }
    }
    return CallNextHookEx(NULL, code, wparam, lparam);
}
