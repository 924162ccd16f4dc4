/*
 * Test driver for the launcher: runs under Wine beside dinstall.exe, starts
 * copies of it in folders of its own, finds and operates the dialog through
 * the Win32 API with real keyboard and mouse input, and checks the outcome.
 *
 *   driver <scenario>      runs one scenario; exit code 0 when all its checks pass
 *   driver close           presses Esc in a running launcher's dialog (for ./run)
 */

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

static const char *scenario;
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
    printf("driver.cpp:%d: %s: Test failed: ", line, scenario);
    va_start(ap, fmt);
    vprintf(fmt, ap);
    va_end(ap);
    fflush(stdout);
    return false;
}

static const char APP_CLASS[] = "Tolvar GrandPeaks";
static const char CAPTION[] = "Quendle Arts - Tolvar Grand Peaks";
enum { DIALOG_TIMEOUT = 20000, EXIT_TIMEOUT = 10000, GAME_TIMEOUT = 20000 };

static char bindir[MAX_PATH];           /* where the driver and dinstall.exe lie */

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
    while (n > 0 && (buf[n - 1] == '\r' || buf[n - 1] == '\n' || buf[n - 1] == ' '))
        buf[--n] = 0;
    return true;
}

static void remove_tree(const char *dir)
{
    char pattern[MAX_PATH], path[MAX_PATH];
    WIN32_FIND_DATAA fd;
    HANDLE h;

    path_join(pattern, dir, "*");
    if ((h = FindFirstFileA(pattern, &fd)) != INVALID_HANDLE_VALUE)
    {
        do
        {
            if (!strcmp(fd.cFileName, ".") || !strcmp(fd.cFileName, ".."))
                continue;
            path_join(path, dir, fd.cFileName);
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(path);
            else
                DeleteFileA(path);
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryA(dir);
}

/* A fresh folder under work\ named after the scenario. */
static void work_folder(char *out, const char *name)
{
    char work[MAX_PATH];

    path_join(work, bindir, "work");
    CreateDirectoryA(work, NULL);
    path_join(out, work, name);
    remove_tree(out);
    CreateDirectoryA(out, NULL);
}

/* A game folder: the launcher and, if asked, a GAME.BAT that writes its
 * current directory into ran.txt there. */
static void game_folder(char *out, const char *name, const char *exe_name, bool with_bat)
{
    char src[MAX_PATH], dst[MAX_PATH];

    work_folder(out, name);
    path_join(src, bindir, "dinstall.exe");
    path_join(dst, out, exe_name);
    ok(CopyFileA(src, dst, FALSE), "copying %s to %s failed, error %lu\n", src, dst, GetLastError());
    if (with_bat)
    {
        path_join(dst, out, "GAME.BAT");
        write_file(dst, "@echo off\r\ncd > ran.txt\r\n");
    }
}

/* ---- the launcher as a process ---- */

struct Launcher
{
    PROCESS_INFORMATION pi;
    HANDLE job;             /* holds the launcher and all it starts */
};

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

    if (!ok(CreateProcessA(NULL, cmd, NULL, NULL, FALSE, CREATE_SUSPENDED, NULL, cwd, &si, &l->pi),
            "CreateProcess(%s) failed, error %lu\n", cmdline, GetLastError()))
        return false;
    ok(AssignProcessToJobObject(l->job, l->pi.hProcess), "AssignProcessToJobObject failed, error %lu\n",
       GetLastError());
    ResumeThread(l->pi.hThread);
    return true;
}

/* Waits for the launcher to end; returns its exit code, or STILL_ACTIVE. */
static DWORD wait_exit(Launcher *l, DWORD timeout)
{
    DWORD code = STILL_ACTIVE;

    if (!l->pi.hProcess)
        return code;
    WaitForSingleObject(l->pi.hProcess, timeout);
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

/* ---- real input ---- */

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

/* ---- scenarios ---- */

static void check_control(HWND dlg, HWND ctl, int id, const char *cls, const char *text)
{
    char got[128];

    if (!ok(ctl != NULL, "no control where id %d was expected\n", id))
        return;
    ok(GetDlgCtrlID(ctl) == id, "control id %d, expected %d\n", GetDlgCtrlID(ctl), id);
    GetClassNameA(ctl, got, sizeof(got));
    ok(!lstrcmpiA(got, cls), "control %d class \"%s\", expected \"%s\"\n", id, got, cls);
    GetWindowTextA(ctl, got, sizeof(got));
    ok(!strcmp(got, text), "control %d text \"%s\", expected \"%s\"\n", id, got, text);
    ok(IsWindowVisible(ctl), "control %d is not visible\n", id);
}

/* The dialog as it opens, the marker window, a refused second start, and Cancel. */
static void test_dialog(void)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH], text[128];
    Launcher first, second;
    HWND dlg, marker, ctl;
    RECT rc;
    int count;
    DWORD pid, code;

    game_folder(folder, "dialog", "dinstall.exe", true);
    work_folder(elsewhere, "dialog-cwd");
    path_join(exe, folder, "dinstall.exe");
    if (!start(&first, exe, elsewhere))
        return;
    dlg = wait_dialog(&first);
    if (!ok(dlg != NULL, "no dialog within %d ms\n", DIALOG_TIMEOUT))
    {
        finish(&first);
        return;
    }

    GetWindowTextA(dlg, text, sizeof(text));
    ok(!strcmp(text, CAPTION), "caption \"%s\", expected \"%s\"\n", text, CAPTION);
    ctl = GetWindow(dlg, GW_CHILD);
    check_control(dlg, ctl, IDOK, "Button", "Play");
    ctl = GetWindow(ctl, GW_HWNDNEXT);
    check_control(dlg, ctl, IDCANCEL, "Button", "Cancel");
    ctl = GetWindow(ctl, GW_HWNDNEXT);
    check_control(dlg, ctl, 103, "Static", "Do you wish to");
    ctl = GetWindow(ctl, GW_HWNDNEXT);
    check_control(dlg, ctl, 104, "Static", "play Tolvar Grand Peaks?");
    ctl = GetWindow(ctl, GW_HWNDNEXT);
    check_control(dlg, ctl, 102, "Static", "");
    ctl = GetWindow(ctl, GW_HWNDNEXT);
    ok(ctl == NULL, "a sixth control %p\n", ctl);

    ctl = GetDlgItem(dlg, 102);
    ok(SendMessageA(ctl, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0, "the picture control holds no bitmap\n");
    GetClientRect(ctl, &rc);
    ok(rc.right == 90 && rc.bottom == 90, "picture is %ldx%ld, expected 90x90\n", rc.right, rc.bottom);

    marker = find_window(0, APP_CLASS, &count);
    ok(count == 1, "%d windows of class \"%s\", expected 1\n", count, APP_CLASS);
    GetWindowThreadProcessId(marker, &pid);
    ok(pid == first.pi.dwProcessId, "marker window belongs to process %lx, expected %lx\n", pid,
       first.pi.dwProcessId);
    ok(!IsWindowVisible(marker), "marker window is visible\n");

    /* A second start while the dialog is up must end at once and add no window. */
    if (start(&second, exe, elsewhere))
    {
        code = wait_exit(&second, EXIT_TIMEOUT);
        ok(code == 0, "second start: exit code %lx, expected 0\n", code);
        ok(job_processes(&second) == 1, "second start: %lu processes, expected 1\n", job_processes(&second));
        finish(&second);
    }
    find_window(0, "#32770", &count);
    ok(count == 1, "%d dialogs after a second start, expected 1\n", count);
    find_window(0, APP_CLASS, &count);
    ok(count == 1, "%d marker windows after a second start, expected 1\n", count);

    click(GetDlgItem(dlg, IDCANCEL));
    code = wait_exit(&first, EXIT_TIMEOUT);
    ok(code == 0, "Cancel: exit code %lx, expected 0\n", code);
    ok(job_processes(&first) == 1, "Cancel: %lu processes ran, expected 1\n", job_processes(&first));
    path_join(ran, folder, "ran.txt");
    ok(!file_exists(ran), "Cancel ran GAME.BAT\n");
    finish(&first);
}

/* Play from a launcher started in another current directory runs the
 * GAME.BAT of the launcher's folder, in that folder. */
static void test_play(void)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH], cwd[MAX_PATH];
    Launcher l;
    HWND dlg;
    DWORD code;

    game_folder(folder, "play", "dinstall.exe", true);
    work_folder(elsewhere, "play-cwd");
    path_join(exe, folder, "dinstall.exe");
    if (!start(&l, exe, elsewhere))
        return;
    dlg = wait_dialog(&l);
    if (ok(dlg != NULL, "no dialog within %d ms\n", DIALOG_TIMEOUT))
    {
        click(GetDlgItem(dlg, IDOK));
        code = wait_exit(&l, EXIT_TIMEOUT);
        ok(code == 0, "Play: exit code %lx, expected 0\n", code);
        path_join(ran, folder, "ran.txt");
        ok(wait_file(ran, GAME_TIMEOUT), "GAME.BAT did not run in %s\n", folder);
        read_file(ran, cwd, sizeof(cwd));
        ok(!lstrcmpiA(cwd, folder), "GAME.BAT ran in \"%s\", expected \"%s\"\n", cwd, folder);
        path_join(ran, elsewhere, "ran.txt");
        ok(!file_exists(ran), "GAME.BAT wrote into the start directory\n");
        ok(job_processes(&l) >= 2, "Play: %lu processes, expected the launcher and GAME.BAT\n",
           job_processes(&l));
    }
    finish(&l);
}

