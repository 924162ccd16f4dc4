/* A brand with languages, an icon and a game command line: the game started
 * directly, what the player is told when it cannot be, and a game that needs
 * administrator rights. */

#include "driver.h"

/* A second start while the game loads, which ends at once, starting nothing. */
static void second_start(const char *exe, const char *folder, const char *loaded)
{
    Launcher second;
    DWORD code;

    if (start(&second, exe, folder))
    {
        code = wait_exit(&second, EXIT_TIMEOUT);
        ok(code == 0, "a second start while the game loads: exit code %lx, expected 0\n", code);
        ok(windows_created == 0, "a second start while the game loads created %d windows, expected none\n",
           windows_created);
        ok(job_processes(&second) == 1, "a second start while the game loads started %lu processes\n",
           job_processes(&second) - 1);
        finish(&second);
    }
    ok(!file_exists(loaded), "the game had loaded before the second start; it should load for longer\n");
}

/* While the launcher waits for the game, it answers messages, so that no
 * broadcast waits on it. */
static void check_answers(Launcher *l, DWORD after)
{
    HWND marker = find_window(l->pi.dwProcessId, brand.cls);
    DWORD_PTR answer;

    ok(marker && SendMessageTimeoutA(marker, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, SETTLE, &answer),
       "%lu s after Play, the launcher's window did not answer within %d ms: it must pump its messages while it "
       "waits for the game\n", after / 1000, SETTLE);
}

/* Second starts early and late in the game's load (tests/game.cpp loads for
 * 8 s), the late one past any wait shorter than the game's: each ends at once
 * while the launcher waits on. */
static void second_starts(Launcher *l, DWORD played, const char *exe, const char *folder, const char *loaded)
{
    static const DWORD afters[] = { 2000, 6000 };

    for (DWORD after : afters)
    {
        while (GetTickCount() - played < after)
            Sleep(50);
        ok(wait_exit(l, 0) == STILL_ACTIVE, "the launcher ended %lu s after Play, before the game had loaded\n",
           after / 1000);
        check_answers(l, after);
        second_start(exe, folder, loaded);
    }
}

/* A brand whose Play starts a program by a command line: from the game's
 * folder, though a program of that name lies in the folder it was started
 * from; in this locale's language, with the brand's icon. The dialog goes at
 * once, but the launcher stays until the game, which loads for longer than
 * the checks below take (tests/game.cpp), waits for input, so that a second
 * start meanwhile ends at once. */
