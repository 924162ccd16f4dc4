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
#include "probe.h"

/* Every check counts; a failed one prints its file and line and what it got. */
#define ok(cond, ...) ok_(__FILE__, __LINE__, (cond), __VA_ARGS__)
bool ok_(const char *file, int line, bool cond, const char *fmt, ...);

extern const char *scenario;
extern int failures, passes;
extern Record brand, other;             /* the launcher under test, and a second one */
extern char bindir[MAX_PATH];           /* where the driver and the launchers lie */
enum { DIALOG_TIMEOUT = 20000, EXIT_TIMEOUT = 10000, GAME_TIMEOUT = 20000, SETTLE = 1000 };
/* The tests' GAME.BAT: it writes to ran.txt, in the folder it runs in, that folder
 * and the architecture of the cmd that runs it (x86 for a 32-bit one, on any Windows). */
#define GAME_BAT "@echo off\r\ncd > ran.tmp\r\necho arch %PROCESSOR_ARCHITECTURE% >> ran.tmp\r\nren ran.tmp ran.txt\r\n"

/* Files and folders */
void path_join(char *out, const char *dir, const char *name);
bool file_exists(const char *path);
void write_file(const char *path, const char *text);
bool read_file(const char *path, char *buf, int size);
void work_folder(char *out, const char *name);
void put_game(const char *folder, const Record *b);
void game_folder(char *out, const char *name, const char *exe_name, bool with_game, const Record *b = &brand);
void listing(const char *dir, char *out, int size);

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
bool start(Launcher *l, const char *cmdline, const char *cwd, bool suspended = false);
bool start_w(Launcher *l, const WCHAR *cmdline, const WCHAR *cwd, bool suspended = false);
DWORD wait_exit(Launcher *l, DWORD timeout);
DWORD job_processes(Launcher *l);
void finish(Launcher *l);
HWND launch(Launcher *l, const char *exe, const char *cwd);
char *check_game_ran(const char *folder, const char *expected_cwd);
void check_nothing_ran(Launcher *l, const char *folder);

/* Windows */
HWND find_window(DWORD pid, const char *cls, int *count = NULL);
HWND wait_dialog(Launcher *l);
bool wait_file(const char *path, DWORD timeout);
bool wait_file_w(const WCHAR *path, DWORD timeout);
void check_texts(HWND dlg);

/* Real input */
HWND focus(Launcher *l);
void click(HWND hwnd);
void key(HWND dlg, BYTE vk, BYTE modifier = 0);
void answer(Launcher *l, HWND dlg, BYTE vk, const char *what);

/* The probe inside the launcher */
bool probe(HWND dlg, ProbeResult *res);
void probe_final(ProbeResult *res);

/* The scenarios, one family a file */
void test_dialog(void);
void test_input(void);
void test_places(void);
void test_cp932(void);
void test_guard(void);
void test_resources(void);
void test_brands(void);
void test_edition(void);
void test_modern(void);
void test_gamepad(void);
