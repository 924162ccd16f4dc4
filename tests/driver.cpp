/*
 * Test driver for the launcher: runs under Wine beside the built launchers,
 * starts copies of one in folders of its own, finds and operates the dialog
 * through the Win32 API with real keyboard and mouse input, and checks the
 * outcome against what the launcher's brand says.
 *
 *   driver <scenario> <brand>[:<tag>] [<other brand>]
 *          runs one scenario; exit code 0 when all its checks pass
 *   driver preview <brand>[:<tag>]
 *          finds a running launcher of the brand, checks that its texts fit
 *          and prints where its dialog is on the screen (for ./run)
 *   driver close <brand>   presses Esc in a running launcher's dialog (for ./run)
 *
 * A brand is the NAME.brand.txt the build writes beside the launcher: its
 * file name, class, game and icon, and the texts of each of its dialogs, in
 * UTF-8 (see brand/brand.py). The tag names the dialog that the locale
 * the driver runs under should show; without one, the brand's first.
 */

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <ctype.h>
#include <wchar.h>
#include "probe.h"

static const char *scenario = "";
static int failures, passes;

#define ok(cond, ...) ok_(__LINE__, (cond), __VA_ARGS__)
static bool ok_(int line, bool cond, const char *fmt, ...)
{
    va_list ap;

    if (cond)
    {
        passes++;
        return true;
    }
    failures++;
    /* The preview speaks to a publisher, the scenarios to a developer. */
    if (strcmp(scenario, "preview"))
        printf("driver.cpp:%d: %s: Test failed: ", line, scenario);
    va_start(ap, fmt);
    vprintf(fmt, ap);
    va_end(ap);
    fflush(stdout);
    return false;
}

enum { CAPTION, LINE1, LINE2, PLAY, CANCEL, TEXTS };
static const char *const text_names[TEXTS] = { "caption", "line1", "line2", "play", "cancel" };

struct Dialog
{
    char tag[16];
    UINT codepage;              /* the one the preview runs it under */
    WCHAR text[TEXTS][256];
    WCHAR missing[64];          /* what Wine cannot show under that code page */
};

struct Brand
{
    char exe[MAX_PATH];         /* in the ANSI code page, as the driver passes names */
    char cls[256];
    char game[MAX_PATH];        /* the command line Play runs */
    char program[MAX_PATH];     /* ... and the program it names */
    int icon;
    Dialog dialogs[20];
    int count;
    const Dialog *shown;        /* the one this locale should show */
};
static Brand brand, other;
enum { DIALOG_TIMEOUT = 20000, EXIT_TIMEOUT = 10000, GAME_TIMEOUT = 20000, SETTLE = 1000 };

static char bindir[MAX_PATH];           /* where the driver and the launchers lie */

/* ---- files and folders ---- */

static void path_join(char *out, const char *dir, const char *name)
{
    snprintf(out, MAX_PATH, "%s\\%s", dir, name);
}

static bool file_exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

static void write_file(const char *path, const char *text)
{
    FILE *f = fopen(path, "wb");
    if (f)
    {
        fputs(text, f);
        fclose(f);
    }
}

static bool read_file(const char *path, char *buf, int size)
{
    FILE *f = fopen(path, "rb");
    int n;

    buf[0] = 0;
    if (!f)
        return false;
    n = fread(buf, 1, size - 1, f);
    fclose(f);
    buf[n] = 0;
    return true;
}

/* Wide, so that it also clears folders deeper than MAX_PATH. */
static void remove_tree(const WCHAR *dir)
{
    WCHAR path[1024];
    WIN32_FIND_DATAW fd;
    HANDLE h;

    wsprintfW(path, L"%s\\*", dir);
    if ((h = FindFirstFileW(path, &fd)) != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!lstrcmpW(fd.cFileName, L".") || !lstrcmpW(fd.cFileName, L".."))
                continue;
            wsprintfW(path, L"%s\\%s", dir, fd.cFileName);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileW(path);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(dir);
}

/* A fresh folder under work\ named after the scenario. */
static void work_folder(char *out, const char *name)
{
    char work[MAX_PATH];
    WCHAR wide[MAX_PATH];

    path_join(work, bindir, "work");
    CreateDirectoryA(work, NULL);
    path_join(out, work, name);
    MultiByteToWideChar(CP_ACP, 0, out, -1, wide, MAX_PATH);
    remove_tree(wide);
    CreateDirectoryA(out, NULL);
}

/* Splits a line of brand.txt at its tabs, in place. */
static int fields(char *line, char **out, int max)
{
    int n = 0;

    line[strcspn(line, "\r\n")] = 0;
    out[n++] = line;
    for (char *p = line; *p && n < max; p++)
        if (*p == '\t')
        {
            *p = 0;
            out[n++] = p + 1;
        }
    return n;
}

/* Reads a brand from beside the driver: NAME.brand.txt, or NAME.brand.txt:TAG
 * for the dialog of that language. */