SCENARIO(edition)
{
    char folder[MAX_PATH], elsewhere[MAX_PATH], exe[MAX_PATH], ran[MAX_PATH], loaded[MAX_PATH], expected[1024];
    char *got;
    ProbeResult res;
    Launcher l;
    DWORD played, code;
    HWND dlg;

    game_folder(folder, "edition", brand.exe, true);
    work_folder(elsewhere, "edition-cwd");
    put_game(elsewhere, &brand);
    path_join(exe, folder, brand.exe);
    path_join(loaded, folder, "loaded.txt");
    if (!(dlg = launch(&l, exe, elsewhere)))
        return;
    check_texts(dlg);
    /* Wine answers WM_GETICON only from inside the launcher's process. */
    if (probe(dlg, &res))
        ok(res.icon != NULL, "the dialog has no icon, expected the brand's\n");
    key(dlg, VK_RETURN);
    played = GetTickCount();
    while (IsWindow(dlg) && GetTickCount() - played < 1000)
        Sleep(20);
    ok(!IsWindow(dlg), "the dialog was still there 1 s after Play\n");

    second_starts(&l, played, exe, folder, loaded);

    if (ok(wait_file(loaded, GAME_TIMEOUT), "the game did not load within %d ms\n", GAME_TIMEOUT))
    {
        code = wait_exit(&l, 2000);
        ok(code == 0, "2 s after the game was up: the launcher's exit code %lx, expected 0 (%lx: still running)\n",
           code, STILL_ACTIVE);
    }
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

/* Whether the launcher's manifest asks to run as its caller, which keeps
 * Windows' installer detection from reading its properties. */
static bool runs_as_invoker(const WCHAR *path)
{
    HMODULE module = LoadLibraryExW(path, NULL, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC res;
    char text[4096];
    DWORD size;
    bool found = false;

    if (!module)
        return false;
    if ((res = FindResourceA(module, MAKEINTRESOURCEA(1), (LPCSTR)RT_MANIFEST)) &&
        (size = SizeofResource(module, res)) < sizeof(text))
    {
        memcpy(text, LockResource(LoadResource(module, res)), size);
        text[size] = 0;
        found = strstr(text, "requestedExecutionLevel level=\"asInvoker\"") != NULL;
    }
    FreeLibrary(module);
    return found;
}

/* The fixed part: an application for 32-bit Windows, of the brand's version
 * with 0 for the numbers it leaves out. */
static void check_fixed(BYTE *data)
{
    int numbers[4] = { 0, 0, 0, 0 };
    VS_FIXEDFILEINFO *fixed;
    UINT len;

    if (!ok(VerQueryValueW(data, L"\\", (void **)&fixed, &len) && len == sizeof(*fixed), "no fixed part\n"))
        return;
    sscanf(brand.version, "%d.%d.%d.%d", &numbers[0], &numbers[1], &numbers[2], &numbers[3]);
    ok(fixed->dwSignature == VS_FFI_SIGNATURE && fixed->dwFileType == VFT_APP &&
       fixed->dwFileOS == VOS_NT_WINDOWS32, "the fixed part says signature %lx, type %lu, OS %lx, expected "
       "an application for 32-bit Windows\n", fixed->dwSignature, fixed->dwFileType, fixed->dwFileOS);
    ok(fixed->dwFileVersionMS == (DWORD)MAKELONG(numbers[1], numbers[0]) &&
       fixed->dwFileVersionLS == (DWORD)MAKELONG(numbers[3], numbers[2]) &&
       fixed->dwProductVersionMS == fixed->dwFileVersionMS && fixed->dwProductVersionLS == fixed->dwFileVersionLS,
       "the fixed version is %u.%u.%u.%u, expected %s as %d.%d.%d.%d\n", HIWORD(fixed->dwFileVersionMS),
       LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
       brand.version, numbers[0], numbers[1], numbers[2], numbers[3]);
}

/* The strings, in the one block Translation names: of the language Windows
 * gives the dialog's tag, every one Microsoft calls required, as the build
 * record gives them. */
static void check_strings(BYTE *data, const WCHAR *exe)
{
    WCHAR query[64], internal[MAX_PATH], version[32], tag[16], *got;
    WORD *language;
    LANGID want = 0;
    UINT len;

    lstrcpyW(internal, exe);
    internal[lstrlenW(internal) - 4] = 0;
    MultiByteToWideChar(CP_ACP, 0, brand.version, -1, version, 32);
    if (!ok(VerQueryValueW(data, L"\\VarFileInfo\\Translation", (void **)&language, &len) && len == 4,
            "no Translation, or more than one (%u bytes)\n", len))
        return;
    const struct
    {
        const WCHAR *name, *expected;
    } strings[] = {
        { L"CompanyName", brand.publisher }, { L"FileDescription", brand.shown->description },
        { L"ProductName", brand.shown->product }, { L"LegalCopyright", brand.copyright },
        { L"OriginalFilename", exe }, { L"InternalName", internal }, { L"FileVersion", version },
        { L"ProductVersion", version },
    };

    /* the language Windows itself gives the dialog's tag; none for a brand without sections */
    MultiByteToWideChar(CP_ACP, 0, brand.shown->tag, -1, tag, 16);
    if (lstrcmpW(tag, L"-"))
        want = LANGIDFROMLCID(LocaleNameToLCID(tag, LOCALE_ALLOW_NEUTRAL_NAMES));
    ok(language[0] == want, "the version resource's language is %04x, expected %04x, Windows' for %ls\n",
       language[0], want, tag);
    /* the strings are the record's (below), whose description is the product, as Task Manager names it */
    ok(!lstrcmpW(brand.shown->description, brand.shown->product), "FileDescription \"%ls\" and ProductName "
       "\"%ls\": Task Manager names the program by its product\n", brand.shown->description,
       brand.shown->product);
    for (const auto &st : strings)
    {
        bool there;

        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\%ls", language[0], language[1], st.name);
        there = VerQueryValueW(data, query, (void **)&got, &len);
        /* only the copyright is not required, and is there only where the brand gives one */
        if (!st.expected[0] && !lstrcmpW(st.name, L"LegalCopyright"))
            ok(!there, "%ls: \"%ls\", expected none\n", st.name, got);
        else if (ok(there, "%ls: not in the block %04x%04x\n", st.name, language[0], language[1]))
            ok(!lstrcmpW(got, st.expected), "%ls: \"%ls\", expected \"%ls\"\n", st.name, got, st.expected);
    }
}

/* What Windows shows of the file, read as Explorer reads it
 * (GetFileVersionInfoW, VerQueryValueW): the version resource of the
 * locale's language, every string Microsoft calls required in the block its
 * Translation names, as the build record gives them, and its fixed version,
 * the brand's with 0 for the numbers it leaves out. Windows' installer
 * detection reads those strings, so the launcher runs as its caller. */
SCENARIO(properties)
{
    WCHAR path[MAX_PATH], exe[MAX_PATH];
    char file[MAX_PATH];
    BYTE *data;
    DWORD size;

    path_join(file, bindir, brand.exe);
    MultiByteToWideChar(CP_ACP, 0, file, -1, path, MAX_PATH);
    MultiByteToWideChar(CP_ACP, 0, brand.exe, -1, exe, MAX_PATH);
    ok(runs_as_invoker(path), "%s has no manifest that asks to run as its caller\n", file);
    size = GetFileVersionInfoSizeW(path, NULL);
    if (!ok(size > 0, "%s has no version resource, error %lu\n", file, GetLastError()))
        return;
    data = (BYTE *)malloc(size);
    ok(GetFileVersionInfoW(path, 0, size, data), "GetFileVersionInfoW failed, error %lu\n", GetLastError());
    check_fixed(data);
    check_strings(data, exe);
    free(data);
}

/* A game that WaitForInputIdle cannot wait for, as Windows answers for a
 * console program: the probe makes the launcher's call fail so. The launcher
 * then stays until the game ends, so that a second start meanwhile still ends
 * at once, and then ends with exit code 0. */
SCENARIO(console_game)
{
    char folder[MAX_PATH], exe[MAX_PATH], loaded[MAX_PATH];
    ProbeResult res;
    Launcher l;
    DWORD code;
    HWND dlg;

    game_folder(folder, "console-game", brand.exe, true);
    path_join(exe, folder, brand.exe);
    path_join(loaded, folder, "loaded.txt");
    if (!(dlg = launch(&l, exe, folder)))
        return;
    if (probe(dlg, &res))
    {
        SendMessageTimeoutA(dlg, RegisterWindowMessageA(NO_IDLE_MESSAGE), 0, 0, SMTO_ABORTIFHUNG, HOOK_TIMEOUT, NULL);
        key(dlg, VK_RETURN);
        Sleep(2000);
        ok(wait_exit(&l, 0) == STILL_ACTIVE, "the launcher ended 2 s after Play, while the game ran\n");
        check_answers(&l, 2000);
        second_start(exe, folder, loaded);
        code = wait_exit(&l, GAME_TIMEOUT);
        ok(code == 0, "the launcher's exit code after the game ended: %lx, expected 0\n", code);
        check_game_ran(folder, folder);
        probe_final(&res);
        /* it waited some 8 s, asleep between its looks at the game */
        ok(res.cpu_ms < 2000, "the launcher took %lu ms of processor time while it waited for the game, expected "
           "it to sleep\n", res.cpu_ms);
    }
    finish(&l);
}

/* The message of a game that could not start: under the dialog's caption,
 * the program and Windows' reason for error (or, for 0, the probe's reason
 * with typed inserts), every insert the program; closed by Enter. */
static void check_message(HWND box, const char *what, DWORD error, const WCHAR *program)
{
    WCHAR text[1024], caption[TEXT_BUFFER], reason[512];
    DWORD_PTR inserts[99];

    for (auto &insert : inserts)
        insert = (DWORD_PTR)program;
    GetWindowTextW(box, caption, TEXT_BUFFER);
    ok(!lstrcmpW(caption, brand.shown->text[CAPTION]), "%s: the message's caption is \"%ls\", expected "
       "the dialog's, \"%ls\"\n", what, caption, brand.shown->text[CAPTION]);
    box_text(box, text, 1024);
    if (error)
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, NULL, error, 0, reason, 512,
                       (va_list *)inserts);
    else
        swprintf(reason, 512, L"Cannot start %ls (%ls), %ls.", program, program, program);
    reason[wcscspn(reason, L"\r\n")] = 0;
    ok(wcsstr(text, program) && reason[0] && wcsstr(text, reason) && !wcschr(text, '%'),
       "%s: the message says \"%ls\", expected the program, %ls, and Windows' reason, \"%ls\", with no "
       "%% insert\n", what, text, program, reason);
    key(box, VK_RETURN);
    for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < EXIT_TIMEOUT;)
        Sleep(50);
    ok(!IsWindow(box), "%s: Enter did not close the message\n", what);
}

