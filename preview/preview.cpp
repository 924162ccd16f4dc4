/*
 * The preview's program: runs under Wine beside a launcher that the preview
 * script has started, finds its dialog, and says whether Wine shows every
 * text of it as Windows would: with a glyph for each character, no character
 * turned into "?", and room for it all; and whether it is mirrored as Windows
 * mirrors a language written right to left.
 *
 *   preview serve <record>     checks each dialog named on standard input,
 *                              "TAG" or "TAG SHOT", and prints where it is on
 *                              the screen: "geometry WxH+X+Y"; with a file,
 *                              saves the dialog there and closes it; then
 *                              "end" and the dialog's exit code
 *   preview play <record>      presses Play, as a person would: Enter, and
 *                              waits for the launcher to end
 *   preview pad <record> A|B   answers it with a controller, through the
 *                              stand-in XInput (pad.h), and waits for the
 *                              launcher to end
 *
 * The record is NAME.record.txt beside this program (brand/FORMAT.md); the tag
 * names the dialog that the locale it runs under should show.
 * Exit code 0 when every text is shown and fits, 1 when not, 2 on misuse.
 */

#include <windows.h>
#include <xinput.h>
#include <stdio.h>
#include "record.h"
#include "harness.h"
#include "pad.h"
#include "measure.h"
#include "shot.h"
#include "resource.h"

static Record record;
static char bindir[MAX_PATH];
static const char *label = "";          /* the dialog's language, as the messages name it */
static int problems;

/* Characters by their code points, as the brand kit names them, so that a
 * space or an invisible one is told apart: up to the first eight. */
static const WCHAR *code_points(const WCHAR *text, WCHAR *out)
{
    int n = 0, count = 0;

    out[0] = 0;
    for (const WCHAR *p = text; *p && count < 8; p++, count++)
    {
        unsigned c = *p;

        if (IS_HIGH_SURROGATE(p[0]) && IS_LOW_SURROGATE(p[1]))
            c = 0x10000 + ((p[0] - 0xD800) << 10) + (p[1] - 0xDC00), p++;
        n += swprintf(out + n, 16, L"%lsU+%04X", count ? L" " : L"", c);
        if (count == 7 && p[1])
            lstrcatW(out, L" ...");
    }
    return out;
}

/* Prints a message in UTF-8, whatever the code page, with the dialog's language. */
static void say(const WCHAR *fmt, ...)
{
    WCHAR wide[1024];
    char utf8[4096];
    va_list ap;

    va_start(ap, fmt);
    _vsnwprintf(wide, 1023, fmt, ap);
    va_end(ap);
    wide[1023] = 0;
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, sizeof(utf8), NULL, NULL);
    fputs(utf8, stdout);
    fflush(stdout);
}

/* The launcher's marker window names its process, and so its dialog,
 * whatever the dialog's caption came out as. */
static HWND find_dialog(void)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < DIALOG_TIMEOUT; Sleep(10))
    {
        HWND marker = FindWindowA(record.cls, NULL), dlg;
        DWORD pid;

        if (!marker)
            continue;
        GetWindowThreadProcessId(marker, &pid);
        if ((dlg = find_top(pid, "#32770", true)))
            return dlg;
    }
    say(L"no dialog of a launcher with the class \"%hs\" appeared within %d ms\n", record.cls, DIALOG_TIMEOUT);
    return NULL;
}

