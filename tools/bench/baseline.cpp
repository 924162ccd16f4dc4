/*
 * Baselines for the benchmark, built three ways:
 *   BASELINE_EMPTY   returns at once
 *   BASELINE_FLOOR   imports KERNEL32, USER32 and GDI32, asks FindWindowA once and ends
 *   BASELINE_DIALOG  shows the launcher's dialog template and nothing else, until Cancel
 */

#include <windows.h>
#include "brand.h"

#if defined(BASELINE_DIALOG)
static INT_PTR CALLBACK DlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_COMMAND && (wParam == IDOK || wParam == IDCANCEL))
        EndDialog(hDlg, 0);
    return FALSE;
}
#endif

extern "C" int WINAPI Start(void)
{
#if defined(BASELINE_FLOOR)
    volatile FARPROC keep = (FARPROC)GetStockObject;   /* keeps GDI32 among the imports */

    (void)keep;
    FindWindowA(BRAND_CLASS, NULL);
    ExitProcess(0);
#elif defined(BASELINE_DIALOG)
    DialogBoxParamA(GetModuleHandleA(NULL), "DLG_MASTER", NULL, DlgProc, 0);
    ExitProcess(0);
#endif
    return 0;
}
