#include "popup.h"

#include "agent.h"
#include "message_filter.h"
#include "resource.h"
#include "texts.h"

#include <shellscalingapi.h>

HWND msgHWnd = nullptr;
int msgWndKind = kPopupNone;
std::wstring msgText;

namespace {

// The popup's font away from 96 DPI; none at 96 DPI, where the device
// context's default font fits.
HFONT msgFont = nullptr;

// The default font's height at 96 DPI. Windows sizes that font once, for the
// DPI at sign-in, and Wine not at all; away from 96 DPI the popup sizes it
// for its own monitor.
int const kPopupFontHeight = 16;

// Text stays this far from the sides, clear of the rounded corners.
int const kPopupTextMargin = 12;

// Lengths are given at 96 DPI and scaled to the monitor the popup is on.
int scaled(int length, UINT dpi) {
    return MulDiv(length, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

UINT monitorDpi(const RECT& area) {
    UINT dpiX = 0;
    UINT dpiY = 0;
    HMONITOR monitor = MonitorFromRect(&area, MONITOR_DEFAULTTOPRIMARY);
    if (FAILED(GetDpiForMonitor(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) || dpiY == 0) {
        return USER_DEFAULT_SCREEN_DPI;
    }
    return dpiY;
}

// A font like the device context's default one (bold, 16 pixels at 96 DPI)
// for the popup's DPI. That default is a bitmap font, which does not scale:
// drawn larger it keeps its small glyphs and only spreads them apart. The
// user's message font, an outline font, is drawn at the height instead.
HFONT createScaledFont(UINT dpi) {
    if (dpi == USER_DEFAULT_SCREEN_DPI) {
        return nullptr;
    }
    NONCLIENTMETRICSW metrics = {sizeof(metrics)};
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
        return nullptr;
    }
    LOGFONTW font = metrics.lfMessageFont;
    font.lfHeight = scaled(kPopupFontHeight, dpi);
    font.lfWidth = 0;
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

void deleteFont() {
    if (msgFont != nullptr) {
        DeleteObject(msgFont);
        msgFont = nullptr;
    }
}

// Creates a popup window of the agent's class at the top centre of the work
// area, with the colour key that makes its background see-through.
HWND createPopupWindow(DWORD exStyle) {
    RECT workArea = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) {
        return nullptr;
    }
    UINT dpi = monitorDpi(workArea);
    int width = scaled(kPopupWidth, dpi);
    // The taskbar may sit at the top or on the left, where the work area
    // does not start at 0.
    int x = workArea.left + (workArea.right - workArea.left - width) / 2;
    int y = workArea.top + scaled(10, dpi);
    HWND window =
        CreateWindowExW(exStyle, szWindowClass, szTitle, WS_POPUP | WS_VISIBLE, x, y, width,
                        scaled(kPopupHeight, dpi), nullptr, nullptr, hInst, nullptr);
    if (window != nullptr) {
        allowMessagesFromAnyIntegrity(window);
        SetLayeredWindowAttributes(window, kPopupColourKey, 0, LWA_COLORKEY);
        deleteFont();
        msgFont = createScaledFont(dpi);
    }
    return window;
}

UINT windowDpi(HWND window) {
    UINT dpi = GetDpiForWindow(window);
    return dpi != 0 ? dpi : USER_DEFAULT_SCREEN_DPI;
}

void bringToTop(HWND window) {
    ShowWindow(window, SW_SHOWNORMAL);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// The text centred in `area`: on one line, or on more where one line would
// reach into the rounded corners (a long end time in some languages).
void drawPopupText(HDC dc, const RECT& area, UINT dpi) {
    int margin = scaled(kPopupTextMargin, dpi);
    int length = static_cast<int>(msgText.size());
    RECT box = {area.left + margin, 0, area.right - margin, 0};
    int height = DrawTextW(dc, msgText.c_str(), length, &box, DT_CALCRECT | DT_WORDBREAK);
    box.right = area.right - margin;
    box.top = area.top + (area.bottom - area.top - height) / 2;
    box.bottom = box.top + height;
    DrawTextW(dc, msgText.c_str(), length, &box, DT_WORDBREAK | DT_CENTER);
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
    UINT dpi = windowDpi(msgHWnd);
    HWND button = CreateWindowExW(0, L"BUTTON", loadText(IDS_COUNTDOWN_CANCEL).c_str(),
                                  WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, scaled(112, dpi),
                                  scaled(60, dpi), scaled(75, dpi), scaled(30, dpi), msgHWnd,
                                  reinterpret_cast<HMENU>(IDC_COUNTDOWN_CANCEL), instance, nullptr);
    if (button != nullptr && msgFont != nullptr) {
        SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(msgFont), FALSE);
    }
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
    deleteFont();
}

void forgetPopup(HWND window) {
    if (window != nullptr && window == msgHWnd) {
        msgHWnd = nullptr;
        msgWndKind = kPopupNone;
        KillTimer(agentWindow, POPUP_CLOSE_TIMER);
        deleteFont();
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
    UINT dpi = windowDpi(window);
    RECT client = {};
    GetClientRect(window, &client);
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 0));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldFont = msgFont != nullptr ? SelectObject(dc, msgFont) : nullptr;
    RoundRect(dc, 0, 0, client.right, client.bottom, scaled(25, dpi), scaled(25, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    // The countdown's lower part holds its Cancel button.
    RECT textRect = {0, 0, client.right,
                     msgWndKind == kPopupCountdown ? scaled(60, dpi) : client.bottom};
    drawPopupText(dc, textRect, dpi);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (oldFont != nullptr) {
        SelectObject(dc, oldFont);
    }
    DeleteObject(brush);
    DeleteObject(pen);
    EndPaint(window, &ps);
}
