/* The launcher with edited resources. */

#include "driver.h"

/* A 4-bit bitmap resource of the given size, all one colour. */
static int make_dib(BYTE *out, int width, int height, BYTE colour)
{
    BITMAPINFOHEADER *bih = (BITMAPINFOHEADER *)out;
    RGBQUAD *rgb = (RGBQUAD *)(bih + 1);
    int stride = ((width * 4 + 31) / 32) * 4;

    memset(bih, 0, sizeof(*bih));
    bih->biSize = sizeof(*bih);
    bih->biWidth = width;
    bih->biHeight = height;
    bih->biPlanes = 1;
    bih->biBitCount = 4;
    bih->biSizeImage = stride * height;
    for (int i = 0; i < 16; i++)
    {
        rgb[i].rgbRed = (i & 1) ? 0xff : 0;
        rgb[i].rgbGreen = (i & 2) ? 0xff : 0;
        rgb[i].rgbBlue = (i & 4) ? 0xff : 0;
        rgb[i].rgbReserved = 0;
    }
    memset(rgb + 16, colour * 0x11, stride * height);
    return sizeof(*bih) + 16 * sizeof(RGBQUAD) + stride * height;
}

/* String block 8 (strings 112 to 127) with string 118 as given, the rest empty. */
static int make_string_block(WORD *out, const char *s118)
{
    WORD *p = out;

    for (int i = 112; i < 128; i++)
    {
        const char *s = i == 118 ? s118 : "";
        *p++ = strlen(s);
        while (*s)
            *p++ = *s++;
    }
    return (p - out) * sizeof(WORD);
}

/* Renames the dialog template in place, so the launcher cannot find it. */
static bool rename_dialog(const char *exe)
{
    static const char from[] = "D\0L\0G\0_\0M\0A\0S\0T\0E\0R\0";
    static BYTE data[65536];
    FILE *f = fopen(exe, "r+b");
    int n, hits = 0;

    if (!f)
        return false;
    n = fread(data, 1, sizeof(data), f);
    for (int i = 0; i + (int)sizeof(from) - 1 <= n; i++)
        if (!memcmp(data + i, from, sizeof(from) - 1))
        {
            data[i + sizeof(from) - 3] = 'X';
            hits++;
        }
    fseek(f, 0, SEEK_SET);
    fwrite(data, 1, n, f);
    fclose(f);
    return hits == 1;
}

enum Edit { OTHER_BITMAP, EMPTY_STRING, NO_DIALOG };

/* The copy's string 118 as the edit makes it, and for another bitmap that bitmap too. */
static void edit_strings(const char *exe, Edit edit, const char *what)
{
    static BYTE dib[8192];
    WORD block[64];
    HANDLE update = BeginUpdateResourceA(exe, FALSE);
    int size = make_string_block(block, edit == OTHER_BITMAP ? "other" : "");

    ok(UpdateResourceA(update, RT_STRING, MAKEINTRESOURCEA(8), MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL), block,
                       size), "%s: UpdateResource failed, error %lu\n", what, GetLastError());
    if (edit == OTHER_BITMAP)
    {
        size = make_dib(dib, 48, 32, 12);
        ok(UpdateResourceA(update, RT_BITMAP, "OTHER", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), dib, size),
           "%s: UpdateResource failed, error %lu\n", what, GetLastError());
    }
    ok(EndUpdateResourceA(update, FALSE), "%s: EndUpdateResource failed, error %lu\n", what, GetLastError());
}

/* Copies of the launcher with changed resources, the code untouched. */
SCENARIO(resources)
{
    static const struct
    {
        const char *name;
        Edit edit;
    } edits[] = {
        { "string 118 names another bitmap", OTHER_BITMAP },
        { "string 118 is empty", EMPTY_STRING },
        { "no dialog template", NO_DIALOG },
    };
    char folder[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HWND dlg;
    RECT rc;
    DWORD code;

    for (unsigned i = 0; i < sizeof(edits) / sizeof(edits[0]); i++)
    {
        const char *what = edits[i].name;

        game_folder(folder, "resources", brand.exe, true);
        path_join(exe, folder, brand.exe);
        if (edits[i].edit == NO_DIALOG)
        {
            ok(rename_dialog(exe), "%s: could not rename DLG_MASTER in the copy\n", what);
            if (!start(&l, exe, folder))
                continue;
            code = wait_exit(&l, EXIT_TIMEOUT);
            ok(code == 0, "%s: exit code %lx, expected 0\n", what, code);
            check_nothing_ran(&l, folder);
            finish(&l);
            continue;
        }

        edit_strings(exe, edits[i].edit, what);
        if (!(dlg = launch(&l, exe, folder)))
            continue;
        HBITMAP bmp = (HBITMAP)SendDlgItemMessageA(dlg, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
        GetClientRect(GetDlgItem(dlg, IDC_PICTURE), &rc);
        if (edits[i].edit == OTHER_BITMAP)
        {
            ok(bmp != NULL, "%s: no picture\n", what);
            ok(rc.right == 48 && rc.bottom == 32, "%s: picture %ldx%ld, expected 48x32\n", what, rc.right,
               rc.bottom);
        }
        else
            ok(bmp == NULL, "%s: the picture control holds %p, expected none\n", what, bmp);
        answer(&l, dlg, VK_RETURN, what);
        check_game_ran(folder, folder);
        finish(&l);
    }
}
