/* The game's icon (brand key icon), compiled with dinstall.cpp. */

/* A dialog shows an icon in the taskbar and Alt+Tab only when it is given one;
 * a modern one also its title bar's own size, rather than the big one drawn down. */
static void SetIcons(HWND hDlg)
{
    SendMessageA(hDlg, WM_SETICON, ICON_BIG, (LPARAM)LoadIconA(hinst, MAKEINTRESOURCEA(IDI_GAME)));
    if (SMALL_ICON)
        SendMessageA(hDlg, WM_SETICON, ICON_SMALL,
                     (LPARAM)LoadImageA(hinst, MAKEINTRESOURCEA(IDI_GAME), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
}