static bool load_brand(Brand *b, const char *arg)
{
    char path[MAX_PATH], name[MAX_PATH], line[4096], *f[12], *tag;
    WCHAR wide[MAX_PATH];
    FILE *file;

    lstrcpynA(name, arg, sizeof(name));
    if ((tag = strchr(name, ':')))
        *tag++ = 0;
    path_join(path, bindir, name);
    if (!(file = fopen(path, "rb")))
        return false;
    memset(b, 0, sizeof(*b));
    while (fgets(line, sizeof(line), file))
    {
        int n = fields(line, f, 12);

        if (n == 2 && !strcmp(f[0], "exe"))
        {
            MultiByteToWideChar(CP_UTF8, 0, f[1], -1, wide, MAX_PATH);
            WideCharToMultiByte(CP_ACP, 0, wide, -1, b->exe, MAX_PATH, NULL, NULL);
        }
        else if (n == 2 && !strcmp(f[0], "class"))
            lstrcpynA(b->cls, f[1], sizeof(b->cls));
        else if (n == 2 && !strcmp(f[0], "game"))
            lstrcpynA(b->game, f[1], sizeof(b->game));
        else if (n == 2 && !strcmp(f[0], "program"))
            lstrcpynA(b->program, f[1], sizeof(b->program));
        else if (n == 2 && !strcmp(f[0], "icon"))
            b->icon = atoi(f[1]) > 0;
        else if (n == 10 && !strcmp(f[0], "dialog") && b->count < 20)
        {
            Dialog *d = &b->dialogs[b->count++];

            lstrcpynA(d->tag, f[1], sizeof(d->tag));
            d->codepage = atoi(f[3]);
            for (int i = 0; i < TEXTS; i++)
                MultiByteToWideChar(CP_UTF8, 0, f[4 + i], -1, d->text[i], 256);
            MultiByteToWideChar(CP_UTF8, 0, f[9], -1, d->missing, 64);
            if (!b->shown || (tag && !strcmp(tag, d->tag)))
                b->shown = d;
        }
    }
    fclose(file);
    return b->exe[0] && b->cls[0] && b->program[0] && b->shown && (!tag || !strcmp(b->shown->tag, tag));
}

/* Puts the brand's game into a folder: a GAME.BAT that writes its current
 * directory into ran.txt there, or, for a brand that starts a program,
 * game.exe under that program's name, which also writes where it lies and
 * its command line. */
static void put_game(const char *folder, const Brand *b)
{
    char src[MAX_PATH], dst[MAX_PATH];

    path_join(dst, folder, b->program);
    if (!lstrcmpiA(b->program, "GAME.BAT"))
        write_file(dst, "@echo off\r\ncd > ran.txt\r\n");
    else
    {
        path_join(src, bindir, "game.exe");
        ok(CopyFileA(src, dst, FALSE), "copying %s to %s failed, error %lu\n", src, dst, GetLastError());
    }
}

/* A game folder: the launcher and, if asked, the brand's game. */
static void game_folder(char *out, const char *name, const char *exe_name, bool with_game,
                        const Brand *b = &brand)
{
    char src[MAX_PATH], dst[MAX_PATH];

    work_folder(out, name);
    path_join(src, bindir, b->exe);
    path_join(dst, out, exe_name);
    ok(CopyFileA(src, dst, FALSE), "copying %s to %s failed, error %lu\n", src, dst, GetLastError());
    if (with_game)
        put_game(out, b);
}

/* ---- the launcher as a process ---- */

struct Launcher
{
    PROCESS_INFORMATION pi;
    HANDLE job;             /* holds the launcher and all it starts */
};

static bool marker_seen_visible;        /* any launcher's marker window, at any poll */
static DWORD watched_thread;            /* windows this thread creates are counted */
static int windows_created;

static void CALLBACK on_create(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child,
                               DWORD thread, DWORD time)
{
    if (object == OBJID_WINDOW && thread == watched_thread)
        windows_created++;
}

/* Runs between waits: keeps our window events flowing and watches the marker. */
static void poll(void)
{
    HWND marker = NULL;
    MSG msg;

    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    while ((marker = FindWindowExA(NULL, marker, brand.cls, NULL)))
        if (IsWindowVisible(marker))
            marker_seen_visible = true;
}

static bool start(Launcher *l, const char *cmdline, const char *cwd)
{
    STARTUPINFOA si;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit;
    char cmd[1024];

    memset(l, 0, sizeof(*l));
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    snprintf(cmd, sizeof(cmd), "%s", cmdline);

    l->job = CreateJobObjectA(NULL, NULL);
    memset(&limit, 0, sizeof(limit));
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(l->job, JobObjectExtendedLimitInformation, &limit, sizeof(limit));

    /* Named as the application too: Wine then takes a relative name that
     * resolves to more than MAX_PATH characters. */
    if (!ok(CreateProcessA(cmdline, cmd, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, cwd, &si, &l->pi),
            "CreateProcess(%s) failed, error %lu\n", cmdline, GetLastError()))
        return false;
    ok(AssignProcessToJobObject(l->job, l->pi.hProcess), "AssignProcessToJobObject failed, error %lu\n",
       GetLastError());
    watched_thread = l->pi.dwThreadId;
    windows_created = 0;
    ResumeThread(l->pi.hThread);
    return true;
}

/* Waits for the launcher to end; returns its exit code, or STILL_ACTIVE. */
static DWORD wait_exit(Launcher *l, DWORD timeout)
{
    DWORD code = STILL_ACTIVE;

    if (!l->pi.hProcess)
        return code;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; poll())
        if (MsgWaitForMultipleObjects(1, &l->pi.hProcess, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
    poll();
    GetExitCodeProcess(l->pi.hProcess, &code);
    return code;
}

/* How many processes the launcher's job has held: 1 means it started nothing. */
static DWORD job_processes(Launcher *l)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;

    memset(&info, 0, sizeof(info));
    QueryInformationJobObject(l->job, JobObjectBasicAccountingInformation, &info, sizeof(info), NULL);
    return info.TotalProcesses;
}

