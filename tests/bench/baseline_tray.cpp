// The smallest tray program the benchmark compares the agent with: one hidden
// window, one icon, a message loop. It answers the control messages the way
// the agent does (with the session state, here always 0) and closes on the
// agent's Close command, so that the benchmark drives both alike. Start and
// cancel change its icon and tip, as they change the agent's.
#include <windows.h>

#include <shellapi.h>

#include "peer_window.h"

namespace {

UINT const WM_TRAY_CALLBACK = WM_USER + 10;
UINT const WM_START = WM_USER + 700;
UINT const WM_CANCEL = WM_USER + 701;
UINT const WM_QUERY = WM_USER + 703;
UINT const WM_STATE = WM_USER + 704;
UINT const IDM_CLOSE = 210;

NOTIFYICONDATAW nid = {sizeof(nid)};

void showSession(bool running) {
    nid.hIcon = LoadIconW(nullptr, running ? IDI_INFORMATION : IDI_APPLICATION);
    lstrcpynW(nid.szTip, running ? L"Baseline\nIn a session" : L"Baseline", ARRAYSIZE(nid.szTip));
    Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void answer() {
    if (HWND config = FindWindowW(VIGILOR_CONFIG_WINDOW_CLASS, L"PC-Vigilor")) {
        PostMessageW(config, WM_STATE, 0, 0);
    }
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_START && message <= WM_QUERY) {
        if (message == WM_START || message == WM_CANCEL) {
            showSession(message == WM_START);
        }
        answer();
        return 0;
    }
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDM_CLOSE) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        Shell_NotifyIconW(NIM_DELETE, &nid);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

int APIENTRY wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSEXW wcex = {sizeof(wcex)};
    wcex.lpfnWndProc = windowProc;
    wcex.hInstance = instance;
    wcex.lpszClassName = L"VIGILORTASKBAR";
    RegisterClassExW(&wcex);
    HWND window =
        CreateWindowExW(0, wcex.lpszClassName, L"VigilorTaskbar", WS_OVERLAPPEDWINDOW,
                        CW_USEDEFAULT, 0, CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    nid.hWnd = window;
    nid.uID = 1;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_TRAY_CALLBACK;
    nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(nid.szTip, L"Baseline", ARRAYSIZE(nid.szTip));
    Shell_NotifyIconW(NIM_ADD, &nid);
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
