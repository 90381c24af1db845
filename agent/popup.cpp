#include "popup.h"

#include "agent.h"
#include "resource.h"
#include "texts.h"

HWND msgHWnd = nullptr;
int msgWndKind = kPopupNone;
std::wstring msgText;

namespace {

// Creates a popup window of the agent's class at the top centre of the work
// area, with the colour key that makes its background see-through.
HWND createPopupWindow(DWORD exStyle) {
    RECT workArea = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) {
        return nullptr;
    }
    int x = (workArea.right - kPopupWidth) / 2;
    HWND window = CreateWindowExW(exStyle, szWindowClass, szTitle, WS_POPUP | WS_VISIBLE, x, 10,
                                  kPopupWidth, kPopupHeight, nullptr, nullptr, hInst, nullptr);
    if (window != nullptr) {
        SetLayeredWindowAttributes(window, kPopupColourKey, 0, LWA_COLORKEY);
    }
    return window;
}

void bringToTop(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

} // namespace

void showMsgWnd(std::wstring text) {
    msgWndKind = kPopupNotice;
    msgText = std::move(text);
    if (msgHWnd != nullptr) {
        // Reuse the open popup, whatever its kind; a countdown keeps its
        // Cancel button and goes away with the close timer like a notice.
        InvalidateRect(msgHWnd, nullptr, TRUE);
        ShowWindow(msgHWnd, SW_SHOWNORMAL);
        OutputDebugStringW(L"msgHWnd != NULL\n");
        SetTimer(agentWindow, POPUP_CLOSE_TIMER, 2000, closeMsgWnd);
        return;
    }
    // Clicks pass through a notice to the windows beneath it.
    msgHWnd =
        createPopupWindow(WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST);
    if (msgHWnd == nullptr) {
        return;
    }
    bringToTop(msgHWnd);
    SetTimer(agentWindow, POPUP_CLOSE_TIMER, 2000, closeMsgWnd);
}

void showCountdownWnd(std::wstring text) {
    if (msgHWnd != nullptr) {
        closeMsgWnd();
    }
    msgWndKind = kPopupCountdown;
    msgText = std::move(text);
    msgHWnd = createPopupWindow(WS_EX_LAYERED);
    if (msgHWnd == nullptr) {
        return;
    }
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(msgHWnd, GWLP_HINSTANCE));
    CreateWindowExW(0, L"BUTTON", loadText(IDS_COUNTDOWN_CANCEL).c_str(),
                    WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 112, 60, 75, 30, msgHWnd,
                    reinterpret_cast<HMENU>(IDC_COUNTDOWN_CANCEL), instance, nullptr);
    bringToTop(msgHWnd);
}

void CALLBACK closeMsgWnd(HWND, UINT, UINT_PTR, DWORD) {
    OutputDebugStringW(L"closeMsgWnd");
    HWND window = msgHWnd;
    if (window != nullptr) {
        ShowWindow(window, SW_HIDE);
        // The window goes first and the kind is reset after, so that the
        // shared window procedure sees a popup being destroyed.
        DestroyWindow(window);
    }
    msgHWnd = nullptr;
    msgWndKind = kPopupNone;
    KillTimer(agentWindow, POPUP_CLOSE_TIMER);
}

void forgetPopup(HWND window) {
    if (window != nullptr && window == msgHWnd) {
        msgHWnd = nullptr;
        msgWndKind = kPopupNone;
        KillTimer(agentWindow, POPUP_CLOSE_TIMER);
    }
}

void erasePopupBackground(HWND window, HDC dc) {
    RECT client = {};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(kPopupColourKey);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

void paintPopup(HWND window) {
    PAINTSTRUCT ps = {};
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, 0, 0, kPopupWidth, kPopupHeight, 25, 25);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    // The countdown's lower part holds its Cancel button.
    RECT textRect = {0, 0, kPopupWidth, msgWndKind == kPopupCountdown ? 60 : kPopupHeight};
    DrawTextW(dc, msgText.c_str(), static_cast<int>(msgText.size()), &textRect,
              DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    EndPaint(window, &ps);
}