/* Ends the launcher and everything it started, whatever state it is in. */
static void finish(Launcher *l)
{
    if (l->job)
    {
        TerminateJobObject(l->job, 1);
        if (l->pi.hProcess)
            WaitForSingleObject(l->pi.hProcess, 5000);
        CloseHandle(l->job);
    }
    if (l->pi.hProcess)
    {
        CloseHandle(l->pi.hProcess);
        CloseHandle(l->pi.hThread);
    }
    memset(l, 0, sizeof(*l));
}

/* ---- windows ---- */

struct FindArgs
{
    DWORD pid;              /* 0: any process */
    const char *cls;
    HWND found;
    int count;
};

static BOOL CALLBACK find_proc(HWND hwnd, LPARAM lparam)
{
    FindArgs *args = (FindArgs *)lparam;
    char cls[64];
    DWORD pid;

    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof(cls));
    if ((!args->pid || pid == args->pid) && !strcmp(cls, args->cls))
    {
        if (!args->found)
            args->found = hwnd;
        args->count++;
    }
    return TRUE;
}

/* Top-level windows of a class, of one process or of all (pid 0). */
static HWND find_window(DWORD pid, const char *cls, int *count = NULL)
{
    FindArgs args = { pid, cls, NULL, 0 };

    EnumWindows(find_proc, (LPARAM)&args);
    if (count)
        *count = args.count;
    return args.found;
}

static HWND wait_dialog(Launcher *l)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < DIALOG_TIMEOUT; Sleep(50))
    {
        HWND dlg = find_window(l->pi.dwProcessId, "#32770");
        poll();
        if (dlg && IsWindowVisible(dlg))
            return dlg;
        if (WaitForSingleObject(l->pi.hProcess, 0) == WAIT_OBJECT_0)
            break;
    }
    return NULL;
}

static bool wait_file(const char *path, DWORD timeout)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(50))
        if (file_exists(path))
        {
            Sleep(200);     /* let the batch file finish writing */
            return true;
        }
    return false;
}

/* Starts the launcher and waits for its dialog; on failure ends it and returns NULL. */
static HWND launch(Launcher *l, const char *exe, const char *cwd)
{
    HWND dlg;

    if (!start(l, exe, cwd))
        return NULL;
    dlg = wait_dialog(l);
    if (!ok(dlg != NULL, "%s: no dialog within %d ms\n", exe, DIALOG_TIMEOUT))
        finish(l);
    return dlg;
}

/* After Play: the game ran in the expected folder, with that folder current.
 * Returns what it wrote there: its current directory, and for game.exe, its
 * own path and command line, a line each. */
static char *check_game_ran(const char *folder, const char *expected_cwd)
{
    static char text[1024];
    char ran[MAX_PATH];

    path_join(ran, folder, "ran.txt");
    if (!ok(wait_file(ran, GAME_TIMEOUT), "%s did not run in %s\n", brand.program, folder))
        return NULL;
    read_file(ran, text, sizeof(text));
    ok(!_strnicmp(text, expected_cwd, strlen(expected_cwd)) && strchr("\r\n", text[strlen(expected_cwd)]),
       "%s ran in \"%.*s\", expected \"%s\"\n", brand.program, (int)strcspn(text, "\r\n"), text,
       expected_cwd);
    return text;
}

/* After Cancel and the like: the launcher started nothing. */
static void check_nothing_ran(Launcher *l, const char *folder)
{
    char ran[MAX_PATH];

    ok(job_processes(l) == 1, "%lu processes in the launcher's job, expected 1\n", job_processes(l));
    path_join(ran, folder, "ran.txt");
    ok(!file_exists(ran), "GAME.BAT ran\n");
}

/* ---- real input ---- */

static HWND focus(Launcher *l)
{
    GUITHREADINFO info;

    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(l->pi.dwThreadId, &info);
    return info.hwndFocus;
}

static void click(HWND hwnd)
{
    RECT rc;

    GetWindowRect(hwnd, &rc);
    SetForegroundWindow(GetAncestor(hwnd, GA_ROOT));
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    Sleep(50);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    Sleep(50);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
}

static void key(HWND dlg, BYTE vk, BYTE modifier = 0)
{
    SetForegroundWindow(dlg);
    Sleep(50);
    if (modifier)
        keybd_event(modifier, 0, 0, 0);
    keybd_event(vk, 0, 0, 0);
    keybd_event(vk, 0, KEYEVENTF_KEYUP, 0);
    if (modifier)
        keybd_event(modifier, 0, KEYEVENTF_KEYUP, 0);
    Sleep(50);
}

/* Answers the dialog with a key; the launcher must then end with exit code 0. */
static void answer(Launcher *l, HWND dlg, BYTE vk, const char *what)
{
    DWORD code;

    key(dlg, vk);
    code = wait_exit(l, EXIT_TIMEOUT);
    ok(code == 0, "%s: exit code %lx, expected 0\n", what, code);
}

/* ---- the probe inside the launcher ---- */

static HHOOK probe_hook;

static void probe_path(char *out)
{
    path_join(out, bindir, PROBE_FILE);
}

static bool read_probe(ProbeResult *res)
{
    char path[MAX_PATH];
    FILE *f;
    bool got = false;

    probe_path(path);
    memset(res, 0, sizeof(*res));
    if ((f = fopen(path, "rb")))
    {
        got = fread(res, sizeof(*res), 1, f) == 1;
        fclose(f);
    }
    return got;
}