/* Play when the game cannot be started: a message box over the dialog, under
 * its caption, names the program and gives Windows' own reason, with the
 * program where the reason names a file ("%1 is not a valid Win32
 * application."), whatever type the insert declares. A program of the game's
 * name elsewhere on the search path is not started in its place. The dialog
 * stays; Cancel then ends the launcher with exit code 0, nothing started. */
SCENARIO(failed_start)
{
    static const struct
    {
        const char *what;
        const char *content;    /* of the file in the game's place; NULL for none */
        DWORD error;            /* 0: the probe gives the reason TYPED_REASON */
    } cases[] = {
        { "a missing program", NULL, ERROR_FILE_NOT_FOUND },
        { "a file that is not a program", "This is not a program.\r\n", ERROR_BAD_EXE_FORMAT },
        { "a reason with typed inserts", NULL, 0 },
    };
    char folder[MAX_PATH], exe[MAX_PATH], game[MAX_PATH], on_path[MAX_PATH], path[4096];
    WCHAR program[MAX_PATH];
    ProbeResult res;
    Launcher l;
    HWND dlg, box;

    MultiByteToWideChar(CP_ACP, 0, brand.program, -1, program, MAX_PATH);
    work_folder(on_path, "failed-start-path");
    put_game(on_path, &brand);
    lstrcpyA(path, on_path);
    lstrcatA(path, ";");
    GetEnvironmentVariableA("PATH", path + lstrlenA(path), sizeof(path) - lstrlenA(path));
    SetEnvironmentVariableA("PATH", path);
    for (const auto &c : cases)
    {
        game_folder(folder, "failed-start", brand.exe, false);
        path_join(exe, folder, brand.exe);
        path_join(game, folder, brand.program);
        if (c.content)
            write_file(game, c.content);
        if (!(dlg = launch(&l, exe, folder)))
            continue;
        if (!probe(dlg, &res))
        {
            finish(&l);
            continue;
        }
        if (!c.error)
            SendMessageTimeoutA(dlg, RegisterWindowMessageA(TYPED_REASON_MESSAGE), 0, 0, SMTO_ABORTIFHUNG,
                                HOOK_TIMEOUT, NULL);
        key(dlg, VK_RETURN);
        if (ok((box = wait_box(dlg)) != NULL, "%s: no message over the dialog after Play\n", c.what))
            check_message(box, c.what, c.error, program);
        ok(IsWindow(dlg) && IsWindowVisible(dlg), "%s: the dialog closed, expected it to stay after the message\n",
           c.what);
        answer(&l, dlg, VK_ESCAPE, "Cancel after the message");
        check_nothing_ran(&l, folder);
        probe_final(&res);
        /* a message of a dialog read right to left reads so too */
        ok(res.boxes == 1 && !(res.box_type & MB_RTLREADING) == !brand.shown->rtl, "%s: %d messages, the last of "
           "type %x, expected one%s\n", c.what, res.boxes, res.box_type,
           brand.shown->rtl ? " read right to left (MB_RTLREADING)" : " read left to right");
        finish(&l);
    }
}

