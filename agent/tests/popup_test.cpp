#include "agent_test_support.h"

#include "agent.h"
#include "popup.h"
#include "resource.h"
#include "session.h"
#include "shutdown.h"
#include "texts.h"

using namespace test;

namespace {

RECT windowRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

HWND cancelButton(HWND popup) {
    return FindWindowExW(popup, nullptr, L"BUTTON", nullptr);
}

// How wide `text` is in the font a window draws it with.
LONG textWidth(HWND window, const std::wstring& text) {
    HDC dc = GetDC(window);
    auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
    SIZE size = {};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    if (old != nullptr) {
        SelectObject(dc, old);
    }
    ReleaseDC(window, dc);
    return size.cx;
}

} // namespace

// Run in every language of the agent: each popup text keeps clear of the
// rounded corners, and the countdown's button shows its whole caption.
TEST_F(AgentTest, PopupTextsFitTheirPopupInTheUserLanguage) {
    showCountdownWnd(countdownText(10));
    ASSERT_NE(msgHWnd, nullptr);
    LONG const cornerMargin = 12;
    for (const std::wstring& text : {countdownText(10), loadText(IDS_NOTICE_STARTED),
                                     loadText(IDS_NOTICE_ENDED), loadText(IDS_NOTICE_CANCELED)}) {
        EXPECT_LE(textWidth(msgHWnd, text), kPopupWidth - 2 * cornerMargin) << text;
    }
    HWND button = cancelButton(msgHWnd);
    ASSERT_NE(button, nullptr);
    RECT client = {};
    GetClientRect(button, &client);
    // A push button draws its caption inside its raised edges.
    LONG const edges = 2 * GetSystemMetrics(SM_CXEDGE);
    EXPECT_LE(textWidth(button, loadText(IDS_COUNTDOWN_CANCEL)), client.right - edges);
}

TEST_F(AgentTest, NoticeSitsAtTheTopCentreOfTheWorkArea) {
    showMsgWnd(L" Vigilor Session Started ");
    ASSERT_NE(msgHWnd, nullptr);
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT rect = windowRect(msgHWnd);
    EXPECT_EQ(rect.left, (work.right - 300) / 2);
    EXPECT_EQ(rect.top, 10);
    EXPECT_EQ(rect.right - rect.left, 300);
    EXPECT_EQ(rect.bottom - rect.top, 100);

    LONG style = GetWindowLongW(msgHWnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_CHILD), 0);
    LONG ex = GetWindowLongW(msgHWnd, GWL_EXSTYLE);
    LONG expected = WS_EX_LAYERED | WS_EX_APPWINDOW | WS_EX_TRANSPARENT | WS_EX_TOPMOST;
    EXPECT_EQ(ex & expected, expected);

    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(msgHWnd, &key, &alpha, &flags));
    EXPECT_EQ(key, RGB(255, 255, 0));
    EXPECT_EQ(flags & LWA_COLORKEY, DWORD(LWA_COLORKEY));

    wchar_t buffer[100] = {};
    GetClassNameW(msgHWnd, buffer, 100);
    EXPECT_STREQ(buffer, L"VIGILORTASKBAR");
    GetWindowTextW(msgHWnd, buffer, 100);
    EXPECT_STREQ(buffer, L"VigilorTaskbar");
    EXPECT_EQ(GetParent(msgHWnd), nullptr);
    EXPECT_EQ(GetWindow(msgHWnd, GW_OWNER), nullptr);
}

// With the taskbar on the left or at the top, the notice keeps to the top
// centre of the space it leaves. Wine keeps the work area per process.
TEST_F(AgentTest, NoticeKeepsToTheWorkAreaWhereverTheTaskbarSits) {
    RECT screen = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &screen, 0));
    for (RECT area :
         {RECT{48, 0, screen.right, screen.bottom}, RECT{0, 48, screen.right, screen.bottom}}) {
        ASSERT_TRUE(SystemParametersInfoW(SPI_SETWORKAREA, 0, &area, 0));
        showMsgWnd(L" Vigilor Session Started ");
        RECT rect = windowRect(msgHWnd);
        EXPECT_EQ(rect.left, area.left + (area.right - area.left - 300) / 2);
        EXPECT_EQ(rect.top, area.top + 10);
        closeMsgWnd();
    }
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &screen, 0);
}

