/* measure.dll, loaded into a launcher by the preview's hook: see measure.h. */

#include <windows.h>
#include <usp10.h>
#include "harness.h"
#include "record.h"
#include "measure.h"
#include "shot.h"

static Measure result;
static UINT measure_message;


struct Glyph
{
    DWORD size;
    GLYPHMETRICS gm;
    BYTE bits[4096];
};

static void glyph(HDC dc, UINT c, Glyph *g)
{
    static const MAT2 identity = { { 0, 1 }, { 0, 0 }, { 0, 0 }, { 0, 1 } };

    memset(g, 0, sizeof(*g));
    g->size = GetGlyphOutlineW(dc, c, GGO_BITMAP, &g->gm, sizeof(g->bits), g->bits, &identity);
}

static bool ink(const Glyph *g, int x, int y)
{
    return g->bits[y * ((g->gm.gmBlackBoxX + 31) / 32 * 4) + x / 8] & (0x80 >> (x % 8));
}

/* The box round a glyph's ink, edges included; false where it has none, or
 * more than the buffer holds. */
static bool ink_box(const Glyph *g, RECT *box)
{
    int w = g->gm.gmBlackBoxX, h = g->gm.gmBlackBoxY;

    SetRect(box, 1 << 30, 1 << 30, -1, -1);
    if (g->size == GDI_ERROR || (DWORD)((w + 31) / 32 * 4 * h) > sizeof(g->bits))
        return false;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            if (ink(g, x, y))
            {
                box->left = x < box->left ? x : box->left, box->right = x > box->right ? x : box->right;
                box->top = y < box->top ? y : box->top, box->bottom = y > box->bottom ? y : box->bottom;
            }
    return box->right >= 0;
}

/* A bitmap font's stand-in for a character it has no drawing of: the outline
 * of a box with nothing inside. */
static bool empty_box(const Glyph *g)
{
    RECT box;

    if (!ink_box(g, &box) || box.right - box.left < 2 || box.bottom - box.top < 2)
        return false;
    for (int y = box.top; y <= box.bottom; y++)
        for (int x = box.left; x <= box.right; x++)
        {
            bool edge = x == box.left || x == box.right || y == box.top || y == box.bottom;
            if (!ink(g, x, y) != !edge)
                return false;
        }
    return true;
}

/* Whether the font selected in dc, with the fonts Wine links to it, draws c
 * as it draws U+FFFF, a noncharacter that no font has: at its own size, and
 * at a large one, where a letter as plain as the katakana ロ no longer looks
 * like the missing glyph's box. */
static bool drawn_as_missing(HDC dc, WCHAR c)
{
    static Glyph none, g;
    LOGFONTW lf;
    HFONT large;
    HGDIOBJ old;
    bool same;

    glyph(dc, 0xffff, &none);
    glyph(dc, c, &g);
    if (g.size != none.size || memcmp(&g.gm, &none.gm, sizeof(g.gm)) || memcmp(g.bits, none.bits, sizeof(g.bits)))
        return false;
    GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(lf), &lf);
    lf.lfHeight = -40;
    lf.lfWidth = 0;
    large = CreateFontIndirectW(&lf);
    old = SelectObject(dc, large);
    glyph(dc, 0xffff, &none);
    glyph(dc, c, &g);
    same = g.size == none.size && !memcmp(&g.gm, &none.gm, sizeof(g.gm)) && !memcmp(g.bits, none.bits, sizeof(g.bits));
    SelectObject(dc, old);
    DeleteObject(large);
    return same;
}

/* A letter drawn as a solid block: a stand-in's strokes run together, as a
 * small font made bolder does to an m. */
static bool solid_block(const Glyph *g, WCHAR c)
{
    WORD type = 0;
    RECT box;

    GetStringTypeW(CT_CTYPE1, &c, 1, &type);
    /* a stroke alone (an alef, a vav, an l) is solid as drawn: a block is as wide as an m */
    if (!(type & C1_ALPHA) || !ink_box(g, &box) || box.right - box.left < 3 || box.bottom - box.top < 3)
        return false;
    for (int y = box.top; y <= box.bottom; y++)
        for (int x = box.left; x <= box.right; x++)
            if (!ink(g, x, y))
                return false;
    return true;
}