/* How the launcher asked the shell for rights: once, after one CreateProcessA,
 * with the verb "runas", the program, its arguments and the game's folder,
 * the dialog as the prompt's owner, COM as the dialog's thread has it, and
 * SHELL32 loaded from the system folder only then. */
static void check_shell_call(const char *what, const ProbeResult *res, HWND dlg, const char *folder)
{
    char asked[4 * MAX_PATH + 20], expected[4 * MAX_PATH + 20];
    WCHAR system[MAX_PATH], wow64[MAX_PATH] = L"-";

    GetSystemDirectoryW(system, MAX_PATH);
    GetSystemWow64DirectoryW(wow64, MAX_PATH);
    ok(res->create_calls == 1 && res->shell_calls == 1, "%s: %d CreateProcessA and %d ShellExecuteExW calls, "
       "expected one of each\n", what, res->create_calls, res->shell_calls);
    /* the verb, the program, its arguments and its folder, a line each */
    snprintf(asked, sizeof(asked), "%ls\n%ls\n%ls\n%ls", res->shell_verb, res->shell_file, res->shell_params,
             res->shell_dir);
    snprintf(expected, sizeof(expected), "runas\n%s\n%s\n%s", brand.program, brand.arguments, folder);
    ok(!lstrcmpiA(asked, expected), "%s: the shell was asked \"%s\", expected \"%s\"\n", what, asked, expected);
    ok(res->shell_owner == dlg, "%s: the consent prompt's owner was %p, expected the dialog, %p\n", what,
       res->shell_owner, dlg);
    ok(res->shell_com == S_FALSE, "%s: COM on the dialog's thread at the shell call: CoInitializeEx gave %lx, "
       "expected S_FALSE (set up single-threaded already)\n", what, res->shell_com);
    ok(!res->shell_was_loaded, "%s: SHELL32 was loaded before Play, expected it only for the prompt\n", what);
    ok((!_wcsnicmp(res->shell_module, system, wcslen(system)) && res->shell_module[wcslen(system)] == '\\') ||
       (!_wcsnicmp(res->shell_module, wow64, wcslen(wow64)) && res->shell_module[wcslen(wow64)] == '\\'),
       "%s: SHELL32 came from \"%ls\", expected the system folder %ls\n", what, res->shell_module, system);
}