/* Hooks the thread of a launcher's dialog with the probe DLL and asks it to look. */
static bool probe(HWND dlg, ProbeResult *res)
{
    char path[MAX_PATH];
    HMODULE dll;
    HOOKPROC proc;
    HWND marker;
    DWORD pid, thread = GetWindowThreadProcessId(dlg, &pid);

    probe_path(path);
    DeleteFileA(path);
    path_join(path, bindir, "probe.dll");
    dll = LoadLibraryA(path);
    proc = (HOOKPROC)GetProcAddress(dll, "ProbeHook");
    if (!ok(proc != NULL, "no ProbeHook in %s\n", path))
        return false;
    probe_hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, dll, thread);
    if (!ok(probe_hook != NULL, "SetWindowsHookEx failed, error %lu\n", GetLastError()))
        return false;
    marker = find_window(pid, brand.cls);
    SendMessageTimeoutA(dlg, RegisterWindowMessageA(PROBE_MESSAGE), (WPARAM)marker, 0, SMTO_ABORTIFHUNG, 5000, NULL);

    return ok(read_probe(res) && res->probed, "the probe did not report from inside the launcher\n");
}

/* What the probe recorded last, after the dialog has gone. */
static void probe_final(ProbeResult *res)
{
    UnhookWindowsHookEx(probe_hook);
    read_probe(res);
}

/* ---- scenarios ---- */

/* The names, sizes and times of a folder's files, to tell whether anything was written. */
static void listing(const char *dir, char *out, int size)
{
    char pattern[MAX_PATH];
    WIN32_FIND_DATAA fd;
    HANDLE h;
    int n = 0;

    out[0] = 0;
    path_join(pattern, dir, "*");
    if ((h = FindFirstFileA(pattern, &fd)) == INVALID_HANDLE_VALUE)
        return;
    do
        n += snprintf(out + n, size - n, "%s %lu %lu;", fd.cFileName, fd.nFileSizeLow,
                      fd.ftLastWriteTime.dwLowDateTime);
    while (n < size && FindNextFileA(h, &fd));
    FindClose(h);
}

/* The texts are the brand's; the rest is the same for every brand. */
static const struct
{
    int id;
    const char *name, *cls;
    int text;                   /* which of the brand's texts, or -1 for none */
    DWORD style;
} controls[] = {
    { IDOK, "Play", "Button", PLAY, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON },
    { IDCANCEL, "Cancel", "Button", CANCEL, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON },
    { 103, "line 1", "Static", LINE1, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT },
    { 104, "line 2", "Static", LINE2, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT },
    { 102, "picture", "Static", -1, WS_CHILD | WS_VISIBLE | SS_BITMAP },
};

/* The dialog's texts are those of the brand's dialog for this locale. */
static void check_texts(HWND dlg)
{
    WCHAR text[256];

    GetWindowTextW(dlg, text, 256);
    ok(!lstrcmpW(text, brand.shown->text[CAPTION]), "caption \"%ls\", expected \"%ls\"\n", text,
       brand.shown->text[CAPTION]);
    for (int i = 0; i < 4; i++)
    {
        GetDlgItemTextW(dlg, controls[i].id, text, 256);
        ok(!lstrcmpW(text, brand.shown->text[controls[i].text]), "control %d text \"%ls\", expected \"%ls\"\n",
           controls[i].id, text, brand.shown->text[controls[i].text]);
    }
}

/* Whether each text fits where Wine draws it and has glyphs there; prints
 * what does not, and returns whether all do. */
static bool check_fit(const ProbeResult *res)
{
    static const char *const room[TEXTS] = { "title bar", "control", "control", "button", "button" };
    bool fits = true;

    for (int i = 0; i < TEXTS; i++)
    {
        fits &= ok(res->text_extent[i] <= res->text_room[i], "%s: %d px in a %d px %s; the rest is cut\n",
                   text_names[i], res->text_extent[i], res->text_room[i], room[i]);
        fits &= ok(res->text_extent[i] != res->text_boxes[i] || !brand.shown->text[i][0],
                   "%s: %d px, as wide as missing glyphs: no font of the prefix has its characters\n",
                   text_names[i], res->text_extent[i]);
    }
    return fits;
}

static void check_rect(const char *what, const RECT *got, const RECT *expected, bool position_only)
{
    bool same = got->left == expected->left && got->top == expected->top &&
                (position_only || (got->right == expected->right && got->bottom == expected->bottom));

    ok(same, "%s at (%ld,%ld)-(%ld,%ld), expected (%ld,%ld)-(%ld,%ld)\n", what, got->left, got->top,
       got->right, got->bottom, expected->left, expected->top, expected->right, expected->bottom);
}

/* The dialog and the marker window as the launcher makes them, seen from
 * outside and from inside; a refused second start; Cancel by mouse. */
