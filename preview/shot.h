/* Pixels of a part of the screen, or of a text drawn alone: a 32-bit DIB
 * section with a DC of its own, for the preview's program and measure.dll. */

#ifndef SHOT_H
#define SHOT_H

#include <windows.h>

struct Shot
{
    int w, h;
    DWORD *px;
    HBITMAP bitmap;
    HDC dc;
};

static inline void take(Shot *s, int w, int h)
{
    BITMAPINFO bi = { { sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB } };

    s->w = w, s->h = h;
    s->dc = CreateCompatibleDC(NULL);
    s->bitmap = CreateDIBSection(s->dc, &bi, DIB_RGB_COLORS, (void **)&s->px, NULL, 0);
    SelectObject(s->dc, s->bitmap);
}

static inline void drop(Shot *s)
{
    DeleteDC(s->dc);
    DeleteObject(s->bitmap);
}

/* dark: the three channels under half of white, outside the pixels white */
static inline bool ink(const Shot *s, int x, int y)
{
    DWORD p = x >= 0 && y >= 0 && x < s->w && y < s->h ? s->px[y * s->w + x] : 0xffffff;
    return (p >> 16 & 255) + (p >> 8 & 255) + (p & 255) < 3 * 128;
}

#endif