static unsigned big16(const BYTE *p) { return p[0] << 8 | p[1]; }
static unsigned big32(const BYTE *p) { return (unsigned)big16(p) << 16 | big16(p + 2); }

/* Whether a TrueType font's own bitmaps at a size (its EBLC table) draw a
 * glyph: 1 yes, 0 no, -1 the font has none at that size. Wine draws a glyph
 * from them where they have it, and from its outline where they do not, which
 * Windows' fonts of the same name never make it do. */
static int in_bitmaps(const BYTE *eblc, DWORD size, int ppem, WORD glyph)
{
    for (unsigned i = 0, sizes = size >= 8 ? big32(eblc + 4) : 0; i < sizes && 8 + 48 * (i + 1) <= size; i++)
    {
        const BYTE *strike = eblc + 8 + 48 * i, *array = eblc + big32(strike);

        if (strike[44] != ppem)
            continue;
        for (unsigned k = 0, n = big32(strike + 8); k < n && array + 8 * (k + 1) <= eblc + size; k++)
        {
            unsigned first = big16(array + 8 * k), last = big16(array + 8 * k + 2);
            const BYTE *sub = array + big32(array + 8 * k + 4);

            if (glyph < first || glyph > last || sub + 16 > eblc + size)
                continue;
            switch (big16(sub))
            {
            case 1:     /* an offset for each glyph, the next one's equal where it has no bitmap */
                return sub + 8 + 4 * (glyph - first + 2) <= eblc + size &&
                       big32(sub + 8 + 4 * (glyph - first)) != big32(sub + 8 + 4 * (glyph - first + 1));
            case 3:
                return sub + 8 + 2 * (glyph - first + 2) <= eblc + size &&
                       big16(sub + 8 + 2 * (glyph - first)) != big16(sub + 8 + 2 * (glyph - first + 1));
            default:    /* formats 2 and 5: every glyph of the range; 4: seldom used */
                return 1;
            }
        }
        return 0;
    }
    return -1;
}

/* Sorts the characters of text as the font selected in dc draws them, each
 * into found[kind]: MISSING, what neither it nor a font Wine links to it has
 * (asked of the font, and for those it lacks, of the glyph Wine then draws,
 * which is the missing glyph unless a linked font has the character; a bitmap
 * font may also map a character to an empty box), BLOCK, a letter drawn as a
 * solid block, and OUTLINE, what Wine draws from the font's outline beside
 * letters from its bitmaps. */
static void sort_glyphs(HDC dc, const WCHAR *text, bool prefix, WCHAR (*found)[64])
{
    static Glyph g;
    static BYTE eblc[65536];
    TEXTMETRICW tm;
    DWORD eblc_size;
    int n[KINDS] = {};

    GetTextMetricsW(dc, &tm);
    eblc_size = GetFontData(dc, 0x434c4245 /* "EBLC" */, 0, eblc, sizeof(eblc));
    if (eblc_size == GDI_ERROR)
        eblc_size = 0;
    for (const WCHAR *p = text; *p; p++)
    {
        WCHAR c = *p;
        WORD index[2];
        int kind = -1;

        if (prefix && c == '&' && *++p != '&')
        {
            if (!*p)
                break;
            c = *p;
        }
        if (c <= ' ' || c == 0xa0 || c == 0x3000)
            continue;
        if (IS_HIGH_SURROGATE(c) && IS_LOW_SURROGATE(p[1]))
        {
            GetGlyphIndicesW(dc, p, 2, index, GGI_MARK_NONEXISTING_GLYPHS);
            kind = index[0] == 0xffff ? MISSING : -1;
        }
        else
        {
            GetGlyphIndicesW(dc, &c, 1, index, GGI_MARK_NONEXISTING_GLYPHS);
            glyph(dc, c, &g);
            if (index[0] == 0xffff ? drawn_as_missing(dc, c)
                                   : !(tm.tmPitchAndFamily & (TMPF_TRUETYPE | TMPF_VECTOR)) && empty_box(&g))
                kind = MISSING;
            else if (solid_block(&g, c))
                kind = BLOCK;
            else if (index[0] != 0xffff &&
                     !in_bitmaps(eblc, eblc_size, tm.tmHeight - tm.tmInternalLeading, index[0]))
                kind = OUTLINE;
        }
        if (kind >= 0 && n[kind] < 64 - 3 && !wcschr(found[kind], c))
        {
            found[kind][n[kind]++] = c;
            if (IS_HIGH_SURROGATE(c))
                found[kind][n[kind]++] = *++p;
            found[kind][n[kind]] = 0;
        }
    }
}