static void test_dialog(void)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], text[128], before[4096], after[4096];
    WCHAR wtext[256];
    Launcher first, second;
    ProbeResult res;
    HWND dlg, marker, ctl;
    RECT rc;
    int count, i;
    DWORD pid, code, style;

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
    ctl = GetWindow(dlg, GW_CHILD);
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

    ctl = GetDlgItem(dlg, 102);
    ok(SendMessageA(ctl, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0, "the picture control holds no bitmap\n");
    GetClientRect(ctl, &rc);
    ok(rc.right == 90 && rc.bottom == 90, "picture is %ldx%ld, expected 90x90\n", rc.right, rc.bottom);

    marker = find_window(0, brand.cls, &count);
    ok(count == 1, "%d windows of class \"%s\", expected 1\n", count, brand.cls);
    GetWindowThreadProcessId(marker, &pid);
    ok(pid == first.pi.dwProcessId, "marker window belongs to process %lx, expected %lx\n", pid,
       first.pi.dwProcessId);
    style = GetWindowLongA(marker, GWL_STYLE);
    ok((style & (WS_VISIBLE | WS_MINIMIZE | WS_POPUP | WS_CHILD)) == WS_MINIMIZE,
       "marker style %08lx, expected minimised, overlapped and not visible\n", style);
    GetWindowTextA(marker, text, sizeof(text));
    ok(!strcmp(text, brand.cls), "marker title \"%s\", expected \"%s\"\n", text, brand.cls);

    if (probe(dlg, &res))
    {
        ok(res.marker_found, "the probe found no marker window in the launcher\n");
        ok(res.class_style == (CS_HREDRAW | CS_VREDRAW), "class style %lu, expected 3\n", res.class_style);
        ok(res.brush_is_gray, "class brush is not the stock gray brush\n");
        ok(res.cursor_is_cross, "class cursor is not the crosshair\n");
        ok(res.icon_is_application, "class icon is not the application icon\n");
        SetRect(&rc, 130, 130, 350, 210);
        check_rect("marker's restored window", &res.placement.rcNormalPosition, &rc, false);
        ok(res.placement.showCmd == SW_SHOWMINIMIZED, "marker show state %u, expected %u\n",
           res.placement.showCmd, SW_SHOWMINIMIZED);
        check_rect("dialog's client area", &res.dialog_client, &res.dialog_units, false);
        for (i = 0; i < 5; i++)
            check_rect(controls[i].name, &res.controls[i],
                       &res.control_units[i], controls[i].id == 102);
        ok(res.bitmap_ok, "the probe could not read the picture's bitmap\n");
        ok(res.bitmap.bmWidth == 90 && res.bitmap.bmHeight == 90 && res.bitmap.bmBitsPixel == 4,
           "bitmap %ldx%ld at %u bits, expected 90x90 at 4\n", res.bitmap.bmWidth, res.bitmap.bmHeight,
           res.bitmap.bmBitsPixel);
        /* Windows' MS Sans Serif at 96 DPI: dialog base units of 6 by 13 */
        ok(!lstrcmpW(res.font_face, L"MS Sans Serif"), "dialog font \"%ls\", expected \"MS Sans Serif\"\n",
           res.font_face);
        ok(res.dialog_client.right - res.dialog_client.left == 330 &&
           res.dialog_client.bottom - res.dialog_client.top == 130, "client area %ldx%ld, expected 330x130\n",
           res.dialog_client.right - res.dialog_client.left, res.dialog_client.bottom - res.dialog_client.top);
        check_fit(&res);
        ok((res.icon != NULL) == (brand.icon != 0), "the dialog's icon %p, expected %s\n", res.icon,
           brand.icon ? "the brand's" : "none");
        ok(res.reinit_new_bitmap && res.reinit_old_deleted,
           "setting the picture again: new bitmap %d, old one deleted %d, expected 1 and 1\n",
           res.reinit_new_bitmap, res.reinit_old_deleted);
    }

    /* A second start while the dialog is up must end at once and add no window. */
    if (start(&second, exe, elsewhere))
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

/* Each way a person answers the dialog, with the keyboard and the mouse. */
enum Answer { ENTER, ESC, ALT_F4, TAB_TO_CANCEL_ENTER, CLICK_PLAY, CLICK_CANCEL, NOTIFY_CODES, MNEMONIC };

static const struct
{
    const char *name;
    Answer answer;
    bool plays;
} answers[] = {
    { "Enter as the dialog opens", ENTER, true },
    { "Esc", ESC, false },
    { "Alt+F4", ALT_F4, false },
    { "Enter on Cancel", TAB_TO_CANCEL_ENTER, false },
    { "click on Play", CLICK_PLAY, true },
    { "click on Cancel", CLICK_CANCEL, false },
    { "commands with notification codes, then Esc", NOTIFY_CODES, false },
    { "Alt and the letter Play's label marks", MNEMONIC, true },
};

/* The key of the letter after the & in Play's label, or 0 for none. */
static BYTE mnemonic(void)
{
    const WCHAR *amp = wcschr(brand.shown->text[PLAY], '&');

    return amp && amp[1] < 128 && isalnum(amp[1]) ? toupper(amp[1]) : 0;
}

static void test_input(void)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH];
    Launcher l;
    HWND dlg;
    DWORD code;

    for (unsigned i = 0; i < sizeof(answers) / sizeof(answers[0]); i++)
    {
        if (answers[i].answer == MNEMONIC && !mnemonic())
            continue;
        game_folder(folder, "input", brand.exe, true);
        work_folder(elsewhere, "input-cwd");
        path_join(exe, folder, brand.exe);
        if (!(dlg = launch(&l, exe, elsewhere)))
            continue;

        switch (answers[i].answer)
        {
        case ENTER: key(dlg, VK_RETURN); break;
        case ESC: key(dlg, VK_ESCAPE); break;
        case ALT_F4: key(dlg, VK_F4, VK_MENU); break;
        case TAB_TO_CANCEL_ENTER:
            for (int tabs = 0; tabs < 4 && focus(&l) != GetDlgItem(dlg, IDCANCEL); tabs++)
                key(dlg, VK_TAB);
            ok(focus(&l) == GetDlgItem(dlg, IDCANCEL), "Tab did not bring the focus to Cancel\n");
            key(dlg, VK_RETURN);
            break;
        case CLICK_PLAY: click(GetDlgItem(dlg, IDOK)); break;
        case CLICK_CANCEL: click(GetDlgItem(dlg, IDCANCEL)); break;
        case MNEMONIC: key(dlg, mnemonic(), VK_MENU); break;
        case NOTIFY_CODES:
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_DOUBLECLICKED), 0);
            PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_DOUBLECLICKED), 0);
            code = wait_exit(&l, SETTLE);
            ok(code == STILL_ACTIVE && IsWindowVisible(dlg), "%s: the dialog closed (exit code %lx)\n",
               answers[i].name, code);
            key(dlg, VK_ESCAPE);
            break;
        }

        code = wait_exit(&l, EXIT_TIMEOUT);
        ok(code == 0, "%s: exit code %lx, expected 0\n", answers[i].name, code);
        if (answers[i].plays)
        {
            check_game_ran(folder, folder);
            path_join(ran, elsewhere, "ran.txt");
            ok(!file_exists(ran), "%s: GAME.BAT ran in the start directory\n", answers[i].name);
        }
        else
            check_nothing_ran(&l, folder);
        finish(&l);
    }
}

