/*
 * Benchmark of the launcher against minimal programs, run under Wine beside
 * them: a start refused by the guard, start until the dialog is visible, and
 * peak memory with the dialog up. Prints medians and ratios.
 */

#include <windows.h>
#include <psapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "harness.h"

enum { RUNS = 31, SETTLE_MS = 150 };

static char bindir[MAX_PATH];
static LARGE_INTEGER freq;

static double now_ms(void)
{
    LARGE_INTEGER t;

    QueryPerformanceCounter(&t);
    return t.QuadPart * 1000.0 / freq.QuadPart;
}

static bool spawn(const char *name, PROCESS_INFORMATION *pi)
{
    STARTUPINFOA si;
    char path[MAX_PATH];

    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    snprintf(path, sizeof(path), "%s\\%s", bindir, name);
    if (CreateProcessA(path, path, NULL, NULL, FALSE, 0, NULL, bindir, &si, pi))
        return true;
    fprintf(stderr, "cannot start %s, error %lu\n", path, GetLastError());
    exit(1);
}

static void end(PROCESS_INFORMATION *pi)
{
    if (WaitForSingleObject(pi->hProcess, EXIT_TIMEOUT) != WAIT_OBJECT_0)
    {
        fprintf(stderr, "a benchmarked program did not end\n");
        TerminateProcess(pi->hProcess, 1);
        exit(1);
    }
    CloseHandle(pi->hProcess);
    CloseHandle(pi->hThread);
    /* Wine goes on tearing a process down after its handle is signalled; a
     * start during that teardown would be charged for it. */
    Sleep(SETTLE_MS);
}

/* Milliseconds from CreateProcess to the end of the process. */
static double time_to_exit(const char *name)
{
    PROCESS_INFORMATION pi;
    double t0 = now_ms();

    spawn(name, &pi);
    WaitForSingleObject(pi.hProcess, EXIT_TIMEOUT);
    double t = now_ms() - t0;
    end(&pi);
    return t;
}

/* Starts a program, waits until its dialog is visible, and leaves it up. */
static HWND open_dialog(const char *name, PROCESS_INFORMATION *pi, double *ms)
{
    double t0 = now_ms();
    HWND dlg;

    spawn(name, pi);
    while (!(dlg = find_top(pi->dwProcessId, "#32770", true)) && now_ms() - t0 < DIALOG_TIMEOUT)
        Sleep(1);
    *ms = now_ms() - t0;
    if (!dlg)
    {
        fprintf(stderr, "%s showed no dialog\n", name);
        TerminateProcess(pi->hProcess, 1);
        exit(1);
    }
    return dlg;
}

static void close_dialog(HWND dlg, PROCESS_INFORMATION *pi)
{
    PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    end(pi);
}

/* Start to visible dialog in ms, and the peak working set in KiB with it up. */
static void dialog_run(const char *name, double *ms, double *peak_kib)
{
    PROCESS_INFORMATION pi;
    PROCESS_MEMORY_COUNTERS pmc;
    HWND dlg = open_dialog(name, &pi, ms);

    pmc.cb = sizeof(pmc);
    GetProcessMemoryInfo(pi.hProcess, &pmc, sizeof(pmc));
    *peak_kib = pmc.PeakWorkingSetSize / 1024.0;
    close_dialog(dlg, &pi);
}

static int cmp(const void *a, const void *b)
{
    double x = *(const double *)a, y = *(const double *)b;
    return x < y ? -1 : x > y;
}

static double median(const double *v)
{
    double sorted[RUNS];

    memcpy(sorted, v, sizeof(sorted));
    qsort(sorted, RUNS, sizeof(*sorted), cmp);
    return sorted[RUNS / 2];
}

/* The ratio is the median of the ratios of runs taken side by side, which
 * drift in the machine's speed affects less than a ratio of medians. */
static void row(const char *what, const double *got, const double *base, const char *unit, double goal,
                const char *against)
{
    double ratios[RUNS], ratio;

    for (int i = 0; i < RUNS; i++)
        ratios[i] = got[i] / base[i];
    ratio = median(ratios);
    printf("| %-28s | %9.2f %-3s | %9.2f %-3s | %5.3f | <= %4.2f %-6s | %s\n", what, median(got), unit,
           median(base), unit, ratio, goal, ratio <= goal ? "met" : "MISSED", against);
}

int main(void)
{
    static double refused[RUNS], floor_[RUNS], empty[RUNS], dialog[RUNS], minimal[RUNS];
    static double peak[RUNS], peak_min[RUNS];
    PROCESS_INFORMATION holder;
    HWND first;
    double ms, kib;
    char *slash;

    QueryPerformanceFrequency(&freq);
    GetModuleFileNameA(NULL, bindir, sizeof(bindir));
    if ((slash = strrchr(bindir, '\\')))
        *slash = 0;

    /* Warm up Wine's caches so that the first runs are not the slowest. */
    for (int i = 0; i < 3; i++)
    {
        time_to_exit("bench_empty.exe");
        time_to_exit("bench_floor.exe");
        dialog_run(LAUNCHER_EXE, &ms, &kib);
        dialog_run("bench_dialog.exe", &ms, &kib);
    }

    /* (a) a running launcher holds the marker, so every further start is refused */
    first = open_dialog(LAUNCHER_EXE, &holder, &ms);
    /* in turn, each first as often as the others, so that none pays for the one before */
    for (int i = 0; i < RUNS; i++)
        for (int j = 0; j < 3; j++)
            switch ((i + j) % 3)
            {
            case 0: refused[i] = time_to_exit(LAUNCHER_EXE); break;
            case 1: floor_[i] = time_to_exit("bench_floor.exe"); break;
            case 2: empty[i] = time_to_exit("bench_empty.exe"); break;
            }
    close_dialog(first, &holder);

    /* (b) and (c), each first in every other pair */
    for (int i = 0; i < RUNS; i++)
        for (int j = 0; j < 2; j++)
            if ((i + j) % 2)
                dialog_run("bench_dialog.exe", &minimal[i], &peak_min[i]);
            else
                dialog_run(LAUNCHER_EXE, &dialog[i], &peak[i]);

    printf("Medians of %d runs under Wine.\n\n", RUNS);
    printf("| %-28s | %-13s | %-13s | %-5s | %-14s | %s\n", "measure", "launcher", "baseline", "ratio", "goal",
           "baseline");
    printf("|------------------------------|---------------|---------------|-------|----------------|---------\n");
    row("(a) start refused by guard", refused, floor_, "ms", 1.05, "FindWindowA and exit");
    row("(b) start to visible dialog", dialog, minimal, "ms", 1.10, "dialog only");
    row("(c) peak working set", peak, peak_min, "KiB", 1.10, "dialog only");
    printf("\nFor context, an empty program that returns at once: %.2f ms.\n", median(empty));
    return 0;
}