/* Hooks the dialog's thread with the measuring DLL and asks it to measure. */
static bool measure(HWND dlg, Measure *m)
{
    char path[MAX_PATH];
    HMODULE dll;
    HOOKPROC proc;
    HHOOK hook;
    FILE *f;
    bool got = false;

    snprintf(path, sizeof(path), "%s\\%s", bindir, MEASURE_FILE);
    DeleteFileA(path);
    snprintf(path, sizeof(path), "%s\\measure.dll", bindir);
    if (!(dll = LoadLibraryA(path)) || !(proc = (HOOKPROC)GetProcAddress(dll, "MeasureHook")) ||
        !(hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, dll, GetWindowThreadProcessId(dlg, NULL))))
    {
        say(L"cannot hook %hs into the launcher, error %lu\n", path, GetLastError());
        return false;
    }
    SendMessageTimeoutA(dlg, RegisterWindowMessageA(MEASURE_MESSAGE), 0, 0, SMTO_ABORTIFHUNG, HOOK_TIMEOUT, NULL);
    UnhookWindowsHookEx(hook);
    snprintf(path, sizeof(path), "%s\\%s", bindir, MEASURE_FILE);
    memset(m, 0, sizeof(*m));
    if ((f = fopen(path, "rb")))
    {
        got = fread(m, sizeof(*m), 1, f) == 1 && m->done;
        fclose(f);
    }
    if (!got)
        say(L"the measuring DLL did not report from inside the launcher\n");
    return got;
}

/* The characters of the brand's text that came out as "?" in the text shown. */
static void question_marks(const WCHAR *expected, const WCHAR *shown, WCHAR *out)
{
    int n = 0;
    bool aligned = lstrlenW(expected) == lstrlenW(shown);

    out[0] = 0;
    for (int i = 0; expected[i] && n < 62; i++)
        if (expected[i] != '?' && !wcschr(out, expected[i]) &&
            (aligned ? shown[i] == '?' : expected[i] > 127 && !wcschr(shown, expected[i]) && wcschr(shown, '?')))
        {
            out[n++] = expected[i];
            out[n] = 0;
        }
}

/* What is wrong with the dialog's layout, or NULL. Windows mirrors a dialog
 * with WS_EX_LAYOUTRTL (Play then lies right of Cancel) and reverses
 * WS_EX_RTLREADING inside it, so no window may carry that; in a mirrored
 * dialog every control is mirrored but the picture, shown as drawn. */