/* Where players put games: a drive's root, a path too long for the
 * launcher's buffer, a folder without GAME.BAT. */
static void test_places(void)
{
    static const WCHAR long_names[][2] = { { 'd', 0 }, { 'e', 0 } };
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], src[MAX_PATH], relative[MAX_PATH];
    char shorter[MAX_PATH], root_exe[MAX_PATH];
    WCHAR wide[1024], wexe[1024], wsrc[MAX_PATH];
    Launcher l;
    HWND dlg;
    int n;

    /* T: is mapped by the test set-up to a folder of its own. Started from
     * another drive, and from a folder of T: itself, which "T:" alone would name. */
    work_folder(elsewhere, "places-cwd");
    path_join(src, bindir, brand.exe);
    path_join(root_exe, "T:", brand.exe);
    ok(CopyFileA(src, root_exe, FALSE), "cannot copy the launcher to T:\\, error %lu\n", GetLastError());
    write_file("T:\\GAME.BAT", "@echo off\r\ncd > ran.txt\r\n");
    CreateDirectoryA("T:\\sub", NULL);
    for (int on_t = 0; on_t < 2; on_t++)
    {
        DeleteFileA("T:\\ran.txt");
        if (!(dlg = launch(&l, root_exe, on_t ? "T:\\sub" : elsewhere)))
            continue;
        answer(&l, dlg, VK_RETURN, on_t ? "drive root, started on T:" : "drive root");
        check_game_ran("T:", "T:\\");
        finish(&l);
    }

    /* A program path of more than MAX_PATH characters, started by a relative name. */
    work_folder(folder, "long");
    n = MultiByteToWideChar(CP_ACP, 0, folder, -1, wide, 1024) - 1;
    for (int i = 0; i < 2; i++)
    {
        wide[n++] = '\\';
        for (int j = 0; j < 120; j++, n++)
            wide[n] = long_names[i][0];
        wide[n] = 0;
        if (i == 0)
            WideCharToMultiByte(CP_ACP, 0, wide, -1, shorter, MAX_PATH, NULL, NULL);
        ok(CreateDirectoryW(wide, NULL), "cannot make a folder of %d characters, error %lu\n", n, GetLastError());
    }
    n = wsprintfW(wexe, L"%s\\", wide);
    MultiByteToWideChar(CP_ACP, 0, brand.exe, -1, wexe + n, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, src, -1, wsrc, MAX_PATH);
    ok(CopyFileW(wsrc, wexe, FALSE), "cannot copy the launcher to a long path, error %lu\n", GetLastError());
    ok(lstrlenW(wexe) > MAX_PATH, "program path of %d characters, expected more than %d\n", lstrlenW(wexe),
       MAX_PATH);
    /* Started by a name relative to our own current directory, which
     * CreateProcess takes where it cannot take the absolute path. */
    memset(relative, 'e', 120);
    snprintf(relative + 120, MAX_PATH - 120, "\\%s", brand.exe);
    SetCurrentDirectoryA(shorter);
    for (int play = 0; play < 2; play++)
    {
        if (!(dlg = launch(&l, relative, shorter)))
            continue;
        answer(&l, dlg, play ? VK_RETURN : VK_ESCAPE, play ? "long path, Play" : "long path, Cancel");
        finish(&l);
    }
    SetCurrentDirectoryA(bindir);

    game_folder(folder, "no-game", brand.exe, false);
    path_join(exe, folder, brand.exe);
    if ((dlg = launch(&l, exe, elsewhere)))
    {
        answer(&l, dlg, VK_RETURN, "no GAME.BAT");
        check_nothing_ran(&l, folder);
        finish(&l);
    }
}

