#include "agent_test_support.h"

#include "agent.h"
#include "popup.h"
#include "resource.h"
#include "session.h"
#include "texts.h"

#include <atomic>
#include <set>
#include <thread>
#include <utility>

using namespace test;

namespace {

std::wstring menuText(HMENU menu, UINT position) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, position, text, ARRAYSIZE(text), MF_BYPOSITION);
    return text;
}

// A scratch folder (or the given one) that holds a copy of the stand-in
// configuration program under the real program's name.
struct StandInFolder {
    std::wstring path;
    explicit StandInFolder(std::wstring folder = {}) : path(std::move(folder)) {
        if (path.empty()) {
            wchar_t temp[MAX_PATH] = {};
            GetTempPathW(MAX_PATH, temp);
            path = std::wstring(temp) + L"vigilor folder " + std::to_wstring(GetCurrentProcessId());
        }
        CreateDirectoryW(path.c_str(), nullptr);
        CopyFileW((moduleFolder() + L"\\stand_in_config.exe").c_str(),
                  (path + L"\\PCVigilor.exe").c_str(), FALSE);
    }
    ~StandInFolder() {
        DeleteFileW((path + L"\\PCVigilor.exe").c_str());
        DeleteFileW(marker().c_str());
        RemoveDirectoryW(path.c_str());
    }
    std::wstring marker() const { return path + L"\\started.txt"; }
    bool started() const { return GetFileAttributesW(marker().c_str()) != INVALID_FILE_ATTRIBUTES; }
};

// Watches for a message box of this process from a second thread while the
// test's thread is inside the box's modal loop, records its text and closes
// it.
struct MessageBoxWatcher {
    std::atomic<bool> seen{false};
    std::wstring caption;
    std::wstring text;
    std::thread thread;

    MessageBoxWatcher() {
        thread = std::thread([this] {
            for (int i = 0; i < 500 && !seen; ++i) {
                HWND box = FindWindowW(L"#32770", nullptr);
                DWORD owner = 0;
                if (box != nullptr) {
                    GetWindowThreadProcessId(box, &owner);
                }
                if (box != nullptr && owner == GetCurrentProcessId()) {
                    wchar_t buffer[256] = {};
                    GetWindowTextW(box, buffer, ARRAYSIZE(buffer));
                    caption = buffer;
                    HWND label = GetDlgItem(box, 0xFFFF);
                    GetWindowTextW(label, buffer, ARRAYSIZE(buffer));
                    text = buffer;
                    seen = true;
                    PostMessageW(box, WM_COMMAND, IDOK, 0);
                    return;
                }
                Sleep(20);
            }
        });
    }
    ~MessageBoxWatcher() {
        if (thread.joinable()) {
            thread.join();
        }
    }
};

// What each window lets through from lower integrity levels.
std::set<std::pair<HWND, UINT>> allowedMessages;

BOOL WINAPI recordMessageFilter(HWND window, UINT message, DWORD action, PCHANGEFILTERSTRUCT) {
    if (action == MSGFLT_ALLOW) {
        allowedMessages.insert({window, message});
    }
    return TRUE;
}

} // namespace

extern "C" {
void* __imp_ChangeWindowMessageFilterEx = reinterpret_cast<void*>(&recordMessageFilter);
}

// Wine has no integrity levels: what the agent asks of Windows is seen here.
TEST_F(AgentTest, EveryWindowTheFormMayFindTakesControlMessagesFromAnyIntegrity) {
    std::vector<HWND> windows = {agentWindow};
    showMsgWnd(L" notice ");
    windows.push_back(msgHWnd);
    showCountdownWnd(L" countdown ");
    windows.push_back(msgHWnd);
    for (HWND window : windows) {
        for (UINT message = WM_VIGILOR_START; message <= WM_VIGILOR_QUERY; ++message) {
            EXPECT_EQ(allowedMessages.count({window, message}), 1u) << window << " " << message;
        }
        EXPECT_EQ(allowedMessages.count({window, WM_COPYDATA}), 1u) << window << " WM_COPYDATA";
    }
}

