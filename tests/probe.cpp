/* probe.dll, loaded into the launcher by a hook of the test driver's: see probe.h. */

#include <windows.h>
#include <shellapi.h>
#include "harness.h"
#include "probe.h"
#include "resource.h"

static ProbeResult result;
static UINT probe_message, elevation_message, no_idle_message, typed_reason_message;
static HWND probed_dialog, marker;

static void save(void)
{
    save_beside(&result, PROBE_FILE, &result, sizeof(result));
}

static void map_units(HWND dlg, int x, int y, int cx, int cy, RECT *out)
{
    SetRect(out, x, y, cx, cy);
    MapDialogRect(dlg, out);
    out->right += out->left;
    out->bottom += out->top;
}

/* What the dialog's font came out as, the DPI, and how wide the controls' texts are in it. */
static void read_font(HWND dlg)
{
    static const int ids[4] = { IDOK, IDCANCEL, IDC_QUESTION1, IDC_QUESTION2 };
    HDC dc = GetDC(dlg);
    HGDIOBJ old = SelectObject(dc, (HFONT)SendMessageW(dlg, WM_GETFONT, 0, 0));
    WCHAR text[256];
    RECT rc;

    GetTextFaceW(dc, LF_FACESIZE, result.font_face);
    result.dpi = GetDeviceCaps(dc, LOGPIXELSX);
    for (int i = 0; i < 4; i++)
    {
        GetDlgItemTextW(dlg, ids[i], text, 256);
        SetRectEmpty(&rc);
        DrawTextW(dc, text, -1, &rc, DT_CALCRECT | DT_SINGLELINE);
        result.extent[i] = rc.right;
    }
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);
}

/* Whether Common Controls draw the buttons: only version 6, which a manifest
 * asks for, has buttons (themed ones); otherwise user32 draws them. */
static int buttons_comctl(HWND dlg)
{
    HMODULE owner;
    char path[MAX_PATH], *name;

    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)GetClassLongPtrW(GetDlgItem(dlg, IDOK), GCLP_WNDPROC), &owner) ||
        !GetModuleFileNameA(owner, path, sizeof(path)))
        return 0;
    name = strrchr(path, '\\') ? strrchr(path, '\\') + 1 : path;
    return !lstrcmpiA(name, "comctl32.dll");
}

/* A bitmap's top left pixel. */
static COLORREF corner(HBITMAP bmp)
{
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ old = SelectObject(dc, bmp);
    COLORREF c = GetPixel(dc, 0, 0);

    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
}

