/* The modern style (brand key style = modern), compiled with dinstall.cpp:
 * a guard against two starts at once, and the picture drawn for the screen's DPI. */

static HBITMAP Canvas(HDC screen, int width, int height);
#ifdef BRAND_TRANSPARENT
static HBITMAP OnFace(HDC screen, HBITMAP hbm, const BITMAP *bm);
#endif

/* Two starts at once would both pass the window test, as the window comes
 * later: the first to name this object wins. It goes with our process.
 * Returns whether another start has it. */
static BOOL Starting(void)
{
    return CreateMutexA(NULL, FALSE, BRAND_GUARD) && GetLastError() == ERROR_ALREADY_EXISTS;
}

/* A full-colour section of that size: one of the screen's own depth would lose
 * colours on a 16-bit display, as remote desktops often are. */
static HBITMAP Canvas(HDC screen, int width, int height)
{
    BITMAPINFO bi = { { sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB } };
    void *bits;

    return CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, NULL, 0);
}

/* A modern launcher is DPI-aware and keeps its picture at twice its size in
 * full colour: drawn down to width x height at the screen's DPI, it stays
 * sharp from 100 % to 200 %. Returns the picture at that size, or the one
 * given if it cannot be drawn. Drawn through the screen's DC, not the
 * dialog's: a mirrored dialog's DC is mirrored, and whether a DC made from
 * it is too, Windows does not say. */
static HBITMAP FitBitmap(HBITMAP hbm, int width, int height)
{
    HDC screen, from, to;
    HBITMAP fitted;
    BITMAP bm;
    int dpi;

    if (!GetObjectA(hbm, sizeof(bm), &bm) || !(screen = GetDC(NULL)))
        return hbm;
    dpi = GetDeviceCaps(screen, LOGPIXELSX);
    width = MulDiv(width, dpi, 96);
    height = MulDiv(height, dpi, 96);
#ifdef BRAND_TRANSPARENT
    hbm = OnFace(screen, hbm, &bm);
#endif
    from = CreateCompatibleDC(screen);
    to = CreateCompatibleDC(screen);
    fitted = Canvas(screen, width, height);
    if (from && to && fitted)
    {
        HGDIOBJ old_from = SelectObject(from, hbm), old_to = SelectObject(to, fitted);

        SetStretchBltMode(to, HALFTONE);
        SetBrushOrgEx(to, 0, 0, NULL);
        StretchBlt(to, 0, 0, width, height, from, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
        SelectObject(from, old_from);
        SelectObject(to, old_to);
        DeleteObject(hbm);
        hbm = fitted;
    }
    else if (fitted)
        DeleteObject(fitted);
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    ReleaseDC(NULL, screen);
    return hbm;
}

#ifdef BRAND_TRANSPARENT
/* The picture's transparent parts show the dialog's face colour, whatever the
 * colour scheme: its pixels carry their alpha, premultiplied, and are blended
 * onto that colour at their own size, before they are drawn down. Returns
 * the blended picture, or the one given if it cannot be made. */
static HBITMAP OnFace(HDC screen, HBITMAP hbm, const BITMAP *bm)
{
    BLENDFUNCTION blend = { AC_SRC_OVER, 0, 255, AC_SRC_ALPHA };
    RECT rc = { 0, 0, bm->bmWidth, bm->bmHeight };
    HDC from = CreateCompatibleDC(screen), to = CreateCompatibleDC(screen);
    HBITMAP face = Canvas(screen, bm->bmWidth, bm->bmHeight);

    if (from && to && face)
    {
        HGDIOBJ old_from = SelectObject(from, hbm), old_to = SelectObject(to, face);

        FillRect(to, &rc, GetSysColorBrush(COLOR_3DFACE));
        GdiAlphaBlend(to, 0, 0, bm->bmWidth, bm->bmHeight, from, 0, 0, bm->bmWidth, bm->bmHeight, blend);
        SelectObject(from, old_from);
        SelectObject(to, old_to);
        DeleteObject(hbm);
        hbm = face;
    }
    else if (face)
        DeleteObject(face);
    if (from)
        DeleteDC(from);
    if (to)
        DeleteDC(to);
    return hbm;
}
#endif