/* A text drawn black on white in a bitmap of its control's size, mirrored as a button is. */
static void blank(Shot *c, HFONT font, int w, int h, bool mirrored)
{
    take(c, w, h);
    SelectObject(c->dc, font);
    PatBlt(c->dc, 0, 0, w, h, WHITENESS);
    SetLayout(c->dc, mirrored ? LAYOUT_RTL : 0);
}

/* How dark a text is drawn: black on white as its control draws it, smoothed
 * or not, the pixels it inks at all and those under half of white. A face
 * whose strokes Wine draws thinner than a pixel leaves them gray. */
static void contrast(HFONT font, int i, const WCHAR *text, const RECT *size, UINT prefix)
{
    Shot alone;
    RECT rc = { 0, 0, size->right + 8, size->bottom + 8 };

    blank(&alone, font, rc.right, rc.bottom, false);
    DrawTextW(alone.dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX | prefix);
    GdiFlush();
    for (int y = 0; y < alone.h; y++)
        for (int x = 0; x < alone.w; x++)
        {
            result.ink[i][0] += (alone.px[y * alone.w + x] & 0xffffff) != 0xffffff;
            result.ink[i][1] += ink(&alone, x, y);
        }
    drop(&alone);
}

/* The marks that sit on their letters in the face as it is, but take a pixel
 * of their own as the text is drawn: Wine draws a face bolder than its own by
 * widening every glyph, a mark's too, so a gap opens after each (the font
 * selected into the DC; the first 15). */
static void widened_marks(HDC dc, HFONT font, const WCHAR *text, WCHAR *out)
{
    LOGFONTW lf;
    HFONT own;
    int n = 0;

    out[0] = 0;
    GetObjectW(font, sizeof(lf), &lf);
    if (lf.lfWeight <= FW_NORMAL)
        return;
    lf.lfWeight = FW_NORMAL;
    own = CreateFontIndirectW(&lf);
    for (const WCHAR *c = text; *c && n < 15; c++)
    {
        ABC drawn = {}, plain = {};
        bool measured = GetCharABCWidthsW(dc, *c, *c, &drawn);
        HGDIOBJ old = SelectObject(dc, own);

        measured = GetCharABCWidthsW(dc, *c, *c, &plain) && measured;
        SelectObject(dc, old);
        if (measured && !wcschr(out, *c) && plain.abcA + (int)plain.abcB + plain.abcC == 0 &&
            drawn.abcA + (int)drawn.abcB + drawn.abcC > 0 && !(*c >= 0x200b && *c <= 0x200f) &&
            !(*c >= 0x202a && *c <= 0x202e) && *c != 0x061c)
            out[n++] = *c, out[n] = 0;
    }
    DeleteObject(own);
}

/* Vietnamese letters, a row for each base letter with every mark it takes */
static const WCHAR *const families[] = {
    L"a\u00e0\u00e1\u1ea3\u00e3\u1ea1\u0103\u1eb1\u1eaf\u1eb3\u1eb5\u1eb7\u00e2\u1ea7\u1ea5\u1ea9\u1eab\u1ead",
    L"e\u00e8\u00e9\u1ebb\u1ebd\u1eb9\u00ea\u1ec1\u1ebf\u1ec3\u1ec5\u1ec7",
    L"i\u00ec\u00ed\u1ec9\u0129\u1ecb",
    L"o\u00f2\u00f3\u1ecf\u00f5\u1ecd\u00f4\u1ed3\u1ed1\u1ed5\u1ed7\u1ed9\u01a1\u1edd\u1edb\u1edf\u1ee1\u1ee3",
    L"u\u00f9\u00fa\u1ee7\u0169\u1ee5\u01b0\u1eeb\u1ee9\u1eed\u1eef\u1ef1",
    L"y\u1ef3\u00fd\u1ef7\u1ef9\u1ef5",
    L"A\u00c0\u00c1\u1ea2\u00c3\u1ea0\u0102\u1eb0\u1eae\u1eb2\u1eb4\u1eb6\u00c2\u1ea6\u1ea4\u1ea8\u1eaa\u1eac",
    L"E\u00c8\u00c9\u1eba\u1ebc\u1eb8\u00ca\u1ec0\u1ebe\u1ec2\u1ec4\u1ec6",
    L"I\u00cc\u00cd\u1ec8\u0128\u1eca",
    L"O\u00d2\u00d3\u1ece\u00d5\u1ecc\u00d4\u1ed2\u1ed0\u1ed4\u1ed6\u1ed8\u01a0\u1edc\u1eda\u1ede\u1ee0\u1ee2",
    L"U\u00d9\u00da\u1ee6\u0168\u1ee4\u01af\u1eea\u1ee8\u1eec\u1eee\u1ef0",
    L"Y\u1ef2\u00dd\u1ef6\u1ef8\u1ef4",
};