/* A game that needs administrator rights, which Wine never asks for: the
 * probe makes CreateProcessA fail as Windows' does for one. The launcher then
 * asks the shell to run it with rights ("runas"), from SHELL32 loaded from the
 * system folder just then; given consent, the game runs as it would have;
 * declined, nothing runs, nothing is said and the dialog stays. */
SCENARIO(elevation)
{
    static const struct
    {
        const char *what;
        WPARAM how;
    } cases[] = {
        { "consent given", ELEVATION_CONSENT },
        { "the prompt declined", ELEVATION_DECLINED },
    };
    char folder[MAX_PATH], exe[MAX_PATH], loaded[MAX_PATH], *got;
    ProbeResult res;
    Launcher l;
    HWND dlg;
    DWORD code;

    for (const auto &c : cases)
    {
        game_folder(folder, "elevation", brand.exe, true);
        path_join(exe, folder, brand.exe);
        path_join(loaded, folder, "loaded.txt");
        if (!(dlg = launch(&l, exe, folder)))
            continue;
        if (!probe(dlg, &res))
        {
            finish(&l);
            continue;
        }
        SendMessageTimeoutA(dlg, RegisterWindowMessageA(ELEVATION_MESSAGE), c.how, 0, SMTO_ABORTIFHUNG, HOOK_TIMEOUT, NULL);
        key(dlg, VK_RETURN);
        if (c.how == ELEVATION_CONSENT)
        {
            /* the game started with rights is waited for as one started without */
            second_starts(&l, GetTickCount(), exe, folder, loaded);
            code = wait_exit(&l, GAME_TIMEOUT);
            ok(code == 0, "%s: exit code %lx, expected 0\n", c.what, code);
            if ((got = check_game_ran(folder, folder)))
                ok(strstr(got, brand.arguments) != NULL, "%s: the game wrote \"%s\", expected its arguments, %s\n",
                   c.what, got, brand.arguments);
        }
        else
        {
            Sleep(SETTLE);
            ok(wait_exit(&l, 0) == STILL_ACTIVE && IsWindowVisible(dlg), "%s: the dialog closed, expected it to stay\n",
               c.what);
            ok(!box_over(dlg), "%s: a message was shown, expected none\n", c.what);
            answer(&l, dlg, VK_ESCAPE, "Cancel after a declined prompt");
            check_nothing_ran(&l, folder);
        }
        probe_final(&res);
        check_shell_call(c.what, &res, dlg, folder);
        finish(&l);
    }
}