/* Under a double-byte code page: names whose second bytes are backslashes. */
static void test_cp932(void)
{
    /* 表ソ in code page 932: 95 5C 83 5C */
    static const char name[] = "\x95\x5c\x83\x5c";
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe_name[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HWND dlg;

    if (!ok(GetACP() == 932, "code page %u, expected 932 (is LANG=ja_JP.UTF-8 set?)\n", GetACP()))
        return;
    snprintf(exe_name, sizeof(exe_name), "%s.exe", name);
    game_folder(folder, name, exe_name, true);
    work_folder(elsewhere, "cp932-cwd");
    path_join(exe, folder, exe_name);
    if (!(dlg = launch(&l, exe, elsewhere)))
        return;
    answer(&l, dlg, VK_RETURN, "Play");
    check_game_ran(folder, folder);
    finish(&l);
}

/* Another program's window of the launcher's class, hidden or not, under any title. */
static void test_guard(void)
{
    static const struct
    {
        const char *title;
        DWORD style;
    } foreign[] = {
        { "Some other program", WS_OVERLAPPEDWINDOW },
        { "", WS_OVERLAPPEDWINDOW | WS_VISIBLE },
    };
    char folder[MAX_PATH], exe[MAX_PATH];
    WNDCLASSA wc;
    Launcher l;
    HWND hwnd;
    DWORD code;
    int count;

    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = brand.cls;
    ok(RegisterClassA(&wc) != 0, "RegisterClass failed, error %lu\n", GetLastError());
    game_folder(folder, "guard", brand.exe, true);
    path_join(exe, folder, brand.exe);

    for (unsigned i = 0; i < sizeof(foreign) / sizeof(foreign[0]); i++)
    {
        hwnd = CreateWindowExA(0, brand.cls, foreign[i].title, foreign[i].style, 0, 0, 100, 100, NULL, NULL,
                               wc.hInstance, NULL);
        if (!start(&l, exe, folder))
            break;
        code = wait_exit(&l, EXIT_TIMEOUT);
        ok(code == 0, "\"%s\": exit code %lx, expected 0\n", foreign[i].title, code);
        ok(windows_created == 0, "\"%s\": the launcher created %d windows, expected none\n", foreign[i].title,
           windows_created);
        check_nothing_ran(&l, folder);
        find_window(0, brand.cls, &count);
        ok(count == 1, "\"%s\": %d windows of the class, expected only ours\n", foreign[i].title, count);
        finish(&l);
        DestroyWindow(hwnd);
    }
    UnregisterClassA(brand.cls, wc.hInstance);
}

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

/* Copies of the launcher with changed resources, the code untouched. */
static void test_resources(void)
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
    static BYTE dib[8192];
    WORD block[64];
    char folder[MAX_PATH], exe[MAX_PATH];
    Launcher l;
    HANDLE update;
    HWND dlg;
    RECT rc;
    DWORD code;
    int size;

    for (unsigned i = 0; i < sizeof(edits) / sizeof(edits[0]); i++)
    {
        const char *what = edits[i].name;

        game_folder(folder, "resources", brand.exe, true);
        path_join(exe, folder, brand.exe);
        if (edits[i].edit == NO_DIALOG)
            ok(rename_dialog(exe), "%s: could not rename DLG_MASTER in the copy\n", what);
        else
        {
            update = BeginUpdateResourceA(exe, FALSE);
            size = make_string_block(block, edits[i].edit == OTHER_BITMAP ? "other" : "");
            ok(UpdateResourceA(update, RT_STRING, MAKEINTRESOURCEA(8), MAKELANGID(LANG_ENGLISH, SUBLANG_NEUTRAL),
                               block, size), "%s: UpdateResource failed, error %lu\n", what, GetLastError());
            if (edits[i].edit == OTHER_BITMAP)
            {
                size = make_dib(dib, 48, 32, 12);
                ok(UpdateResourceA(update, RT_BITMAP, "OTHER", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), dib,
                                   size), "%s: UpdateResource failed, error %lu\n", what, GetLastError());
            }
            ok(EndUpdateResourceA(update, FALSE), "%s: EndUpdateResource failed, error %lu\n", what,
               GetLastError());
        }

        if (edits[i].edit == NO_DIALOG)
        {
            if (!start(&l, exe, folder))
                continue;
            code = wait_exit(&l, EXIT_TIMEOUT);
            ok(code == 0, "%s: exit code %lx, expected 0\n", what, code);
            check_nothing_ran(&l, folder);
            finish(&l);
            continue;
        }

        if (!(dlg = launch(&l, exe, folder)))
            continue;
        HBITMAP bmp = (HBITMAP)SendDlgItemMessageA(dlg, 102, STM_GETIMAGE, IMAGE_BITMAP, 0);
        GetClientRect(GetDlgItem(dlg, 102), &rc);
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

/* Two brands side by side, each started first in turn: each guard refuses
 * only a second start of its own brand. */
static void test_brands(void)
{
    const Brand *pair[2] = { &brand, &other };
    char folder[2][MAX_PATH], exe[2][MAX_PATH];
    Launcher l[2], again;
    HWND dlg[2];
    DWORD code, pid;
    int count;

    for (int order = 0; order < 2; order++)
    {
        if (order)
            pair[0] = &other, pair[1] = &brand;
        for (int k = 0; k < 2; k++)
        {
            game_folder(folder[k], k ? "brands-second" : "brands-first", pair[k]->exe, true, pair[k]);
            path_join(exe[k], folder[k], pair[k]->exe);
            if (!(dlg[k] = launch(&l[k], exe[k], folder[k])))
                return;
        }
        for (int k = 0; k < 2; k++)
        {
            HWND marker = find_window(0, pair[k]->cls, &count);

            GetWindowThreadProcessId(marker, &pid);
            ok(count == 1 && pid == l[k].pi.dwProcessId, "%s: %d windows of class \"%s\", expected one of its own\n",
               pair[k]->exe, count, pair[k]->cls);
            if (!start(&again, exe[k], folder[k]))
                continue;
            code = wait_exit(&again, EXIT_TIMEOUT);
            ok(code == 0 && windows_created == 0, "second %s: exit code %lx and %d windows, expected 0 and none\n",
               pair[k]->exe, code, windows_created);
            finish(&again);
        }
        for (int k = 0; k < 2; k++)
        {
            answer(&l[k], dlg[k], VK_ESCAPE, pair[k]->exe);
            check_nothing_ran(&l[k], folder[k]);
            finish(&l[k]);
        }
    }
}

/* A brand's launcher started by someone else: its marker window's process
 * names the dialog, whatever its caption came out as. */
static HWND find_dialog(void)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < DIALOG_TIMEOUT; Sleep(50))
    {
        HWND marker = find_window(0, brand.cls), dlg;
        DWORD pid;

        GetWindowThreadProcessId(marker, &pid);
        if (marker && (dlg = find_window(pid, "#32770")) && IsWindowVisible(dlg))
            return dlg;
    }
    printf("no dialog of a launcher with the class \"%s\" appeared within %d ms\n", brand.cls, DIALOG_TIMEOUT);
    return NULL;
}