/* A letter drawn alone, black on white. */
static void drawn_alone(Shot *s, WCHAR c)
{
    PatBlt(s->dc, 0, 0, s->w, s->h, WHITENESS);
    TextOutW(s->dc, s->w / 4, s->h / 4, &c, 1);
    GdiFlush();
}

/* How much darker or lighter the most changed pixel of two drawings is, of 255. */
static int most_changed(const Shot *a, const Shot *b)
{
    int most = 0;

    for (int p = 0; p < a->w * a->h; p++)
        for (int bit = 0; bit < 24; bit += 8)
        {
            int d = (int)(a->px[p] >> bit & 255) - (int)(b->px[p] >> bit & 255);

            most = d > most ? d : -d > most ? -d : most;
        }
    return most;
}

/* The letters with marks drawn so like another of their base that a player
 * cannot tell which is meant: a face that stacks a tone mark on a circumflex
 * may draw the two in the circumflex's pixels at 8 pt, Ồ as it draws Ô, no
 * pixel of the two darker by a tenth. Each such letter and the one it shows
 * as, in pairs (the first 7). */
static void alike_letters(HFONT font, const WCHAR *text, WCHAR *out)
{
    Shot letter, other;
    LOGFONTW lf;
    int n = 0, size;

    out[0] = 0;
    GetObjectW(font, sizeof(lf), &lf);
    size = 3 * (lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight) + 8;
    blank(&letter, font, size, size, false);
    blank(&other, font, size, size, false);
    for (const WCHAR *c = text; *c && n < 14; c++)
    {
        const WCHAR *family = NULL;

        for (size_t f = 0; f < sizeof(families) / sizeof(*families) && !family; f++)
            family = wcschr(families[f] + 1, *c) ? families[f] : NULL;
        if (!family || wcschr(out, *c))
            continue;
        drawn_alone(&letter, *c);
        for (const WCHAR *s = family; *s; s++)
        {
            if (*s == *c)
                continue;
            drawn_alone(&other, *s);
            if (most_changed(&letter, &other) < 26)
            {
                out[n++] = *c, out[n++] = *s, out[n] = 0;
                break;
            }
        }
    }
    drop(&letter);
    drop(&other);
}

/* A text's width as DrawText lays it out on one line, and which of its characters are drawn amiss. */
static void measure(HDC dc, HFONT font, int i, const WCHAR *text, UINT prefix)
{
    HGDIOBJ old = SelectObject(dc, font);
    RECT rc;

    SetRectEmpty(&rc);
    DrawTextW(dc, text, -1, &rc, DT_CALCRECT | DT_SINGLELINE | prefix);
    result.extent[i] = rc.right;
    contrast(font, i, text, &rc, prefix);
    sort_glyphs(dc, text, !prefix, result.glyphs[i]);
    widened_marks(dc, font, text, result.widened[i]);
    alike_letters(font, text, result.alike[i]);
    SelectObject(dc, old);
}

/* Whether a column of it has ink. */
static bool inked(const Shot *c, int x)
{
    for (int y = 0; y < c->h; y++)
        if (ink(c, x, y))
            return true;
    return false;
}

/* The text as Uniscribe shapes it, read in one direction or the other, drawn
 * with its ink from column 0; -1 where it cannot be. */