TEST_F(AgentTest, WindowAndMenusAreBuilt) {
    ASSERT_NE(agentWindow, nullptr);
    EXPECT_EQ(FindWindowW(L"VIGILORTASKBAR", L"VigilorTaskbar"), agentWindow);
    EXPECT_FALSE(IsWindowVisible(agentWindow));

    ASSERT_EQ(GetMenuItemCount(trayMenu), 4);
    EXPECT_EQ(menuText(trayMenu, 0), L"Keep Your PC Awake");
    EXPECT_EQ(GetSubMenu(trayMenu, 0), sessionMenu);
    EXPECT_EQ(GetMenuItemID(trayMenu, 1), IDM_SEPARATOR);
    EXPECT_EQ(GetMenuState(trayMenu, 1, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(menuText(trayMenu, 2), L"Configuration");
    EXPECT_EQ(GetMenuItemID(trayMenu, 2), IDM_CONFIGURATION);
    EXPECT_EQ(menuText(trayMenu, 3), L"Close");
    EXPECT_EQ(GetMenuItemID(trayMenu, 3), IDM_CLOSE);
    ASSERT_EQ(GetMenuItemCount(sessionMenu), 11);
    EXPECT_EQ(GetMenuItemID(sessionMenu, 0), IDM_SESSION);
    const std::pair<UINT, const wchar_t*> presets[] = {
        {IDM_PRESET_30_MINUTES, L"For 30 minutes"},
        {IDM_PRESET_1_HOUR, L"For 1 hour"},
        {IDM_PRESET_2_HOURS, L"For 2 hours"},
        {IDM_PRESET_UNTIL_STOPPED, L"Until I stop it"},
        {IDM_UNTIL_TIME, L"Until a time\u2026"}};
    for (UINT i = 0; i < ARRAYSIZE(presets); ++i) {
        EXPECT_EQ(GetMenuItemID(sessionMenu, i + 1), presets[i].first);
        EXPECT_EQ(menuText(sessionMenu, i + 1), presets[i].second);
    }
    EXPECT_EQ(GetMenuState(sessionMenu, 6, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(menuText(sessionMenu, 7), L"While a program runs");
    EXPECT_EQ(GetSubMenu(sessionMenu, 7), programMenu);
    EXPECT_EQ(menuText(sessionMenu, 8), L"Add 1 hour");
    EXPECT_EQ(GetMenuItemID(sessionMenu, 8), IDM_ADD_HOUR);
    EXPECT_EQ(GetMenuState(sessionMenu, 9, MF_BYPOSITION) & MF_SEPARATOR, UINT(MF_SEPARATOR));
    EXPECT_EQ(menuText(sessionMenu, 10), L"Could My PC Still Sleep or Lock?");

    // What starts a session is offered while none runs, as the programs are.
    const UINT starts[] = {1, 2, 3, 4, 5, 7};
    startVigilorSession();
    SendMessageW(agentWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sessionMenu), 1);
    for (UINT position : starts) {
        EXPECT_NE(GetMenuState(sessionMenu, position, MF_BYPOSITION) & MF_GRAYED, 0u) << position;
    }
    cancelVigilorSession();
    SendMessageW(agentWindow, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sessionMenu), 1);
    for (UINT position : starts) {
        EXPECT_EQ(GetMenuState(sessionMenu, position, MF_BYPOSITION) & MF_GRAYED, 0u) << position;
    }
}

TEST_F(AgentTest, SessionItemStartsAndCancels) {
    SendMessageW(agentWindow, WM_COMMAND, IDM_SESSION, 0);
    EXPECT_NE(sessionEndMinute, 0u);
    EXPECT_EQ(sessionItemText(), L"Turn of Vigilor (Let your PC to sleep)");
    SendMessageW(agentWindow, WM_COMMAND, IDM_SESSION, 0);
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 60 minute(s)");
    EXPECT_EQ(msgText, L" Vigilor Session Canceled ");
}

TEST_F(AgentTest, ControlMessagesReachTheEngine) {
    setDword(L"duration", 5);
    SendMessageW(agentWindow, WM_VIGILOR_RELOAD, 0, 0);
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 5 minute(s)");
    SendMessageW(agentWindow, WM_VIGILOR_START, 0, 0);
    EXPECT_NE(sessionEndMinute, 0u);
    // A popup shares the procedure and acts on the same session.
    ASSERT_NE(msgHWnd, nullptr);
    SendMessageW(msgHWnd, WM_VIGILOR_CANCEL, 0, 0);
    EXPECT_EQ(sessionEndMinute, 0u);
}

TEST_F(AgentTest, CloseEndsTheRunningSessionAndTheAgent) {
    startVigilorSession();
    PostMessageW(agentWindow, WM_COMMAND, IDM_CLOSE, 0);
    EXPECT_TRUE(pumpMessages(200));
    EXPECT_EQ(agentWindow, nullptr);
    EXPECT_EQ(FindWindowW(L"VIGILORTASKBAR", L"VigilorTaskbar"), nullptr);
    EXPECT_EQ(readDword(L"VigilorActive"), 0u);
    EXPECT_EQ(executionState(), ES_CONTINUOUS);
    EXPECT_EQ(msgHWnd, nullptr);
}

TEST_F(AgentTest, WmCloseEndsTheAgentEvenWithAPopupUp) {
    startVigilorSession();
    ASSERT_EQ(msgWndKind, kPopupNotice);
    PostMessageW(agentWindow, WM_CLOSE, 0, 0);
    EXPECT_TRUE(pumpMessages(200));
    EXPECT_EQ(agentWindow, nullptr);
    EXPECT_EQ(readDword(L"VigilorActive"), 0u);
    EXPECT_TRUE(popupWindows().empty());
}

TEST_F(AgentTest, DestroyedPopupDoesNotEndTheAgent) {
    showMsgWnd(L" one ");
    HWND popup = msgHWnd;
    ASSERT_NE(popup, nullptr);
    closeMsgWnd();
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_FALSE(pumpMessages(50));

    // Someone else closes a popup: the agent forgets it and lives on.
    showMsgWnd(L" two ");
    popup = msgHWnd;
    SendMessageW(popup, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(popup));
    EXPECT_EQ(msgHWnd, nullptr);
    EXPECT_EQ(msgWndKind, kPopupNone);
    EXPECT_FALSE(timerRunning(POPUP_CLOSE_TIMER));
    EXPECT_FALSE(pumpMessages(50));
    EXPECT_TRUE(IsWindow(agentWindow));
}

TEST_F(AgentTest, DoubleClickOpensTheProgramNamedByPath) {
    StandInFolder folder;
    setString(L"Path", folder.path);
    readAppPath();
    // A single click does nothing.
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_LBUTTONDOWN);
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_LBUTTONUP);
    Sleep(300);
    EXPECT_FALSE(folder.started());
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(pumpUntil([&] { return folder.started(); }, 15000));
}

