/* What measure.dll reads for the preview inside a running launcher, where Wine
 * draws its texts: the preview program hooks the dialog's thread with
 * MeasureHook and sends the dialog the message named MEASURE_MESSAGE. */

#ifndef MEASURE_H
#define MEASURE_H

#include <windows.h>
#include "record.h"

#define MEASURE_MESSAGE "LauncherPreviewMeasure"
#define MEASURE_FILE    "measure.dat"       /* written beside measure.dll */

/* How a character is drawn amiss: by no font; as a solid block; from the
 * font's outline beside letters from its bitmaps */
enum { MISSING, BLOCK, OUTLINE, KINDS };

/* caption, line 1, line 2, Play and Cancel, as Wine draws them */
struct Measure
{
    int done;
    int extent[TEXTS];          /* each text's width on one line, in its font */
    int room[TEXTS];            /* ... the width it has there */
    WCHAR glyphs[TEXTS][KINDS][64]; /* ... and the characters of each kind its font draws amiss */
    int accel[TEXTS][4];        /* a label's Alt-key underline and its letter as drawn, from and to, in
                                   pixels from the label's left; all 0 where it has none or it is unknown */
    int ink[TEXTS][2];          /* ... the pixels it inks drawn alone, and of those the dark ones */
    WCHAR widened[TEXTS][16];   /* ... its marks that sit on their letters but take a pixel as drawn */
    WCHAR alike[TEXTS][16];     /* ... its letters drawn as another of their base, each beside that one */
    int dpi;                    /* the screen's */
    LOGFONTW font;              /* the dialog's */
    /* what the preview's program, started once for every dialog, cannot see
     * from its own process: the launcher's code page, metrics at its DPI */
    UINT acp;
    int caption_height;         /* the title bar's */
    int metrics[3];             /* a button's edges; beside the caption without an icon, and with one */
    int mark_leftmost[TEXTS];   /* a line ending in a question mark: 1 where that is its leftmost glyph
                                   on the screen, -1 where not; else 0 */
};

#endif