static const struct
{
    const char *name;
    void (*run)(void);
} scenarios[] = {
    { "dialog", test_dialog },
    { "play", test_play },
};

/* Closes a launcher started by someone else, as a person would: Esc. */
static int close_launcher(void)
{
    HWND dlg = NULL;

    for (DWORD start = GetTickCount(); !dlg && GetTickCount() - start < DIALOG_TIMEOUT; Sleep(50))
        dlg = FindWindowA("#32770", CAPTION);
    if (!dlg)
    {
        printf("close: no launcher dialog found\n");
        return 1;
    }
    SetForegroundWindow(dlg);
    keybd_event(VK_ESCAPE, 0, 0, 0);
    keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
    return 0;
}

int main(int argc, char **argv)
{
    char *slash;

    if (argc == 2 && !strcmp(argv[1], "close"))
        return close_launcher();

    GetModuleFileNameA(NULL, bindir, sizeof(bindir));
    if ((slash = strrchr(bindir, '\\')))
        *slash = 0;

    for (unsigned i = 0; argc == 2 && i < sizeof(scenarios) / sizeof(scenarios[0]); i++)
    {
        if (strcmp(argv[1], scenarios[i].name))
            continue;
        scenario = argv[1];
        if (find_window(0, APP_CLASS))
        {
            printf("%s: a launcher is already running; scenarios must run one at a time\n", scenario);
            return 1;
        }
        scenarios[i].run();
        printf("%s: %d checks, %d failures\n", scenario, passes + failures, failures);
        return failures ? 1 : 0;
    }
    printf("usage: driver <scenario>\n");
    return 2;
}