static const char *layout_fault(HWND dlg, bool rtl)
{
    static const int ids[] = { IDOK, IDCANCEL, IDC_QUESTION1, IDC_QUESTION2 };
    RECT play, cancel;
    bool mirrored;

    GetWindowRect(GetDlgItem(dlg, IDOK), &play);
    GetWindowRect(GetDlgItem(dlg, IDCANCEL), &cancel);
    mirrored = (GetWindowLongW(dlg, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) && play.left > cancel.left;
    if (mirrored != rtl)
        return rtl ? "left to right, expected mirrored, as Windows shows a language written right to left"
                   : "mirrored, expected left to right";
    for (HWND h = dlg; h; h = h == dlg ? GetWindow(dlg, GW_CHILD) : GetWindow(h, GW_HWNDNEXT))
        if (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_RTLREADING)
            return "WS_EX_RTLREADING, which Windows reverses in a mirrored window: the texts would read left to right";
    if (!rtl)
        return NULL;
    for (int id : ids)
        if (!(GetWindowLongW(GetDlgItem(dlg, id), GWL_EXSTYLE) & WS_EX_LAYOUTRTL))
            return "a text or button is not mirrored with the dialog";
    if (GetWindowLongW(GetDlgItem(dlg, IDC_PICTURE), GWL_EXSTYLE) & WS_EX_LAYOUTRTL)
        return "the picture is mirrored, expected as drawn";
    return NULL;
}

/* The spaces of typography (U+2000 to U+200A, U+202F, U+205F), which
 * Windows draws in any dialog through font linking: the kit has a dialog
 * holding one drawn in a stand-in that has them, as Wine's own MS Sans Serif
 * and Tahoma do not. Where no font drew one, what to write instead; where the
 * stand-in did, that Wine's own faces may show a box. Each space once. */
static void say_spaces(int text, const WCHAR *written, const WCHAR *missing)
{
    for (const WCHAR *c = written; *c; c++)
        if (((*c >= 0x2000 && *c <= 0x200a) || *c == 0x202f || *c == 0x205f) && !wcschr(c + 1, *c))
            say(wcschr(missing, *c)
                ? L"%hs [%hs]: for U+%04X, a space that Windows draws through font linking and Wine does not, "
                  L"write U+00A0 NO-BREAK SPACE, which every dialog font draws\n"
                : L"%hs [%hs]: note: U+%04X, which Windows draws through font linking, is drawn in the kit's "
                  L"stand-in; Wine's own MS Sans Serif and Tahoma lack it, so under Wine and Proton it may show as "
                  L"a box: U+00A0 NO-BREAK SPACE shows everywhere\n", text_names[text], label, *c);
}

/* Whether the dialog is drawn in Windows 10 and 11's colours, as players see
 * it there, unless the preview was asked for Wine's own (PREVIEW_LOOK=wine): a
 * face of RGB 240, and a white title bar, sampled at its top, above the
 * caption's letters. */
static void check_look(HWND dlg, const Measure *m)
{
    char look[16] = "";
    POINT client = { 2, 2 };   /* inside the client area, mirrored or not */
    RECT rc;
    HDC screen;
    COLORREF face, title;

    GetEnvironmentVariableA("PREVIEW_LOOK", look, sizeof(look));
    if (!strcmp(look, "wine"))
        return;
    GetWindowRect(dlg, &rc);
    ClientToScreen(dlg, &client);
    screen = GetDC(NULL);
    face = GetPixel(screen, client.x, client.y);
    title = GetPixel(screen, (rc.left + rc.right) / 2, client.y - m->caption_height);
    ReleaseDC(NULL, screen);
    if (face != RGB(240, 240, 240) || title != RGB(255, 255, 255))
        say(L"look [%hs]: a face of RGB %d %d %d and a title bar of RGB %d %d %d, where Windows 10 and 11 draw "
            L"240 240 240 and 255 255 255\n", label, GetRValue(face), GetGValue(face), GetBValue(face),
            GetRValue(title), GetGValue(title), GetBValue(title)), problems++;
}

/* Whether the dialog is as large as the build laid it out for at this DPI: it
 * sized the dialog in the fonts the preview draws it in, and a dialog of
 * another size means that they measure otherwise. */
static void check_size(HWND dlg, int dpi)
{
    const int *want = NULL;
    RECT rc;

    for (int i = 0; i < SCALES; i++)
        if (record.scales[i] == MulDiv(dpi, 100, 96))
            want = record.shown->pixels[i];
    GetClientRect(dlg, &rc);
    if (!want)
        say(L"size [%hs]: the dialog is shown at %d DPI, which the build laid it out for at no scale\n", label,
            dpi), problems++;
    else if (rc.right != want[0] || rc.bottom != want[1])
        say(L"size [%hs]: the dialog is %ldx%ld at %d DPI, where the build laid it out as %dx%d\n", label,
            rc.right, rc.bottom, dpi, want[0], want[1]), problems++;
}

/* One text as Wine shows it: every character drawn, none turned into "?",
 * and room for it all. As the build sized the dialog (the build record):
 * where a stand-in font draws a text, some room spare (margin), and beside a
 * button's label, room to keep the focus rectangle clear of it. */
static void check_text(HWND dlg, int i, const Measure *m, int margin)
{
    static const char *const where[TEXTS] = { "title bar", "control", "control", "button", "button" };
    /* OUTLINE is Wine's own, not Windows': a note, not a fault of the brand */
    static const WCHAR *const drawn_amiss[KINDS] = {
        L"%hs [%hs]: no font of the prefix draws \"%ls\" (%ls); Wine shows missing glyphs\n",
        L"%hs [%hs]: \"%ls\" (%ls) drawn as solid blocks, the font's strokes run together\n",
        L"%hs [%hs]: note: Wine draws \"%ls\" (%ls) from the font's outline, its other letters from its bitmaps, "
        L"so they look bolder under Wine and Proton; Windows draws them alike\n",
    };
    WCHAR shown[TEXT_BUFFER], lost[64], points[128];
    int room;

    if (i)
        GetDlgItemTextW(dlg, text_ids[i], shown, TEXT_BUFFER);
    else
        GetWindowTextW(dlg, shown, TEXT_BUFFER);
    question_marks(record.shown->text[i], shown, lost);
    if (lost[0])
        say(L"%hs [%hs]: \"%ls\" came out as \"?\" under code page %u\n", text_names[i], label, lost, m->acp),
            problems++;
    for (int k = 0; k < KINDS; k++)
        if (m->glyphs[i][k][0])
            say(drawn_amiss[k], text_names[i], label, m->glyphs[i][k], code_points(m->glyphs[i][k], points)),
                problems += k != OUTLINE;
    say_spaces(i, record.shown->text[i], m->glyphs[i][MISSING]);
    if (m->extent[i] > m->room[i] * (100 - margin) / 100)
        say(L"%hs [%hs]: %d px in a %d px %hs%ls; the rest is cut\n", text_names[i], label, m->extent[i],
            m->room[i], where[i], margin ? L", less what a stand-in font keeps spare" : L""), problems++;
    else if (i >= PLAY && m->extent[i] > (m->room[i] - (room = MulDiv(record.shown->label_room, m->dpi, 96))) *
                                         (100 - margin) / 100)
        say(L"%hs [%hs]: %d px in a %d px button leaves less than %d px beside it; the focus rectangle touches "
            L"the label\n", text_names[i], label, m->extent[i], m->room[i], room), problems++;
}

/* The dialog as the screen shows it, saved as a 24-bit BMP. */
static bool save_shot(HWND dlg, const char *path)
{
    BITMAPINFO bi = {};
    BITMAPFILEHEADER head = { 0x4d42 };
    RECT rc;
    HDC screen = GetDC(NULL);
    Shot shot, before;
    FILE *f;
    bool saved;

    GetWindowRect(dlg, &rc);
    take(&shot, rc.right - rc.left, rc.bottom - rc.top);
    take(&before, shot.w, shot.h);
    /* the measuring DLL has had Wine put the dialog on the screen; the same
     * there twice, 10 ms apart, is the dialog drawn whole */
    for (int tries = 0; tries < 200; tries++)
    {
        if (tries)
        {
            BitBlt(before.dc, 0, 0, shot.w, shot.h, shot.dc, 0, 0, SRCCOPY);
            Sleep(10);
        }
        BitBlt(shot.dc, 0, 0, shot.w, shot.h, screen, rc.left, rc.top, SRCCOPY);
        GdiFlush();
        if (tries && !memcmp(before.px, shot.px, shot.w * shot.h * 4))
            break;
    }
    drop(&before);
    ReleaseDC(NULL, screen);
    bi.bmiHeader = { sizeof(BITMAPINFOHEADER), shot.w, -shot.h, 1, 32, BI_RGB };
    head.bfOffBits = sizeof(head) + sizeof(bi.bmiHeader);
    head.bfSize = head.bfOffBits + shot.w * shot.h * 4;
    saved = (f = fopen(path, "wb")) && fwrite(&head, sizeof(head), 1, f) &&
            fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f) && fwrite(shot.px, shot.w * 4, shot.h, f) == (size_t)shot.h;
    if (f)
        saved = !fclose(f) && saved;
    drop(&shot);
    if (!saved)
        say(L"cannot save the screenshot %hs\n", path);
    return saved;
}