TEST_F(AgentTest, CountdownHasItsCancelButton) {
    showCountdownWnd(L" Shut down in 10 seconds. ");
    ASSERT_NE(msgHWnd, nullptr);
    EXPECT_EQ(msgWndKind, kPopupCountdown);
    LONG ex = GetWindowLongW(msgHWnd, GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_APPWINDOW), WS_EX_LAYERED);
    EXPECT_EQ(ex & WS_EX_TOPMOST, WS_EX_TOPMOST);
    EXPECT_FALSE(timerRunning(POPUP_CLOSE_TIMER));

    HWND button = cancelButton(msgHWnd);
    ASSERT_NE(button, nullptr);
    wchar_t text[32] = {};
    GetWindowTextW(button, text, 32);
    EXPECT_STREQ(text, L"Cancel");
    EXPECT_EQ(GetDlgCtrlID(button), 0);
    LONG style = GetWindowLongW(button, GWL_STYLE);
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(style & 0x0F, BS_DEFPUSHBUTTON);
    RECT rect = windowRect(button);
    MapWindowPoints(nullptr, msgHWnd, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, 112);
    EXPECT_EQ(rect.top, 60);
    EXPECT_EQ(rect.right - rect.left, 75);
    EXPECT_EQ(rect.bottom - rect.top, 30);
}

TEST_F(AgentTest, SecondNoticeReusesTheWindowAndRestartsItsTime) {
    showMsgWnd(L" first ");
    HWND first = msgHWnd;
    pumpMessages(1200);
    showMsgWnd(L" second ");
    EXPECT_EQ(msgHWnd, first);
    EXPECT_EQ(msgText, L" second ");
    EXPECT_EQ(popupWindows().size(), 1u);
    // 1.2 s after the second notice the first one's two seconds are over,
    // but the window stays until two seconds after the second.
    pumpMessages(1200);
    EXPECT_TRUE(IsWindow(first));
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(first); }, 2500));
    EXPECT_EQ(msgHWnd, nullptr);
    EXPECT_EQ(msgWndKind, kPopupNone);
    EXPECT_TRUE(IsWindow(agentWindow));
}

TEST_F(AgentTest, NoticeOverTheCountdownKeepsTheButton) {
    showCountdownWnd(L" Shut down in 10 seconds. ");
    HWND countdown = msgHWnd;
    showMsgWnd(L" Vigilor Session Canceled ");
    EXPECT_EQ(msgHWnd, countdown);
    EXPECT_EQ(msgWndKind, kPopupNotice); // so the text is centred in the full height
    EXPECT_NE(cancelButton(countdown), nullptr);
    EXPECT_EQ(popupWindows().size(), 1u);
    EXPECT_TRUE(pumpUntil([&] { return !IsWindow(countdown); }, 3000));
}

TEST_F(AgentTest, NewCountdownClosesTheNoticeAndOutlivesItsTimer) {
    showMsgWnd(L" Vigilor Session Started ");
    HWND notice = msgHWnd;
    showCountdownWnd(L" Shut down in 10 seconds. ");
    EXPECT_FALSE(IsWindow(notice));
    HWND countdown = msgHWnd;
    ASSERT_NE(countdown, nullptr);
    EXPECT_NE(countdown, notice);
    pumpMessages(2300);
    EXPECT_TRUE(IsWindow(countdown));
    EXPECT_EQ(msgWndKind, kPopupCountdown);
    EXPECT_EQ(popupWindows().size(), 1u);
}

TEST_F(AgentTest, CancelButtonCancelsAndLeavesNoPopup) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    SendMessageW(agentWindow, WM_TIMER, 0, 0);
    sessionTimerTarget(agentWindow, WM_TIMER, SESSION_TIMER, 0); // the countdown starts
    HWND countdown = msgHWnd;
    ASSERT_EQ(msgWndKind, kPopupCountdown);
    HWND button = cancelButton(countdown);
    ASSERT_NE(button, nullptr);
    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_EQ(readDword(L"VigilorActive"), 0u);
    EXPECT_FALSE(IsWindow(countdown));
    EXPECT_EQ(msgHWnd, nullptr);
    EXPECT_EQ(msgWndKind, kPopupNone);
    EXPECT_TRUE(popupWindows().empty());
    EXPECT_FALSE(timerRunning(POPUP_CLOSE_TIMER));
    EXPECT_FALSE(timerRunning(SESSION_TIMER));
    // Destroying the popup did not end the agent.
    EXPECT_FALSE(pumpMessages(100));
    EXPECT_TRUE(IsWindow(agentWindow));
}

TEST_F(AgentTest, AtMostOnePopupThroughASessionsLife) {
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    startVigilorSession();
    EXPECT_EQ(popupWindows().size(), 1u);
    sessionTimerTarget(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(popupWindows().size(), 1u);
    cancelVigilorSession();
    EXPECT_EQ(popupWindows().size(), 1u);
    cancelVigilorSession();
    EXPECT_EQ(popupWindows().size(), 1u);
    EXPECT_TRUE(pumpUntil([] { return popupWindows().empty(); }, 3000));
}
