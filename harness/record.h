/* Reads a launcher's build record (brand/FORMAT.md, written by brand/brand.py),
 * NAME.record.txt, for the programs that run beside the launchers under
 * Windows: the preview's and the test driver. */

#ifndef RECORD_H
#define RECORD_H

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <stddef.h>
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
    int icon;                   /* the icon's bytes; 0 for none */
    bool transparent;           /* the picture has parts that show the dialog's face */
    WCHAR publisher[TEXT_BUFFER], copyright[TEXT_BUFFER];     /* the file's properties; empty for none */
    char version[32];           /* as the brand writes it */
    int scales[SCALES];         /* the scales, in percent, the build laid its dialogs out for */
    int metrics[3];             /* ... by a button's edges and the title bar beside the caption, without
                                   and with an icon, in pixels at 100 % (harness.h) */
    Dialog dialogs[MAX_DIALOGS];
    int count;
    const Dialog *shown;        /* the one the locale should show */
};

/* How a field is read into its member: its bytes as they are, or appended
 * with a line break; UTF-8 into UTF-16; UTF-8 into the ANSI code page, as the
 * programs pass names; a number; numbers such as "100 150" or "330x130
 * 495x190", in turn; whether it says `flag`. */
enum FieldKind { BYTES, LINES, WIDE, ANSI, NUMBER, NUMBERS, FLAG };

struct Field
{
    const char *name;
    bool in_dialog;             /* a dialog's field, else the launcher's */
    FieldKind kind;
    size_t offset, size;        /* the member's, in its struct */
    const char *flag;
};

#define RECORD_FIELD(name, kind, member, flag) \
    { name, false, kind, offsetof(Record, member), sizeof(((Record *)0)->member), flag }
#define DIALOG_FIELD(name, kind, member, flag) \
    { name, true, kind, offsetof(Dialog, member), sizeof(((Dialog *)0)->member), flag }

static const Field record_fields[] = {
    RECORD_FIELD("exe", ANSI, exe, NULL),
    RECORD_FIELD("class", BYTES, cls, NULL),
    RECORD_FIELD("game", BYTES, game, NULL),
    RECORD_FIELD("program", BYTES, program, NULL),
    RECORD_FIELD("arguments", BYTES, arguments, NULL),
    RECORD_FIELD("argument", LINES, argv, NULL),
    RECORD_FIELD("icon", NUMBER, icon, NULL),
    RECORD_FIELD("picture", FLAG, transparent, "transparent"),
    RECORD_FIELD("scales", NUMBERS, scales, NULL),
    RECORD_FIELD("metrics", NUMBERS, metrics, NULL),
    RECORD_FIELD("publisher", WIDE, publisher, NULL),
    RECORD_FIELD("copyright", WIDE, copyright, NULL),
    RECORD_FIELD("version", BYTES, version, NULL),
    DIALOG_FIELD("codepage", NUMBER, codepage, NULL),
    DIALOG_FIELD("layout", FLAG, rtl, "rtl"),
    DIALOG_FIELD("spare", NUMBER, spare, NULL),
    DIALOG_FIELD("label_room", NUMBER, label_room, NULL),
    DIALOG_FIELD("pixels", NUMBERS, pixels, NULL),
    DIALOG_FIELD("description", WIDE, description, NULL),
    DIALOG_FIELD("product", WIDE, product, NULL),
    DIALOG_FIELD("caption", WIDE, text[CAPTION], NULL),
    DIALOG_FIELD("line1", WIDE, text[LINE1], NULL),
    DIALOG_FIELD("line2", WIDE, text[LINE2], NULL),
    DIALOG_FIELD("play", WIDE, text[PLAY], NULL),
    DIALOG_FIELD("cancel", WIDE, text[CANCEL], NULL),
};

/* Reads value into the member at to, as f says; false for a text that does not fit. */
static inline bool read_field(const Field *f, char *to, const char *value)
{
    WCHAR wide[MAX_PATH];

    switch (f->kind)
    {
    case BYTES:
        lstrcpynA(to, value, (int)f->size);
        return true;
    case LINES:
        if (strlen(to) + strlen(value) + 2 <= f->size)
            strcat(strcat(to, value), "\n");
        return true;
    case WIDE:
        return MultiByteToWideChar(CP_UTF8, 0, value, -1, (WCHAR *)to, (int)(f->size / sizeof(WCHAR))) != 0;
    case ANSI:
        MultiByteToWideChar(CP_UTF8, 0, value, -1, wide, MAX_PATH);
        WideCharToMultiByte(CP_ACP, 0, wide, -1, to, (int)f->size, NULL, NULL);
        return true;
    case NUMBER:
        *(int *)to = atoi(value);
        return true;
    case NUMBERS:
        for (size_t i = 0; i < f->size / sizeof(int) && *value; i++)
        {
            ((int *)to)[i] = strtol(value, (char **)&value, 10);
            value += strspn(value, " x");
        }
        return true;
    case FLAG:
        *(bool *)to = !strcmp(value, f->flag);
        return true;
    }
    return false;
}

/* Reads path (NAME.record.txt) into r; tag names the dialog the locale should
 * show, or NULL for the first. */
static inline bool load_record(Record *r, const char *path, const char *tag)
{
    static char line[4096];
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
            continue;
        }
        /* a launcher's field comes before the first dialog, a dialog's after its own line */
        for (const Field &f : record_fields)
            if (f.in_dialog == (d != NULL) && !strcmp(line, f.name))
                whole = read_field(&f, (d ? (char *)d : (char *)r) + f.offset, value) && whole;
    }
    fclose(file);
    return whole && r->exe[0] && r->cls[0] && r->program[0] && r->shown && (!tag || !strcmp(r->shown->tag, tag));
}

#endif