/* Brings the dialog to the front, as a click on it would, for the keys that follow. */
static void bring_to_front(HWND dlg)
{
    SetForegroundWindow(dlg);
    for (int tries = 0; tries < 100 && GetForegroundWindow() != dlg; tries++)
        Sleep(5);
}

/* Closes the dialog as a person would: Esc. */
static void press_escape(HWND dlg)
{
    bring_to_front(dlg);
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
}

/* Whether a label's Alt-key underline lies under its letter, as Windows
 * draws it: its middle within the letter's glyphs, a pixel either side. */
static void check_underline(int i, const Measure *m)
{
    const int *a = m->accel[i];
    int middle = (a[0] + a[1]) / 2;

    if (a[1] > a[0] && (middle < a[2] - 1 || middle > a[3] + 1))
        say(L"%hs [%hs]: \"%ls\": the Alt key's underline is drawn %d to %d px into the label, beside its letter at "
            L"%d to %d px, where Windows draws it under the letter; mark a letter that Wine underlines where it "
            L"stands, such as a Latin one in brackets before the label, or none\n", text_names[i], label,
            record.shown->text[i], a[0], a[1], a[2], a[3]), problems++;
}

/* Whether a text is drawn dark enough to read: Windows' dialog faces, and
 * every stand-in the kit draws a script in, leave more than a quarter of the
 * pixels they ink dark (the Latin ones all of them); a face whose strokes
 * are thinner than a pixel leaves them gray, and the text faint. */
