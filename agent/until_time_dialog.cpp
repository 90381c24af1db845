#include "until_time_dialog.h"

#include "agent.h"
#include "resource.h"
#include "texts.h"

#include <commctrl.h>

#include <string>

namespace {

// The product's name, in every language, as the notifications have it.
wchar_t const kDialogCaption[] = L"PC-Vigilor";

// The tray menu can be opened again over the dialog; one dialog is enough.
HWND openDialog = nullptr;

// The common controls, loaded when the dialog is first asked for rather than
// with the agent: the agent never needs them otherwise, and under Wine the
// library alone takes 1.7 MB of memory. From the system folder only; the
// manifest's dependency still makes it version 6.
using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
InitControls initControls = nullptr;
bool controlsLookedUp = false;

// Registers the time picker's window class; false where Windows could not.
bool registerTimePicker() {
    if (!controlsLookedUp) {
        controlsLookedUp = true;
        HMODULE controls = LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (controls != nullptr) {
            initControls = reinterpret_cast<InitControls>(
                reinterpret_cast<void*>(GetProcAddress(controls, "InitCommonControlsEx")));
        }
    }
    INITCOMMONCONTROLSEX classes = {sizeof(classes), ICC_DATE_CLASSES};
    return initControls != nullptr && initControls(&classes);
}

// The user's short time format, which leaves out the seconds that the time
// picker shows by default.
std::wstring shortTimeFormat() {
    wchar_t format[80] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SSHORTTIME, format, ARRAYSIZE(format)) ==
        0) {
        return {};
    }
    return format;
}

SYSTEMTIME nextFullHour() {
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    time.wHour = static_cast<WORD>((time.wHour + 1) % 24);
    time.wMinute = 0;
    time.wSecond = 0;
    time.wMilliseconds = 0;
    return time;
}

void initDialog(HWND dialog) {
    openDialog = dialog;
    SetWindowTextW(dialog, kDialogCaption);
    SetDlgItemTextW(dialog, IDC_UNTIL_TIME_PROMPT, loadText(IDS_UNTIL_TIME_PROMPT).c_str());
    SetDlgItemTextW(dialog, IDOK, loadText(IDS_UNTIL_TIME_START).c_str());
    SetDlgItemTextW(dialog, IDCANCEL, loadText(IDS_COUNTDOWN_CANCEL).c_str());
    HWND picker = GetDlgItem(dialog, IDC_UNTIL_TIME_PICKER);
    std::wstring format = shortTimeFormat();
    if (!format.empty()) {
        SendMessageW(picker, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format.c_str()));
    }
    SYSTEMTIME start = nextFullHour();
    SendMessageW(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&start));
    // Opened from the tray menu, the dialog would otherwise come up behind
    // the window the user was in.
    SetForegroundWindow(dialog);
}

void takeTime(HWND dialog) {
    auto* chosen = reinterpret_cast<SYSTEMTIME*>(GetWindowLongPtrW(dialog, DWLP_USER));
    SendMessageW(GetDlgItem(dialog, IDC_UNTIL_TIME_PICKER), DTM_GETSYSTEMTIME, 0,
                 reinterpret_cast<LPARAM>(chosen));
}

INT_PTR CALLBACK untilTimeProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        initDialog(dialog);
        // The focus goes to the picker, so that the keys change the time.
        SetFocus(GetDlgItem(dialog, IDC_UNTIL_TIME_PICKER));
        return FALSE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            takeTime(dialog);
        }
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        openDialog = nullptr;
        break;
    }
    return FALSE;
}

} // namespace

std::optional<unsigned> askEndTimeOfDay(HWND owner) {
    if (openDialog != nullptr) {
        SetForegroundWindow(openDialog);
        return std::nullopt;
    }
    if (!registerTimePicker()) {
        return std::nullopt;
    }
    SYSTEMTIME chosen = {};
    INT_PTR answer = DialogBoxParamW(hInst, MAKEINTRESOURCEW(IDD_UNTIL_TIME), owner,
                                     untilTimeProcedure, reinterpret_cast<LPARAM>(&chosen));
    if (answer != IDOK || chosen.wHour > 23 || chosen.wMinute > 59) {
        return std::nullopt;
    }
    return unsigned{chosen.wHour} * 60 + chosen.wMinute;
}
