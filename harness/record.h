/* Reads a launcher's build record (brand/FORMAT.md, written by brand/brand.py),
 * NAME.record.txt, for the programs that run beside the launchers under
 * Windows: the preview's and the test driver. */

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "resource.h"

/* The texts, each named as the record names it, with the control that shows
 * it (0: the dialog's caption). A text that does not fit its buffer makes the
 * record unreadable rather than cut. */
enum { CAPTION, LINE1, LINE2, PLAY, CANCEL, TEXTS, MAX_DIALOGS = 64, TEXT_BUFFER = 256, SCALES = 2 };
static const char *const text_names[TEXTS] = { "caption", "line1", "line2", "play", "cancel" };
static const int text_ids[TEXTS] = { 0, IDC_QUESTION1, IDC_QUESTION2, IDOK, IDCANCEL };

struct Dialog
{
    char tag[16];
    UINT codepage;              /* the one the preview runs it under */
    bool rtl;                   /* laid out and read right to left */
    int spare;                  /* percent of its control a text keeps spare */
    int label_room;             /* pixels a button keeps beside its label, at 96 DPI */
    int pixels[SCALES][2];      /* its client area, width and height, at each of the launcher's scales */
    WCHAR text[TEXTS][TEXT_BUFFER];
    WCHAR description[TEXT_BUFFER], product[TEXT_BUFFER];     /* the file's, in its language; empty for none */
};

struct Record
{
    char exe[MAX_PATH];         /* in the ANSI code page, as the programs pass names */
    char cls[256];
    char game[MAX_PATH];        /* the command line Play runs */
    char program[MAX_PATH];     /* ... the program it names */
    char arguments[MAX_PATH];   /* ... and what follows that */
    char argv[MAX_PATH];        /* ... which the game reads as these, each ended by a line break */
    int icon;
    bool transparent;           /* the picture has parts that show the dialog's face */
    WCHAR publisher[TEXT_BUFFER], copyright[TEXT_BUFFER];     /* the file's properties; empty for none */
    char version[32];           /* as the brand writes it */
    int scales[SCALES];         /* the scales, in percent, the build laid its dialogs out for */
    Dialog dialogs[MAX_DIALOGS];
    int count;
    const Dialog *shown;        /* the one the locale should show */
};

/* The numbers of a field such as "100 150" or "330x130 495x190", in turn, up to most. */
static inline void read_numbers(const char *value, int *out, int most)
{
    for (int i = 0; i < most && *value; i++)
    {
        out[i] = strtol(value, (char **)&value, 10);
        value += strspn(value, " x");
    }
}

/* Reads path (NAME.record.txt) into r; tag names the dialog the locale should
 * show, or NULL for the first. */
static inline bool load_record(Record *r, const char *path, const char *tag)
{
    static char line[4096];
    WCHAR wide[MAX_PATH];
    Dialog *d = NULL;
    FILE *file;
    bool whole = true;

    if (!(file = fopen(path, "rb")))
        return false;
    memset(r, 0, sizeof(*r));
    while (fgets(line, sizeof(line), file))
    {
        char *value = strchr(line, '\t');

        line[strcspn(line, "\r\n")] = 0;
        if (line[0] == '#' || !value)
            continue;
        *value++ = 0;
        if (!strcmp(line, "dialog"))
        {
            if (r->count == MAX_DIALOGS)
                break;
            d = &r->dialogs[r->count++];
            lstrcpynA(d->tag, value, sizeof(d->tag));
            if (!r->shown || (tag && !strcmp(tag, d->tag)))
                r->shown = d;
        }
        else if (d)
        {
            if (!strcmp(line, "codepage"))
                d->codepage = atoi(value);
            else if (!strcmp(line, "layout"))
                d->rtl = !strcmp(value, "rtl");
            else if (!strcmp(line, "spare"))
                d->spare = atoi(value);
            else if (!strcmp(line, "label_room"))
                d->label_room = atoi(value);
            else if (!strcmp(line, "pixels"))
                read_numbers(value, d->pixels[0], 2 * SCALES);
            else if (!strcmp(line, "description"))
                whole = whole && MultiByteToWideChar(CP_UTF8, 0, value, -1, d->description, TEXT_BUFFER);
            else if (!strcmp(line, "product"))
                whole = whole && MultiByteToWideChar(CP_UTF8, 0, value, -1, d->product, TEXT_BUFFER);
            for (int i = 0; i < TEXTS; i++)
                if (!strcmp(line, text_names[i]))
                    whole = whole && MultiByteToWideChar(CP_UTF8, 0, value, -1, d->text[i], TEXT_BUFFER);
        }
        else if (!strcmp(line, "exe"))
        {
            MultiByteToWideChar(CP_UTF8, 0, value, -1, wide, MAX_PATH);
            WideCharToMultiByte(CP_ACP, 0, wide, -1, r->exe, MAX_PATH, NULL, NULL);
        }
        else if (!strcmp(line, "class"))
            lstrcpynA(r->cls, value, sizeof(r->cls));
        else if (!strcmp(line, "game"))
            lstrcpynA(r->game, value, sizeof(r->game));
        else if (!strcmp(line, "program"))
            lstrcpynA(r->program, value, sizeof(r->program));
        else if (!strcmp(line, "arguments"))
            lstrcpynA(r->arguments, value, sizeof(r->arguments));
        else if (!strcmp(line, "argument") && strlen(r->argv) + strlen(value) + 2 <= sizeof(r->argv))
            strcat(strcat(r->argv, value), "\n");
        else if (!strcmp(line, "icon"))
            r->icon = atoi(value) > 0;
        else if (!strcmp(line, "picture"))
            r->transparent = !strcmp(value, "transparent");
        else if (!strcmp(line, "scales"))
            read_numbers(value, r->scales, SCALES);
        else if (!strcmp(line, "publisher"))
            whole = whole && MultiByteToWideChar(CP_UTF8, 0, value, -1, r->publisher, TEXT_BUFFER);
        else if (!strcmp(line, "copyright"))
            whole = whole && MultiByteToWideChar(CP_UTF8, 0, value, -1, r->copyright, TEXT_BUFFER);
        else if (!strcmp(line, "version"))
            lstrcpynA(r->version, value, sizeof(r->version));
    }
    fclose(file);
    return whole && r->exe[0] && r->cls[0] && r->program[0] && r->shown && (!tag || !strcmp(r->shown->tag, tag));
}
