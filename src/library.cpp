/* Windows' own DLLs, loaded by a game started directly (direct.cpp) and by a
 * controller (gamepad.cpp), compiled with dinstall.cpp. */

/* A DLL of Windows' own from the system folder alone, so that one of that name
 * in the game's folder never runs; and what it loads in turn from there too:
 * by LOAD_LIBRARY_SEARCH_SYSTEM32 where Windows has it (8 and later, and 7
 * with the update that brings AddDllDirectory along), else by its full path,
 * searched from its own folder. */
static HMODULE SystemLibrary(const char *name)
{
    char path[MAX_PATH];
    UINT len;

    if (GetProcAddress(GetModuleHandleA("kernel32.dll"), "AddDllDirectory"))
        return LoadLibraryExA(name, NULL, LOAD_LIBRARY_SEARCH_SYSTEM32);
    len = GetSystemDirectoryA(path, ARRAYSIZE(path));
    if (!len || len + 1 + lstrlenA(name) >= ARRAYSIZE(path))
        return NULL;
    path[len] = '\\';
    lstrcpyA(path + len + 1, name);
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
