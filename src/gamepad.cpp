/* A launcher that a controller drives (brand key gamepad = yes), compiled with
 * dinstall.cpp: XInput found and read, and its buttons turned into the dialog's. */

static DWORD ReadPad(DWORD slot);

/* XInput from the system folder: Windows 8 and later have xinput1_4, Windows 7
 * xinput9_1_0. Without either the dialog works as it does without a pad. */
static void OpenPads(HWND hDlg)
{
    static const char *const names[] = { "xinput1_4.dll", "xinput9_1_0.dll" };
    HMODULE dll;

    for (int i = 0; i < 2 && !pXInputGetState; i++)
        if ((dll = SystemLibrary(names[i])))
            pXInputGetState = (XInputGetStateProc)GetProcAddress(dll, "XInputGetState");
    if (!pXInputGetState)
        return;
    /* What is held as the dialog opens, such as the press that started us, is no press. */
    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; slot++)
        pad_buttons[slot] = ReadPad(slot);
    SetTimer(hDlg, PAD_TIMER, PAD_INTERVAL, NULL);
}

/* A slot's buttons, or PAD_EMPTY. */
static DWORD ReadPad(DWORD slot)
{
    XINPUT_STATE state;
    DWORD buttons;

    if (pXInputGetState(slot, &state) != ERROR_SUCCESS)
    {
        pad_asked[slot] = GetTickCount();
        return PAD_EMPTY;
    }
    buttons = state.Gamepad.wButtons;
    if (state.Gamepad.sThumbLX <= -PAD_STICK)
        buttons |= PAD_LEFT;
    if (state.Gamepad.sThumbLX >= PAD_STICK)
        buttons |= PAD_RIGHT;
    return buttons;
}

/* A: the focused button (Play unless Cancel has the focus), or the default
 * one of a message box of ours in front (BoxInFront); B: Cancel, or closes
 * the box; left and right: the focus to the button on that side, shown as
 * for the keyboard. Only while the dialog or its box is in the foreground, so
 * that a player in another window never starts the game by accident; what is
 * held as it comes back, or as a pad connects, is no press. */
static void PollPads(HWND hDlg)
{
    HWND play = GetDlgItem(hDlg, IDOK), cancel = GetDlgItem(hDlg, IDCANCEL);
    bool front = GetForegroundWindow() == hDlg;
    HWND box = front ? NULL : BoxInFront(hDlg), to = box ? box : hDlg;
    LRESULT def;

    for (DWORD slot = 0; slot < XUSER_MAX_COUNT; slot++)
    {
        DWORD before = pad_buttons[slot], now, pressed;
        RECT p, c;
        int id = 0;

        if (!front && !box)
        {
            if (before != PAD_EMPTY)
                pad_buttons[slot] = PAD_UNSEEN;
            continue;
        }
        if (before == PAD_EMPTY && GetTickCount() - pad_asked[slot] < PAD_RETRY)
            continue;
        pad_buttons[slot] = now = ReadPad(slot);
        if ((now | before) & (PAD_EMPTY | PAD_UNSEEN))
            continue;
        pressed = now & ~before;
        if (!pressed)
            continue;
        if (pressed & (XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_START))
        {
            if (box)
                id = HIWORD(def = SendMessageA(box, DM_GETDEFID, 0, 0)) == DC_HASDEFID ? LOWORD(def) : IDOK;
            else
                id = GetFocus() == cancel ? IDCANCEL : IDOK;
        }
        else if (pressed & (XINPUT_GAMEPAD_B | XINPUT_GAMEPAD_BACK))
            id = IDCANCEL;
        else if (!box && (pressed & (XINPUT_GAMEPAD_DPAD_LEFT | XINPUT_GAMEPAD_DPAD_RIGHT | PAD_LEFT | PAD_RIGHT)))
        {
            bool right = pressed & (XINPUT_GAMEPAD_DPAD_RIGHT | PAD_RIGHT);

            /* Play lies left of Cancel, unless the dialog is mirrored. */
            GetWindowRect(play, &p);
            GetWindowRect(cancel, &c);
            SendMessageA(hDlg, WM_NEXTDLGCTL, (WPARAM)((p.left < c.left) != right ? play : cancel), TRUE);
            SendMessageA(hDlg, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        }
        if (id)
        {
            /* The dialog may stay, if the game could not be started: the pads go on. */
            SendMessageA(to, WM_COMMAND, id, (LPARAM)GetDlgItem(to, id));
            return;
        }
    }
}