static int shaped(Shot *c, const WCHAR *text, bool rtl, int cp, int *from, int *to)
{
    SCRIPT_STRING_ANALYSIS ssa;
    int lead, trail, left = -1;

    if (ScriptStringAnalyse(c->dc, text, lstrlenW(text), 0, -1, SSA_GLYPHS | SSA_FALLBACK | (rtl ? SSA_RTL : 0), 0,
                            NULL, NULL, NULL, NULL, NULL, &ssa) != S_OK)
        return -1;
    ScriptStringOut(ssa, 0, 0, 0, NULL, 0, 0, FALSE);
    ScriptStringCPtoX(ssa, cp, FALSE, &lead);
    ScriptStringCPtoX(ssa, cp, TRUE, &trail);
    ScriptStringFree(&ssa);
    for (int x = 0; x < c->w && left < 0; x++)
        left = inked(c, x) ? x : -1;
    *from = (lead < trail ? lead : trail) - left, *to = (lead < trail ? trail : lead) - left;
    return left;
}

/* Where a button's label draws its Alt-key underline, and where the letter it
 * marks: Windows draws the line under the letter as shaped; Wine places it by
 * the width of what comes before the letter in memory order, beside it where
 * a script reorders or joins its letters. Both found by drawing the label as
 * the button does, with the line and without, and the letter by Uniscribe's
 * shaping of the same text, in whichever direction draws as the button does. */