TEST_F(AgentTest, ConfigurationCommandOpensTheProgram) {
    StandInFolder folder;
    setString(L"Path", folder.path);
    readAppPath();
    SendMessageW(agentWindow, WM_COMMAND, IDM_CONFIGURATION, 0);
    EXPECT_TRUE(pumpUntil([&] { return folder.started(); }, 15000));
}

TEST_F(AgentTest, MissingProgramShowsTheErrorBox) {
    setString(L"Path", L"C:\\no such folder");
    readAppPath();
    MessageBoxWatcher watcher;
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_LBUTTONDBLCLK);
    watcher.thread.join();
    EXPECT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.caption, L"Error");
    EXPECT_EQ(watcher.text, L"Cannot open configuration dialog.");
    EXPECT_TRUE(IsWindow(agentWindow));
}

TEST_F(AgentTest, WithoutAFolderNothingIsStartedFromTheDriveRoot) {
    // "\PCVigilor.exe" alone would name this copy, in the root of the current
    // drive.
    StandInFolder root(L"C:");
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(L"C:\\");
    programFolder.clear();
    MessageBoxWatcher watcher;
    SendMessageW(agentWindow, WM_COMMAND, IDM_CONFIGURATION, 0);
    watcher.thread.join();
    pumpMessages(1000);
    SetCurrentDirectoryW(previous);
    EXPECT_TRUE(watcher.seen);
    EXPECT_EQ(watcher.text, L"Cannot open configuration dialog.");
    EXPECT_FALSE(root.started());
}

TEST_F(AgentTest, UnknownCommandsAndMessagesAreHarmless) {
    SendMessageW(agentWindow, WM_COMMAND, 12345, 0);
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE);
    SendMessageW(agentWindow, WM_USER + 705, 0, 0);
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_TRUE(IsWindow(agentWindow));
    // A second "TaskbarCreated" adds the icon again without disturbing the
    // session.
    startVigilorSession();
    SendMessageW(agentWindow, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_NE(sessionEndMinute, 0u);
}

// Run in every language of the agent: each text of the About box shows whole
// in its line (the description may wrap onto its second line).
TEST_F(AgentTest, AboutTextsFitTheirLinesInTheUserLanguage) {
    HWND about = CreateDialogParamW(
        hInst, MAKEINTRESOURCEW(IDD_ABOUTBOX), agentWindow,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(about, nullptr);
    for (auto [control, text] : {std::pair{IDC_ABOUT_VERSION, IDS_ABOUT_VERSION},
                                 std::pair{IDC_ABOUT_DESCRIPTION, IDS_ABOUT_DESCRIPTION}}) {
        HWND line = GetDlgItem(about, control);
        ASSERT_NE(line, nullptr);
        RECT room = {};
        GetClientRect(line, &room);
        HDC dc = GetDC(line);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0)));
        std::wstring shown = loadText(text);
        RECT needed = {0, 0, room.right, 0};
        DrawTextW(dc, shown.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(line, dc);
        EXPECT_LE(needed.right, room.right) << shown;
        EXPECT_LE(needed.bottom, room.bottom) << shown;
    }
    DestroyWindow(about);
}