static void check_contrast(int i, const Measure *m)
{
    int inked = m->ink[i][0], dark = m->ink[i][1];

    if (inked >= 20 && dark * 4 < inked)
        say(L"%hs [%hs]: drawn faint: %d of the %d pixels it inks are dark, fewer than a quarter, where Windows' "
            L"faces leave most of them dark; its font draws strokes thinner than a pixel\n", text_names[i], label,
            dark, inked), problems++;
}

/* Whether each mark that sits on its letter in the face takes no room as
 * drawn, as in Windows' faces; where Wine draws a face bolder than its own, a
 * gap opens after each, as after a Hindi caption's vowel signs. */
static void check_marks(int i, const Measure *m)
{
    WCHAR points[128];

    if (m->widened[i][0])
        say(L"%hs [%hs]: \"%ls\" (%ls) each take a pixel of their own, and a gap opens after each: Wine draws the "
            L"face bolder than its own, where Windows' face has a bold that keeps them on their letters\n",
            text_names[i], label, m->widened[i], code_points(m->widened[i], points)), problems++;
}

/* Whether each letter reads as the one written: a letter drawn as another
 * of its base, a tone mark lost in a circumflex, says something else. */
static void check_letters(int i, const Measure *m)
{
    for (const WCHAR *p = m->alike[i]; p[0] && p[1]; p += 2)
        say(L"%hs [%hs]: \"%lc\" (U+%04X) is drawn as \"%lc\" (U+%04X) is, no pixel of the two darker by a tenth: "
            L"its mark cannot be read; Windows' face sets the marks apart\n", text_names[i], label, p[0], p[0], p[1],
            p[1]), problems++;
}