static void underline(HWND ctl, HFONT font, int i)
{
    WCHAR text[256], plain[256];
    RECT rc;
    Shot with, without;
    int n = 0, cp = -1, left = -1, line[2] = { -1, -1 };

    GetWindowTextW(ctl, text, 256);
    for (const WCHAR *p = text; *p; p++)
    {
        if (*p == '&' && p[1] && *++p != '&' && cp < 0)
            cp = n;
        plain[n++] = *p;
    }
    plain[n] = 0;
    GetClientRect(ctl, &rc);
    if (cp < 0 || !rc.right || !rc.bottom)
        return;
    blank(&with, font, rc.right, rc.bottom, GetWindowLongW(ctl, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    blank(&without, font, rc.right, rc.bottom, GetWindowLongW(ctl, GWL_EXSTYLE) & WS_EX_LAYOUTRTL);
    DrawTextW(with.dc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    DrawTextW(without.dc, plain, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    for (int x = 0; x < rc.right; x++)
    {
        bool ink = inked(&without, x);

        left = left < 0 && ink ? x : left;
        if (inked(&with, x) && !ink)
            line[0] = line[0] < 0 ? x : line[0], line[1] = x + 1;
    }
    /* the direction in which Uniscribe's shaping inks the columns the button's drawing does */
    for (int rtl = 0; rtl < 2 && line[0] >= 0; rtl++)
    {
        Shot alone;
        int from, to, start, differ = 0, ink = 0;

        blank(&alone, font, rc.right, rc.bottom, false);
        if ((start = shaped(&alone, plain, rtl, cp, &from, &to)) >= 0)
            for (int x = 0; x + start < rc.right && x + left < rc.right; x++)
            {
                ink += inked(&without, x + left);
                differ += inked(&without, x + left) != inked(&alone, x + start);
            }
        drop(&alone);
        if (start >= 0 && ink && differ * 10 <= ink)
        {
            result.accel[i][0] = line[0] - left, result.accel[i][1] = line[1] - left;
            result.accel[i][2] = from, result.accel[i][3] = to;
            break;
        }
    }
    drop(&with);
    drop(&without);
}

/* Whether the leftmost glyph a line shows on the screen is its question mark:
 * the mark drawn alone in the line's font, found at the line's leftmost ink,
 * whatever the letter beside it reaches under it (Urdu's ں does). A line of a
 * right-to-left dialog that ends in one shows it there, as Windows reads it. */
static bool question_mark_leftmost(HWND ctl, const LOGFONTW *lf, WCHAR mark)
{
    HDC screen = GetDC(NULL);
    HFONT font = CreateFontIndirectW(lf);
    Shot line, alone;
    RECT rc;
    int left = -1, mark_left = -1, inked = 0, best = 0;

    GetWindowRect(ctl, &rc);
    take(&line, rc.right - rc.left, rc.bottom - rc.top);
    BitBlt(line.dc, 0, 0, line.w, line.h, screen, rc.left, rc.top, SRCCOPY);
    ReleaseDC(NULL, screen);
    take(&alone, line.w, line.h);
    PatBlt(alone.dc, 0, 0, alone.w, alone.h, WHITENESS);
    SelectObject(alone.dc, font);
    TextOutW(alone.dc, 0, 0, &mark, 1);
    for (int x = 0; x < line.w && (left < 0 || mark_left < 0); x++)
        for (int y = 0; y < line.h; y++)
        {
            left = left < 0 && ink(&line, x, y) ? x : left;
            mark_left = mark_left < 0 && ink(&alone, x, y) ? x : mark_left;
        }
    for (int y = 0; y < alone.h; y++)
        for (int x = mark_left; x < alone.w; x++)
            inked += ink(&alone, x, y);
    /* most of the mark's ink lies on the line's at some height: its edges may smooth otherwise */
    for (int dy = -line.h; left >= 0 && inked && dy < line.h; dy++)
    {
        int found = 0;

        for (int y = 0; y < alone.h; y++)
            for (int x = mark_left; x < alone.w; x++)
                found += ink(&alone, x, y) && ink(&line, x - mark_left + left, y + dy);
        best = found > best ? found : best;
    }
    drop(&line);
    drop(&alone);
    DeleteObject(font);
    return inked && best * 10 >= inked * 9;
}

/* Whether each text fits where Wine draws it: the caption in the title bar
 * beside the close button (and the icon, if there is one), the question's
 * lines in their controls, which wrap a longer line out of sight, and the
 * labels inside their buttons' edges. */
static void measure_dialog(HWND dlg)
{
    HDC dc = GetDC(dlg);
    HFONT font = (HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0), caption_font;
    NONCLIENTMETRICSW ncm;
    WCHAR text[256];
    RECT client;

    /* drawn whole now, for the screenshot that follows */
    RedrawWindow(dlg, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    GetObjectW(font, sizeof(result.font), &result.font);
    ncm.cbSize = sizeof(ncm);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
    caption_font = CreateFontIndirectW(&ncm.lfCaptionFont);
    GetWindowTextW(dlg, text, 256);
    measure(dc, caption_font, 0, text, DT_NOPREFIX);
    DeleteObject(caption_font);
    GetClientRect(dlg, &client);
    result.room[CAPTION] = client.right - caption_beside(SendMessageW(dlg, WM_GETICON, ICON_SMALL2, 0) != 0);

    for (int i = LINE1; i < TEXTS; i++)
    {
        HWND ctl = GetDlgItem(dlg, text_ids[i]);
        RECT rc;

        GetWindowTextW(ctl, text, 256);
        measure(dc, font, i, text, 0);
        GetClientRect(ctl, &rc);
        result.room[i] = rc.right;
        if (i >= PLAY)
        {
            result.room[i] -= button_edges();
            underline(ctl, font, i);
        }
    }
    result.dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(dlg, dc);
    result.acp = GetACP();
    result.caption_height = GetSystemMetrics(SM_CYCAPTION);
    result.metrics[0] = button_edges(), result.metrics[1] = caption_beside(false);
    result.metrics[2] = caption_beside(true);
    /* Wine puts what a thread drew on the screen as the thread next waits
     * for a message: now, for the lines read from the screen below and the
     * screenshot that follows */
    MsgWaitForMultipleObjects(0, NULL, FALSE, 0, QS_ALLINPUT);
    for (int i = LINE1; i <= LINE2; i++)
    {
        HWND ctl = GetDlgItem(dlg, text_ids[i]);
        int n = GetWindowTextW(ctl, text, 256);

        n -= n && text[n - 1] == 0x202c;        /* the end of a right-to-left embedding */
        if (n && (text[n - 1] == '?' || text[n - 1] == 0x061f))
            result.mark_leftmost[i] = question_mark_leftmost(ctl, &result.font, text[n - 1]) ? 1 : -1;
    }
    result.done = 1;
    save_beside(&result, MEASURE_FILE, &result, sizeof(result));
}

extern "C" __declspec(dllexport) LRESULT CALLBACK MeasureHook(int code, WPARAM wparam, LPARAM lparam)
{
    CWPSTRUCT *cwp = (CWPSTRUCT *)lparam;

    if (!measure_message)
        measure_message = RegisterWindowMessageA(MEASURE_MESSAGE);
    if (code == HC_ACTION && cwp->message == measure_message)
        measure_dialog(cwp->hwnd);
    return CallNextHookEx(NULL, code, wparam, lparam);
}