/* Checks a running launcher's texts as Wine draws them and says where the
 * dialog is, for a screenshot: "geometry WxH+X+Y". */
static int preview(void)
{
    ProbeResult res;
    WCHAR caption[256];
    RECT rc;
    HWND dlg;

    scenario = "preview";
    if (!(dlg = find_dialog()))
        return 1;
    Sleep(300);             /* let it draw before the screenshot */
    if (brand.shown->missing[0])
        printf("Wine cannot show \"%ls\" under code page %u; Windows shows them as written\n",
               brand.shown->missing, brand.shown->codepage);
    GetWindowTextW(dlg, caption, 256);
    if (!brand.shown->missing[0] && lstrcmpW(caption, brand.shown->text[CAPTION]))
        printf("the dialog shows the caption \"%ls\", expected \"%ls\"\n", caption, brand.shown->text[CAPTION]);
    if (probe(dlg, &res))
        check_fit(&res);
    UnhookWindowsHookEx(probe_hook);
    GetWindowRect(dlg, &rc);
    printf("geometry %ldx%ld+%ld+%ld\n", rc.right - rc.left, rc.bottom - rc.top, rc.left, rc.top);
    return failures ? 1 : 0;
}

/* Closes a launcher started by someone else, as a person would: Esc. */
static int close_launcher(void)
{
    HWND dlg = find_dialog();

    if (dlg)
        key(dlg, VK_ESCAPE);
    return dlg ? 0 : 1;
}

/* A brand whose Play starts a program by a command line: from the game's
 * folder, though a program of that name lies in the folder it was started
 * from; in this locale's language, with the brand's icon. */
static void test_edition(void)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH], expected[1024], *got;
    ProbeResult res;
    Launcher l;
    HWND dlg;

    game_folder(folder, "edition", brand.exe, true);
    work_folder(elsewhere, "edition-cwd");
    put_game(elsewhere, &brand);
    path_join(exe, folder, brand.exe);
    if (!(dlg = launch(&l, exe, elsewhere)))
        return;
    check_texts(dlg);
    /* Wine answers WM_GETICON only from inside the launcher's process. */
    if (probe(dlg, &res))
        ok(res.icon != NULL, "the dialog has no icon, expected the brand's\n");
    answer(&l, dlg, VK_RETURN, "Play");
    probe_final(&res);
    if ((got = check_game_ran(folder, folder)))
    {
        snprintf(expected, sizeof(expected), "%s\r\n%s\\%s\r\n%s", folder, folder, brand.program, brand.game);
        ok(!lstrcmpiA(got, expected), "the game wrote \"%s\", expected \"%s\"\n", got, expected);
    }
    path_join(ran, elsewhere, "ran.txt");
    ok(!file_exists(ran), "the program in the start folder ran\n");
    finish(&l);
}

static const struct
{
    const char *name;
    void (*run)(void);
} scenarios[] = {
    { "dialog", test_dialog },
    { "input", test_input },
    { "places", test_places },
    { "cp932", test_cp932 },
    { "guard", test_guard },
    { "resources", test_resources },
    { "brands", test_brands },
    { "edition", test_edition },
};

int main(int argc, char **argv)
{
    char *slash;

    GetModuleFileNameA(NULL, bindir, sizeof(bindir));
    if ((slash = strrchr(bindir, '\\')))
        *slash = 0;
    if (argc < 3 || argc > 4)
    {
        printf("usage: driver <scenario>|preview|close <brand>[:<tag>] [<other brand>]\n");
        return 2;
    }
    if (!load_brand(&brand, argv[2]) || (argc == 4 && !load_brand(&other, argv[3])))
    {
        printf("cannot read the brand %s or %s beside the driver\n", argv[2], argc == 4 ? argv[3] : "-");
        return 2;
    }
    if (!strcmp(argv[1], "close"))
        return close_launcher();
    if (!strcmp(argv[1], "preview"))
        return preview();

    for (unsigned i = 0; i < sizeof(scenarios) / sizeof(scenarios[0]); i++)
    {
        if (strcmp(argv[1], scenarios[i].name))
            continue;
        scenario = argv[1];
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, NULL, on_create, 0, 0, WINEVENT_OUTOFCONTEXT);
        if (find_window(0, brand.cls))
        {
            printf("%s: a launcher is already running; scenarios must run one at a time\n", scenario);
            return 1;
        }
        scenarios[i].run();
        printf("%s (%s): %d checks, %d failures\n", scenario, brand.exe, passes + failures, failures);
        return failures ? 1 : 0;
    }
    printf("no scenario %s\n", argv[1]);
    return 2;
}