static void probe(HWND dlg, HWND hwnd)
{
    /* x, y, width, height in dialog units, as the template has them */
    static const RECT templ[5] = {
        { PLAY_RECT }, { CANCEL_RECT }, { QUESTION1_RECT }, { QUESTION2_RECT }, { PICTURE_RECT },
    };
    HWND ctl;
    DWORD pid = 0;
    HBITMAP bmp, again;
    int i;

    result.probed = 1;
    result.icon = (HICON)SendMessageW(dlg, WM_GETICON, ICON_BIG, 0);
    result.small_icon = (HICON)SendMessageW(dlg, WM_GETICON, ICON_SMALL, 0);
    result.buttons_comctl = buttons_comctl(dlg);
    marker = hwnd;
    read_font(dlg);
    probed_dialog = dlg;
    GetWindowThreadProcessId(hwnd, &pid);
    if ((result.marker_found = hwnd && pid == GetCurrentProcessId()))
    {
        result.class_style = GetClassLongA(hwnd, GCL_STYLE);
        result.brush_is_gray = GetClassLongA(hwnd, GCL_HBRBACKGROUND) == (DWORD)(ULONG_PTR)GetStockObject(GRAY_BRUSH);
        result.cursor_is_cross = GetClassLongA(hwnd, GCL_HCURSOR) == (DWORD)(ULONG_PTR)LoadCursorA(NULL, IDC_CROSS);
        result.icon_is_application = GetClassLongA(hwnd, GCL_HICON) == (DWORD)(ULONG_PTR)LoadIconA(NULL, IDI_APPLICATION);
        result.placement.length = sizeof(result.placement);
        GetWindowPlacement(hwnd, &result.placement);
    }

    /* The dialog manager maps position and size each on its own, and puts the
     * client area, not the frame, where the template says. */
    GetClientRect(dlg, &result.dialog_client);
    MapWindowPoints(dlg, NULL, (POINT *)&result.dialog_client, 2);
    map_units(dlg, 0, 0, 4, 8, &result.base_units);

    ctl = GetWindow(dlg, GW_CHILD);
    for (i = 0; i < 5 && ctl; i++, ctl = GetWindow(ctl, GW_HWNDNEXT))
    {
        GetWindowRect(ctl, &result.controls[i]);
        MapWindowPoints(NULL, dlg, (POINT *)&result.controls[i], 2);
        map_units(dlg, templ[i].left, templ[i].top, templ[i].right, templ[i].bottom, &result.control_units[i]);
    }

    bmp = (HBITMAP)SendDlgItemMessageA(dlg, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    result.bitmap_ok = bmp && GetObjectA(bmp, sizeof(result.bitmap), &result.bitmap) == sizeof(result.bitmap);
    result.corner = corner(bmp);
    result.face = GetSysColor(COLOR_3DFACE);

    /* Setting the picture again must free the bitmap it replaces. */
    SendMessageA(dlg, WM_INITDIALOG, 0, 0);
    again = (HBITMAP)SendDlgItemMessageA(dlg, IDC_PICTURE, STM_GETIMAGE, IMAGE_BITMAP, 0);
    result.reinit_new_bitmap = again && again != bmp && GetObjectType(again) == OBJ_BITMAP;
    result.reinit_old_deleted = bmp && GetObjectType(bmp) == 0;
    save();
}

/* ---- a program that needs administrator rights, as Windows answers for one ---- */

typedef BOOL (WINAPI *ShellExecuteExProc)(SHELLEXECUTEINFOW *info);
static WPARAM elevation;
static FARPROC real_get_proc;
static ShellExecuteExProc real_shell_execute;

static BOOL WINAPI fake_create_process(LPCSTR app, LPSTR cmdline, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                       BOOL inherit, DWORD flags, LPVOID env, LPCSTR cwd, LPSTARTUPINFOA si,
                                       LPPROCESS_INFORMATION pi)
{
    result.create_calls++;
    save();
    SetLastError(740);      /* ERROR_ELEVATION_REQUIRED */
    return FALSE;
}

static void copy_text(WCHAR *to, const WCHAR *from, int size)
{
    lstrcpynW(to, from ? from : L"(null)", size);
}

static BOOL WINAPI fake_shell_execute(SHELLEXECUTEINFOW *info)
{
    result.shell_calls++;
    copy_text(result.shell_verb, info->lpVerb, 16);
    copy_text(result.shell_file, info->lpFile, MAX_PATH);
    copy_text(result.shell_params, info->lpParameters, MAX_PATH);
    copy_text(result.shell_dir, info->lpDirectory, MAX_PATH);
    result.shell_owner = info->hwnd;
    if ((result.shell_com = CoInitializeEx(NULL, COINIT_APARTMENTTHREADED)) == S_OK)
        CoUninitialize();
    save();
    if (elevation == ELEVATION_CONSENT)
        return real_shell_execute(info);
    SetLastError(ERROR_CANCELLED);
    return FALSE;
}

/* The launcher takes ShellExecuteExW by name from the SHELL32 it loads. */
static FARPROC WINAPI fake_get_proc(HMODULE module, LPCSTR name)
{
    FARPROC proc = ((FARPROC (WINAPI *)(HMODULE, LPCSTR))real_get_proc)(module, name);

    if (!HIWORD(name) || lstrcmpA(name, "ShellExecuteExW") || !proc)
        return proc;
    GetModuleFileNameW(module, result.shell_module, MAX_PATH);
    save();
    real_shell_execute = (ShellExecuteExProc)proc;
    return (FARPROC)fake_shell_execute;
}

/* Points every entry of the program's import table that holds `real` at `fake`. */
static void patch_imports(FARPROC real, FARPROC fake)
{
    BYTE *base = (BYTE *)GetModuleHandleA(NULL);
    IMAGE_NT_HEADERS *nt = (IMAGE_NT_HEADERS *)(base + ((IMAGE_DOS_HEADER *)base)->e_lfanew);
    IMAGE_DATA_DIRECTORY *dir = &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    DWORD old;

    for (IMAGE_IMPORT_DESCRIPTOR *imp = (IMAGE_IMPORT_DESCRIPTOR *)(base + dir->VirtualAddress); imp->Name; imp++)
        for (FARPROC *slot = (FARPROC *)(base + imp->FirstThunk); *slot; slot++)
            if (*slot == real)
            {
                VirtualProtect(slot, sizeof(*slot), PAGE_READWRITE, &old);
                *slot = fake;
                VirtualProtect(slot, sizeof(*slot), old, &old);
            }
}

static void fail_for_rights(WPARAM how)
{
    HMODULE kernel32 = GetModuleHandleA("kernel32.dll");

    elevation = how;
    result.shell_was_loaded = GetModuleHandleA("shell32.dll") != NULL;
    real_get_proc = GetProcAddress(kernel32, "GetProcAddress");
    patch_imports(GetProcAddress(kernel32, "CreateProcessA"), (FARPROC)fake_create_process);
    patch_imports(real_get_proc, (FARPROC)fake_get_proc);
    save();
}

static DWORD WINAPI fake_wait_for_input_idle(HANDLE process, DWORD timeout)
{
    SetLastError(ERROR_NOT_GUI_PROCESS);
    return WAIT_FAILED;
}

static DWORD WINAPI fake_format_message(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPWSTR buffer,
                                        DWORD size, va_list *args)
{
    return FormatMessageW((flags & ~FORMAT_MESSAGE_FROM_SYSTEM) | FORMAT_MESSAGE_FROM_STRING, TYPED_REASON, 0, 0,
                          buffer, size, args);
}

/* The message the launcher shows, with the flags it asks for: Wine shows
 * MB_RTLREADING's reading order only as its text runs. */
static int WINAPI fake_message_box(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    result.boxes++;
    result.box_type = type;
    save();
    return MessageBoxW(owner, text, caption, type);
}

/* The launcher's processor time as it ends, which under Wine only its own
 * process can read. */
extern "C" BOOL WINAPI DllMain(HINSTANCE dll, DWORD reason, void *reserved)
{
    FILETIME created, ended, kernel, user;

    if (reason == DLL_PROCESS_DETACH && result.probed &&
        GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user))
    {
        result.cpu_ms = ((ULONGLONG)kernel.dwHighDateTime << 32 | kernel.dwLowDateTime) / 10000 +
                        ((ULONGLONG)user.dwHighDateTime << 32 | user.dwLowDateTime) / 10000;
        save();
    }
    return TRUE;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK ProbeHook(int code, WPARAM wparam, LPARAM lparam)
{
    CWPSTRUCT *cwp = (CWPSTRUCT *)lparam;

    if (!probe_message)
    {
        probe_message = RegisterWindowMessageA(PROBE_MESSAGE);
        elevation_message = RegisterWindowMessageA(ELEVATION_MESSAGE);
        no_idle_message = RegisterWindowMessageA(NO_IDLE_MESSAGE);
        typed_reason_message = RegisterWindowMessageA(TYPED_REASON_MESSAGE);
    }
    if (code == HC_ACTION)
    {
        if (marker && cwp->hwnd == marker && ((cwp->message == WM_SHOWWINDOW && cwp->wParam) ||
            (cwp->message == WM_WINDOWPOSCHANGING && (((WINDOWPOS *)cwp->lParam)->flags & SWP_SHOWWINDOW))))
            result.marker_shown = 1;
        if (cwp->message == probe_message)
        {
            probe(cwp->hwnd, (HWND)cwp->wParam);
            patch_imports(GetProcAddress(GetModuleHandleA("user32.dll"), "MessageBoxW"), (FARPROC)fake_message_box);
        }
        if (cwp->message == elevation_message && !elevation)
            fail_for_rights(cwp->wParam);
        if (cwp->message == no_idle_message)
            patch_imports(GetProcAddress(GetModuleHandleA("user32.dll"), "WaitForInputIdle"),
                          (FARPROC)fake_wait_for_input_idle);
        if (cwp->message == typed_reason_message)
            patch_imports(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FormatMessageW"),
                          (FARPROC)fake_format_message);
        if (cwp->message == WM_DESTROY && cwp->hwnd == probed_dialog)
        {
            result.destroyed = 1;
            result.marker_visible_at_end = marker && IsWindowVisible(marker);
            save();
        }
    }
    return CallNextHookEx(NULL, code, wparam, lparam);
}
