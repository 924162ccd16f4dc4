/* The guard against a second start. */

#include "driver.h"

/* Another program's window of the launcher's class, hidden or not, under any title. */
SCENARIO(guard)
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
