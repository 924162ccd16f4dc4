/* What the programs and DLLs that run beside a launcher under Wine share (the
 * preview's, the test driver, the benchmark and the DLLs they hook into a
 * launcher): finding a process's top-level windows, and a DLL's report
 * written beside it. */

#ifndef HARNESS_H
#define HARNESS_H

#include <windows.h>

#include <string.h>

/* How long a launcher may take under Wine to show its dialog, to end once
 * answered, and to answer a DLL hooked into it, in ms: long enough for a cold
 * Wine. */
enum { DIALOG_TIMEOUT = 20000, EXIT_TIMEOUT = 10000, HOOK_TIMEOUT = 5000 };

/* A button's edges, inside which its label lies; and the title bar beside its
 * caption: the close button and, where the dialog has one, the icon, each with
 * its margin. The brand kit lays dialogs out by these figures at 96 DPI
 * (brand.py's BUTTON_EDGES, CAPTION_BUTTON and ICON, which the build record
 * carries as metrics), and the preview holds it to them. */
static inline int button_edges(void)
{
    return 2 * (GetSystemMetrics(SM_CXEDGE) + 1);
}

static inline int caption_beside(bool icon)
{
    return GetSystemMetrics(SM_CXSIZE) + 4 + (icon ? GetSystemMetrics(SM_CXSMICON) + 2 : 0);
}

struct FindTop
{
    DWORD pid;              /* 0: any process */
    const char *cls;
    bool visible;           /* only visible windows */
    HWND found;             /* the first */
    int count;
};

static BOOL CALLBACK find_top_proc(HWND hwnd, LPARAM lparam)
{
    FindTop *f = (FindTop *)lparam;
    char cls[256];
    DWORD pid;

    GetWindowThreadProcessId(hwnd, &pid);
    GetClassNameA(hwnd, cls, sizeof(cls));
    if ((!f->pid || pid == f->pid) && !strcmp(cls, f->cls) && (!f->visible || IsWindowVisible(hwnd)))
    {
        if (!f->found)
            f->found = hwnd;
        f->count++;
    }
    return TRUE;
}

/* The first top-level window of a class, of one process or of all (pid 0),
 * and how many there are. */
static inline HWND find_top(DWORD pid, const char *cls, bool visible, int *count = NULL)
{
    FindTop f = { pid, cls, visible, NULL, 0 };

    EnumWindows(find_top_proc, (LPARAM)&f);
    if (count)
        *count = f.count;
    return f.found;
}

/* Writes a DLL's report into the file `name` beside the DLL that holds `code`,
 * where the program that hooked it in reads it. */
static inline void save_beside(const void *code, const char *name, const void *data, DWORD size)
{
    char path[MAX_PATH], *slash;
    HMODULE self;
    HANDLE file;
    DWORD written;

    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, (LPCSTR)code, &self);
    GetModuleFileNameA(self, path, sizeof(path));
    if ((slash = strrchr(path, '\\')))
        strcpy(slash + 1, name);
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    WriteFile(file, data, size, &written, NULL);
    CloseHandle(file);
}

#endif