static int check(const char *shot)
{
    const Dialog *d = record.shown;
    const char *fault;
    Measure m = {};
    RECT rc;
    HWND dlg;

    if (!(dlg = find_dialog()))
        return 1;
    if (measure(dlg, &m))
        for (int i = 0; i < TEXTS; i++)
        {
            check_text(dlg, i, &m, d->spare);
            check_underline(i, &m);
            check_contrast(i, &m);
            check_marks(i, &m);
            check_letters(i, &m);
        }
    else
        problems++;
    if ((fault = layout_fault(dlg, d->rtl)))
        say(L"layout [%hs]: %hs\n", label, fault), problems++;
    check_size(dlg, m.dpi);
    check_look(dlg, &m);
    if (m.dpi == 96 && memcmp(record.metrics, m.metrics, sizeof(m.metrics)))
        say(L"the build laid the dialog out for a button's edges of %d px and %d or %d px beside the caption; "
            L"Wine's are %d, %d and %d\n", record.metrics[0], record.metrics[1], record.metrics[2], m.metrics[0],
            m.metrics[1], m.metrics[2]), problems++;
    for (int i = LINE1; d->rtl && i <= LINE2; i++)
    {
        const WCHAR *text = d->text[i];
        int n = lstrlenW(text);

        n -= n && text[n - 1] == 0x202c;        /* the end of a right-to-left embedding */
        if (n && (text[n - 1] == '?' || text[n - 1] == 0x061f) && m.mark_leftmost[i] != 1)
            say(L"%hs [%hs]: its question mark is not its leftmost glyph; the line is not read right to left\n",
                text_names[i], label), problems++;
    }
    GetWindowRect(dlg, &rc);
    say(L"geometry %ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
    if (shot)
    {
        problems += !save_shot(dlg, shot);
        press_escape(dlg);
    }
    return problems ? 1 : 0;
}

/* The launcher that shows the dialog, to wait for. */
static HANDLE launcher_of(HWND dlg)
{
    DWORD pid;

    GetWindowThreadProcessId(dlg, &pid);
    return OpenProcess(SYNCHRONIZE, FALSE, pid);
}

/* Connects a pad, then presses and releases the button. */
static int pad(HWND dlg, WORD button)
{
    PadState *pads = share_pads();
    HANDLE launcher = launcher_of(dlg);

    if (!pads || !launcher)
    {
        say(L"cannot drive the stand-in XInput, error %lu\n", GetLastError());
        return 1;
    }
    SetForegroundWindow(dlg);
    set_pad(pads, 0, 0);
    set_pad(pads, 0, button);
    set_pad(pads, 0, 0);
    if (WaitForSingleObject(launcher, EXIT_TIMEOUT) == WAIT_OBJECT_0)
        return 0;
    say(L"the launcher did not answer the controller's %hs\n", button == XINPUT_GAMEPAD_A ? "A" : "B");
    return 1;
}

/* Presses Play with the keyboard, as a player would, and waits for the
 * launcher to end, which it does once the game it started is up. */
static int play(HWND dlg)
{
    HANDLE launcher = launcher_of(dlg);

    bring_to_front(dlg);
    keybd_event(VK_RETURN, 0, 0, 0);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    if (launcher && WaitForSingleObject(launcher, EXIT_TIMEOUT) == WAIT_OBJECT_0)
        return 0;
    say(L"the launcher did not end after Play\n");
    return 1;
}

/* Checks each dialog the preview script names on standard input, a line
 * each, "TAG" or "TAG SHOT", and ends each report with "end" and its exit
 * code: one process for every dialog, as starting one costs as much as the
 * check. The record is read again for each, as the launcher was built. */
static int serve(const char *path)
{
    char line[MAX_PATH + 64];

    say(L"ready\n");
    while (fgets(line, sizeof(line), stdin))
    {
        char *tag = strtok(line, " \r\n"), *shot = strtok(NULL, "\r\n");
        int rc = 2;

        problems = 0;
        if (!tag || !load_record(&record, path, tag))
            say(L"cannot read the build record %hs for the dialog %hs\n", path, tag ? tag : "");
        else
        {
            label = record.shown->tag;
            rc = check(shot);
        }
        say(L"end %d\n", rc);
    }
    return 0;
}

int main(int argc, char **argv)
{
    char path[MAX_PATH], *slash;
    bool serving = argc == 3 && !strcmp(argv[1], "serve"), playing = argc == 3 && !strcmp(argv[1], "play");
    bool pad_button = argc == 4 && !strcmp(argv[1], "pad") && (!strcmp(argv[3], "A") || !strcmp(argv[3], "B"));

    if (!serving && !playing && !pad_button)
    {
        printf("usage: preview serve <record> | preview play <record> | preview pad <record> A|B\n");
        return 2;
    }
    GetModuleFileNameA(NULL, bindir, sizeof(bindir));
    if ((slash = strrchr(bindir, '\\')))
        *slash = 0;
    snprintf(path, sizeof(path), "%s\\%s", bindir, argv[2]);
    if (serving)
        return serve(path);
    if (!load_record(&record, path, NULL))
    {
        printf("cannot read the build record %s\n", path);
        return 2;
    }
    label = record.shown->tag;
    HWND dlg = find_dialog();

    if (!dlg)
        return 1;
    return playing ? play(dlg) : pad(dlg, argv[3][0] == 'A' ? XINPUT_GAMEPAD_A : XINPUT_GAMEPAD_B);
}
