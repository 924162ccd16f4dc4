/*
 * Test driver for the launcher: runs under Wine beside the built launchers,
 * starts copies of one in folders of its own, finds and operates the dialog
 * through the Win32 API with real keyboard and mouse input, and checks the
 * outcome against what the launcher's build record says.
 *
 *   driver <scenario> <record>[:<tag>] [<other record>]
 *          runs one scenario; exit code 0 when all its checks pass
 *
 * A record is the NAME.record.txt the build writes beside the launcher
 * (brand/FORMAT.md). The tag names the dialog that the locale the driver runs
 * under should show; without one, the brand's first.
 *
 * One file for each family of scenarios; this header holds what they share.
 */

#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <ctype.h>
#include <wchar.h>
#include "record.h"
#include "resource.h"
#include "harness.h"
#include "probe.h"

/* Every check counts; a failed one prints its file and line and what it got.
 * A helper that checks takes its caller's file and line, as name_(), and is
 * called through a macro name() that passes them. */
#define ok(cond, ...) ok_(__FILE__, __LINE__, (cond), __VA_ARGS__)
#define AT __FILE__, __LINE__
bool ok_(const char *file, int line, bool cond, const char *fmt, ...);

extern const char *scenario;
extern int failures, passes;
extern Record brand, other;             /* the launcher under test, and a second one */
extern char bindir[MAX_PATH];           /* where the driver and the launchers lie */
enum { GAME_TIMEOUT = 20000, SETTLE = 1000 };
/* The tests' GAME.BAT: it writes to ran.txt, in the folder it runs in, that folder
 * and the architecture of the cmd that runs it (x86 for a 32-bit one, on any Windows). */
#define GAME_BAT "@echo off\r\ncd > ran.tmp\r\necho arch %PROCESSOR_ARCHITECTURE% >> ran.tmp\r\nren ran.tmp ran.txt\r\n"

/* Files and folders */
void path_join(char *out, const char *dir, const char *name);
bool file_exists(const char *path);
void write_file(const char *path, const char *text);
bool read_file(const char *path, char *buf, int size);
void work_folder(char *out, const char *name);
bool is_batch(const char *program);
void put_game_(const char *file, int line, const char *folder, const Record *b);
#define put_game(...) put_game_(AT, __VA_ARGS__)
void game_folder_(const char *file, int line, char *out, const char *name, const char *exe_name, bool with_game,
                  const Record *b = &brand);
#define game_folder(...) game_folder_(AT, __VA_ARGS__)
void listing(const char *dir, char *out, int size);

/* A message box of the launcher's over its dialog: the one there, one within
 * DIALOG_TIMEOUT, or NULL; and its texts, all its static controls' in turn. */
HWND box_over(HWND dlg);
HWND wait_box(HWND dlg);
void box_text(HWND box, WCHAR *out, int size);

/* The launcher as a process */
struct Launcher
{
    PROCESS_INFORMATION pi;
    HANDLE job;             /* holds the launcher and all it starts */
};
extern bool marker_seen_visible;        /* any launcher's marker window, at any poll */
extern int windows_created;             /* by the launcher started last */
void CALLBACK on_create(HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG object, LONG child, DWORD thread,
                        DWORD time);
bool start_(const char *file, int line, Launcher *l, const char *cmdline, const char *cwd, bool suspended = false);
#define start(...) start_(AT, __VA_ARGS__)
bool start_w_(const char *file, int line, Launcher *l, const WCHAR *cmdline, const WCHAR *cwd, bool suspended = false);
#define start_w(...) start_w_(AT, __VA_ARGS__)
DWORD wait_exit(Launcher *l, DWORD timeout);
DWORD job_processes(Launcher *l);
void finish(Launcher *l);
HWND launch_(const char *file, int line, Launcher *l, const char *exe, const char *cwd);
#define launch(...) launch_(AT, __VA_ARGS__)
char *check_game_ran_(const char *file, int line, const char *folder, const char *expected_cwd);
#define check_game_ran(...) check_game_ran_(AT, __VA_ARGS__)
void check_nothing_ran_(const char *file, int line, Launcher *l, const char *folder);
#define check_nothing_ran(...) check_nothing_ran_(AT, __VA_ARGS__)

/* Windows */
HWND find_window(DWORD pid, const char *cls, int *count = NULL);
HWND wait_dialog(Launcher *l);
bool wait_file(const char *path, DWORD timeout);
bool wait_file_w(const WCHAR *path, DWORD timeout);
void check_texts_(const char *file, int line, HWND dlg);
#define check_texts(...) check_texts_(AT, __VA_ARGS__)

/* Real input */
HWND focus(Launcher *l);
void click(HWND hwnd);
void key(HWND dlg, BYTE vk, BYTE modifier = 0);
void answer_(const char *file, int line, Launcher *l, HWND dlg, BYTE vk, const char *what);
#define answer(...) answer_(AT, __VA_ARGS__)

/* The probe inside the launcher */
bool probe_(const char *file, int line, HWND dlg, ProbeResult *res);
#define probe(...) probe_(AT, __VA_ARGS__)
void probe_final(ProbeResult *res);
void check_corner_(const char *file, int line, const ProbeResult *res);
#define check_corner(...) check_corner_(AT, __VA_ARGS__)

/* The scenarios, one family a file, each defined once as SCENARIO(name) { ... },
 * which also makes it known to main() by that name. */
struct Scenario
{
    const char *name;
    void (*run)(void);
    Scenario *next;
    Scenario(const char *name, void (*run)(void));
};
extern Scenario *scenarios;
#define SCENARIO(name) \
    static void scenario_##name(void); \
    static Scenario registered_##name(#name, scenario_##name); \
    static void scenario_##name(void)
