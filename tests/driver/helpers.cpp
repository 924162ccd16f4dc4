/* The test driver's shared helpers: files and folders, the launcher as a
 * process, its windows, real input, and the probe inside it. */

#include "driver.h"

const char *scenario = "";
int failures, passes;
Record brand, other;
char bindir[MAX_PATH];

bool ok_(const char *file, int line, bool cond, const char *fmt, ...)
{
    const char *name = file;
    va_list ap;

    if (cond)
    {
        passes++;
        return true;
    }
    failures++;
    for (const char *p = file; *p; p++)
        if (*p == '/' || *p == '\\')
            name = p + 1;
    printf("%s:%d: %s: Test failed: ", name, line, scenario);
    va_start(ap, fmt);
    vprintf(fmt, ap);
    va_end(ap);
    fflush(stdout);
    return false;
}

/* ---- files and folders ---- */

void path_join(char *out, const char *dir, const char *name)
{
    snprintf(out, MAX_PATH, "%s\\%s", dir, name);
}

bool file_exists(const char *path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

void write_file(const char *path, const char *text)
{
    FILE *f = fopen(path, "wb");
    if (f)
    {
        fputs(text, f);
        fclose(f);
    }
}

bool read_file(const char *path, char *buf, int size)
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
void remove_tree(const WCHAR *dir)
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
void work_folder(char *out, const char *name)
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

/* Whether cmd runs the program: a batch file, GAME.BAT or another. */
bool is_batch(const char *program)
{
    const char *dot = strrchr(program, '.');

    return dot && (!lstrcmpiA(dot, ".bat") || !lstrcmpiA(dot, ".cmd"));
}

/* Puts the brand's game into a folder: for a batch file, GAME_BAT under its
 * name, which writes its current directory into ran.txt there, or, for a
 * brand that starts a program, game.exe under that program's name, which
 * also writes where it lies and its command line. */
void put_game_(const char *file, int line, const char *folder, const Record *b)
{
    char src[MAX_PATH], dst[MAX_PATH];

    path_join(dst, folder, b->program);
    if (is_batch(b->program))
        write_file(dst, GAME_BAT);
    else
    {
        path_join(src, bindir, "game.exe");
        ok_(file, line, CopyFileA(src, dst, FALSE), "copying %s to %s failed, error %lu\n", src, dst, GetLastError());
    }
}

/* A game folder: the launcher and, if asked, the brand's game. */
void game_folder_(const char *file, int line, char *out, const char *name, const char *exe_name, bool with_game,
                  const Record *b)
{
    char src[MAX_PATH], dst[MAX_PATH];

    work_folder(out, name);
    path_join(src, bindir, b->exe);
    path_join(dst, out, exe_name);
    ok_(file, line, CopyFileA(src, dst, FALSE), "copying %s to %s failed, error %lu\n", src, dst, GetLastError());
    if (with_game)
        put_game_(file, line, out, b);
}

/* ---- the launcher as a process ---- */

bool marker_seen_visible;               /* any launcher's marker window, at any poll */
static DWORD watched_thread;            /* windows this thread creates are counted */
int windows_created;

void CALLBACK on_create(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child,
                             DWORD thread, DWORD time)
{
    if (object == OBJID_WINDOW && thread == watched_thread)
        windows_created++;
}

/* Runs between waits: keeps our window events flowing and watches the marker. */
void poll(void)
{
    HWND marker = NULL;
    MSG msg;

    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
    while ((marker = FindWindowExA(NULL, marker, brand.cls, NULL)))
        if (IsWindowVisible(marker))
            marker_seen_visible = true;
}

bool start_(const char *file, int line, Launcher *l, const char *cmdline, const char *cwd, bool suspended)
{
    WCHAR wide_cmdline[1024], wide_cwd[MAX_PATH];

    MultiByteToWideChar(CP_ACP, 0, cmdline, -1, wide_cmdline, 1024);
    if (cwd)
        MultiByteToWideChar(CP_ACP, 0, cwd, -1, wide_cwd, MAX_PATH);
    return start_w_(file, line, l, wide_cmdline, cwd ? wide_cwd : NULL, suspended);
}

/* The same for a path that the ANSI code page may not hold. */
bool start_w_(const char *file, int line, Launcher *l, const WCHAR *cmdline, const WCHAR *cwd, bool suspended)
{
    STARTUPINFOW si;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limit;
    WCHAR cmd[1024];

    memset(l, 0, sizeof(*l));
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    lstrcpynW(cmd, cmdline, 1024);

    l->job = CreateJobObjectA(NULL, NULL);
    memset(&limit, 0, sizeof(limit));
    limit.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(l->job, JobObjectExtendedLimitInformation, &limit, sizeof(limit));

    /* Named as the application too: Wine then takes a relative name that
     * resolves to more than MAX_PATH characters. */
    if (!ok_(file, line, CreateProcessW(cmdline, cmd, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, cwd, &si, &l->pi),
            "CreateProcess(%ls) failed, error %lu\n", cmdline, GetLastError()))
        return false;
    ok_(file, line, AssignProcessToJobObject(l->job, l->pi.hProcess), "AssignProcessToJobObject failed, error %lu\n",
       GetLastError());
    watched_thread = l->pi.dwThreadId;
    windows_created = 0;
    if (!suspended)
        ResumeThread(l->pi.hThread);
    return true;
}

/* Waits for the launcher to end; returns its exit code, or STILL_ACTIVE. */
DWORD wait_exit(Launcher *l, DWORD timeout)
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
DWORD job_processes(Launcher *l)
{
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;

    memset(&info, 0, sizeof(info));
    QueryInformationJobObject(l->job, JobObjectBasicAccountingInformation, &info, sizeof(info), NULL);
    return info.TotalProcesses;
}

/* Ends the launcher and everything it started, whatever state it is in. */
void finish(Launcher *l)
{
    if (l->job)
    {
        TerminateJobObject(l->job, 1);
        if (l->pi.hProcess)
            WaitForSingleObject(l->pi.hProcess, EXIT_TIMEOUT);
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

/* Top-level windows of a class, of one process or of all (pid 0). */
HWND find_window(DWORD pid, const char *cls, int *count)
{
    return find_top(pid, cls, false, count);
}

HWND wait_dialog(Launcher *l)
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

bool wait_file(const char *path, DWORD timeout)
{
    WCHAR wide[MAX_PATH];

    MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH);
    return wait_file_w(wide, timeout);
}

bool wait_file_w(const WCHAR *path, DWORD timeout)
{
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeout; Sleep(50))
        if (GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES)
        {
            Sleep(200);     /* game.exe writes ran.txt in place: let it finish (GAME.BAT renames it whole) */
            return true;
        }
    return false;
}

/* Starts the launcher and waits for its dialog; on failure ends it and returns NULL. */
HWND launch_(const char *file, int line, Launcher *l, const char *exe, const char *cwd)
{
    HWND dlg;

    if (!start_(file, line, l, exe, cwd, false))
        return NULL;
    dlg = wait_dialog(l);
    /* a launcher that ends at once found another's window or guard: say so, and whether a window is up */
    if (!dlg && WaitForSingleObject(l->pi.hProcess, 0) == WAIT_OBJECT_0)
    {
        int others = 0;

        find_window(0, brand.cls, &others);
        ok_(file, line, false, "%s: ended with exit code %#lx before it showed a dialog, with %d window(s) of its "
            "class up\n", exe, wait_exit(l, 0), others);
    }
    else
        ok_(file, line, dlg != NULL, "%s: no dialog within %d ms\n", exe, DIALOG_TIMEOUT);
    if (!dlg)
        finish(l);
    return dlg;
}

/* After Play: the game ran in the expected folder, with that folder current.
 * Returns what it wrote there: its current directory, and for game.exe, its
 * own path and command line, a line each. */
char *check_game_ran_(const char *file, int line, const char *folder, const char *expected_cwd)
{
    static char text[1024];
    char ran[MAX_PATH], args[MAX_PATH];

    path_join(ran, folder, "ran.txt");
    if (!ok_(file, line, wait_file(ran, GAME_TIMEOUT), "%s did not run in %s\n", brand.program, folder))
        return NULL;
    read_file(ran, text, sizeof(text));
    ok_(file, line, !_strnicmp(text, expected_cwd, strlen(expected_cwd)) && strchr("\r\n", text[strlen(expected_cwd)]),
       "%s ran in \"%.*s\", expected \"%s\"\n", brand.program, (int)strcspn(text, "\r\n"), text,
       expected_cwd);
    /* 64-bit Windows runs a 32-bit program's batch in its 32-bit cmd */
    if (is_batch(brand.program))
        ok_(file, line, strstr(text, "\narch x86") != NULL, "%s ran under \"%s\", expected arch x86\n", brand.program,
            text);
    else
    {
        /* however it was started, the game reads the arguments the build split */
        path_join(ran, folder, "args.txt");
        read_file(ran, args, sizeof(args));
        ok_(file, line, !strcmp(args, brand.argv), "the game read the arguments \"%s\", expected \"%s\"\n", args,
            brand.argv);
    }
    return text;
}

/* After Cancel and the like: the launcher started nothing. */
void check_nothing_ran_(const char *file, int line, Launcher *l, const char *folder)
{
    char ran[MAX_PATH];

    ok_(file, line, job_processes(l) == 1, "%lu processes in the launcher's job, expected 1\n", job_processes(l));
    path_join(ran, folder, "ran.txt");
    ok_(file, line, !file_exists(ran), "%s ran\n", brand.program);
}

/* ---- a message box over the dialog ---- */

/* A window of the launcher's over its dialog: a message box. */
HWND box_over(HWND dlg)
{
    HWND w = NULL;

    while ((w = FindWindowExA(NULL, w, "#32770", NULL)))
        if (GetWindow(w, GW_OWNER) == dlg && IsWindowVisible(w))
            return w;
    return NULL;
}

HWND wait_box(HWND dlg)
{
    HWND box = NULL;

    for (DWORD start = GetTickCount(); !box && GetTickCount() - start < DIALOG_TIMEOUT; Sleep(50))
        box = box_over(dlg);
    return box;
}

/* A message box's texts, all its static controls' in turn. */
void box_text(HWND box, WCHAR *out, int size)
{
    WCHAR cls[16];
    int n = 0;

    out[0] = 0;
    for (HWND c = GetWindow(box, GW_CHILD); c && n < size - 1; c = GetWindow(c, GW_HWNDNEXT))
    {
        GetClassNameW(c, cls, 16);
        if (!lstrcmpiW(cls, L"Static"))
            n += GetWindowTextW(c, out + n, size - n);
    }
}

/* ---- real input ---- */

HWND focus(Launcher *l)
{
    GUITHREADINFO info;

    memset(&info, 0, sizeof(info));
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(l->pi.dwThreadId, &info);
    return info.hwndFocus;
}

void click(HWND hwnd)
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

void key(HWND dlg, BYTE vk, BYTE modifier)
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
void answer_(const char *file, int line, Launcher *l, HWND dlg, BYTE vk, const char *what)
{
    DWORD code;

    key(dlg, vk);
    code = wait_exit(l, EXIT_TIMEOUT);
    ok_(file, line, code == 0, "%s: exit code %lx, expected 0\n", what, code);
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
bool probe_(const char *file, int line, HWND dlg, ProbeResult *res)
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
    if (!ok_(file, line, proc != NULL, "no ProbeHook in %s\n", path))
        return false;
    probe_hook = SetWindowsHookExA(WH_CALLWNDPROC, proc, dll, thread);
    if (!ok_(file, line, probe_hook != NULL, "SetWindowsHookEx failed, error %lu\n", GetLastError()))
        return false;
    marker = find_window(pid, brand.cls);
    SendMessageTimeoutA(dlg, RegisterWindowMessageA(PROBE_MESSAGE), (WPARAM)marker, 0, SMTO_ABORTIFHUNG, HOOK_TIMEOUT, NULL);

    return ok_(file, line, read_probe(res) && res->probed, "the probe did not report from inside the launcher\n");
}

/* Where a brand's picture is transparent (its corner, in the tests' emblem),
 * the dialog's own face colour shows, not the 16 colours' light gray. */
void check_corner_(const char *file, int line, const ProbeResult *res)
{
    if (brand.transparent)
        ok_(file, line, res->corner == res->face, "the picture's transparent corner is %06lx, expected the "
            "dialog's face %06lx\n", res->corner, res->face);
}

/* What the probe recorded last, after the dialog has gone. */
void probe_final(ProbeResult *res)
{
    UnhookWindowsHookEx(probe_hook);
    read_probe(res);
}


/* The names, sizes and times of a folder's files, to tell whether anything was written. */
void listing(const char *dir, char *out, int size)
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

/* The dialog's texts are those of the brand's dialog for this locale. */
void check_texts_(const char *file, int line, HWND dlg)
{
    WCHAR text[TEXT_BUFFER];

    for (int i = 0; i < TEXTS; i++)
    {
        if (i)
            GetDlgItemTextW(dlg, text_ids[i], text, TEXT_BUFFER);
        else
            GetWindowTextW(dlg, text, TEXT_BUFFER);
        ok_(file, line, !lstrcmpW(text, brand.shown->text[i]), "%s \"%ls\", expected \"%ls\"\n", text_names[i], text,
           brand.shown->text[i]);
    }
}
