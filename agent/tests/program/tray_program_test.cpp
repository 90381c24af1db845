// The notification-area icon as the notification area receives it: a
// stand-in tray window takes every icon record of the real agent.
#include "agent_program_fixture.h"
#include "tray_stand_in.h"

#include <shellapi.h>

#include <algorithm>
#include <memory>

namespace vigilor_test {
namespace {

WORD const kIdleDark = 108;
WORD const kIdleLight = 121;
WORD const kSessionDark = 122;
WORD const kSessionLight = 123;
WORD const kCountdownDark = 124;

const wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
const wchar_t kLightValue[] = L"SystemUsesLightTheme";
DWORD const kRecordTimeoutMs = 5000;

void setLightTaskbar(std::optional<DWORD> value) {
    if (!value) {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kLightValue);
        return;
    }
    RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, kLightValue, REG_DWORD, &*value,
                    sizeof(*value));
}

// The local time of a session end minute, as the agent's tip says it.
std::wstring endTimeText(WPARAM endMinute) {
    SYSTEMTIME time = {};
    GetLocalTime(&time);
    time.wHour = static_cast<WORD>(endMinute / 60 % 24);
    time.wMinute = static_cast<WORD>(endMinute % 60);
    wchar_t text[80] = {};
    GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, text,
                    ARRAYSIZE(text));
    return endMinute >= 1440 ? L"tomorrow " + std::wstring(text) : text;
}

// Windows told by policy to ignore requests to keep the system awake.
const wchar_t kSleepPolicyKey[] =
    L"SOFTWARE\\Policies\\Microsoft\\Power\\PowerSettings\\A4B195F5-8225-47D8-8012-9D41369786E2";

class TrayIcons : public AgentProgram {
  protected:
    void SetUp() override {
        AgentProgram::SetUp();
        DWORD value = 0;
        DWORD size = sizeof(value);
        if (RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kLightValue, RRF_RT_REG_DWORD, nullptr,
                         &value, &size) == ERROR_SUCCESS) {
            savedLight = value;
        }
        tray = std::make_unique<TrayStandIn>();
        ASSERT_NE(tray->handle(), nullptr);
    }
    void TearDown() override {
        AgentProgram::TearDown();
        tray.reset();
        setLightTaskbar(savedLight);
        RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSleepPolicyKey);
    }

    // The latest record, once more than `count` have arrived.
    TrayRecord recordAfter(size_t count) {
        if (!tray->waitForRecords(count + 1, kRecordTimeoutMs)) {
            ADD_FAILURE() << "no icon record after the first " << count;
            return {};
        }
        return tray->records().back();
    }

    ::testing::AssertionResult shows(const TrayRecord& record, DWORD message, WORD icon,
                                     const std::wstring& tip, int size = 16) {
        if (record.message != message) {
            return ::testing::AssertionFailure() << "record " << record.message;
        }
        if (record.window != agent.window() || record.id != 1010 ||
            record.callbackMessage != WM_TRAY_CALLBACK) {
            return ::testing::AssertionFailure() << "not the agent's icon " << record.id;
        }
        if (record.tip != tip) {
            return ::testing::AssertionFailure()
                   << "tip \"" << std::string(record.tip.begin(), record.tip.end()) << "\"";
        }
        if (record.iconWidth != UINT(size) || record.iconHeight != UINT(size)) {
            return ::testing::AssertionFailure()
                   << "icon " << record.iconWidth << "x" << record.iconHeight;
        }
        std::vector<BYTE> expected = iconResourceBits(windowsPath(VIGILOR_AGENT_EXE), icon, size);
        if (expected.empty() || record.iconBits != expected) {
            return ::testing::AssertionFailure() << "not the pixels of icon " << icon;
        }
        return ::testing::AssertionSuccess();
    }

    std::unique_ptr<TrayStandIn> tray;

  private:
    std::optional<DWORD> savedLight;
};

TEST_F(TrayIcons, OnADarkTaskbarTheIconAndTipFollowTheSession) {
    setLightTaskbar(std::nullopt); // no setting means a dark taskbar
    ASSERT_TRUE(writeSetting(L"duration", 5));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    ASSERT_TRUE(tray->waitForRecords(1, kRecordTimeoutMs));
    EXPECT_TRUE(shows(tray->records()[0], NIM_ADD, kIdleDark, L"Vigilor Helper"));

    size_t seen = tray->records().size();
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    EXPECT_TRUE(shows(recordAfter(seen), NIM_MODIFY, kSessionDark,
                      L"Vigilor Helper\nAwake until " + endTimeText(*end)));

    seen = tray->records().size();
    ASSERT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    EXPECT_TRUE(shows(recordAfter(seen), NIM_MODIFY, kIdleDark, L"Vigilor Helper"));
}

TEST_F(TrayIcons, TheIconFollowsTheTaskbarColoursAndANewTaskbar) {
    setLightTaskbar(1);
    ASSERT_NO_FATAL_FAILURE(startAgent());
    ASSERT_TRUE(tray->waitForRecords(1, kRecordTimeoutMs));
    EXPECT_TRUE(shows(tray->records()[0], NIM_ADD, kIdleLight, L"Vigilor Helper"));
    size_t seen = tray->records().size();
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    std::wstring tip = L"Vigilor Helper\nAwake until " + endTimeText(*end);
    EXPECT_TRUE(shows(recordAfter(seen), NIM_MODIFY, kSessionLight, tip));

    // Windows tells every window when the user switches the colours.
    setLightTaskbar(0);
    seen = tray->records().size();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(agent.window(), WM_SETTINGCHANGE, 0,
                        reinterpret_cast<LPARAM>(L"ImmersiveColorSet"), SMTO_NORMAL, 5000, &result);
    EXPECT_TRUE(shows(recordAfter(seen), NIM_MODIFY, kSessionDark, tip));

    // A restarted taskbar has lost the icon; it comes back as it was.
    seen = tray->records().size();
    ASSERT_TRUE(agent.post(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(shows(recordAfter(seen), NIM_ADD, kSessionDark, tip));
}

// At sign-in the taskbar may be too busy to take the icon, and no
// "TaskbarCreated" follows: adding or changing it is tried every two seconds
// until the icon is there, as it is by then, and with it what the start had
// to tell.
TEST_F(TrayIcons, ABusyTaskbarGetsTheIconOnceItIsReady) {
    setLightTaskbar(std::nullopt);
    DWORD ignored = 0;
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, kSleepPolicyKey, L"ACSettingIndex", REG_DWORD, &ignored,
                    sizeof(ignored));
    // The first add and change, the session's change, and one more round.
    tray->refuseFirstRecords(5);
    ASSERT_NO_FATAL_FAILURE(startAgent());
    std::optional<WPARAM> end = exchange(WM_VIGILOR_START);
    ASSERT_TRUE(end);
    ASSERT_TRUE(tray->waitForRecords(6, 3 * kRecordTimeoutMs));
    const std::vector<TrayRecord>& records = tray->records();
    EXPECT_EQ(records[0].message, DWORD{NIM_ADD});
    EXPECT_EQ(records[1].message, DWORD{NIM_MODIFY});
    EXPECT_TRUE(shows(records[5], NIM_ADD, kSessionDark,
                      L"Vigilor Helper\nAwake until " + endTimeText(*end)));
    ASSERT_TRUE(tray->waitForRecords(7, kRecordTimeoutMs));
    EXPECT_NE(records[6].info.find(L"ignore requests"), std::wstring::npos);
    EXPECT_FALSE(tray->waitForRecords(8, 3000)) << "still adding once the icon was there";
}

// The icon asks for NOTIFYICON_VERSION_4 at every add and keeps its tip.
// Enter or Space and the menu key open the menu at the icon the callback
// names; closed without a choice, it gives the keyboard back to the tray.
// A key soon after a menu closed is taken for that menu's echo.
TEST_F(TrayIcons, TheKeyboardOpensTheMenuAtTheIcon) {
    ASSERT_NO_FATAL_FAILURE(startAgent());
    ASSERT_TRUE(tray->waitForRecords(1, kRecordTimeoutMs));
    EXPECT_NE(tray->records()[0].flags & NIF_SHOWTIP, 0u);
    auto requests = [&](DWORD message) {
        return std::count_if(tray->requests().begin(), tray->requests().end(),
                             [&](auto& r) { return r.message == message && r.id == 1010; });
    };
    ASSERT_TRUE(pumpUntil([&] { return requests(NIM_SETVERSION) == 1; }, kRecordTimeoutMs));
    EXPECT_EQ(tray->requests().front().version, 4u);
    for (WORD event : {WORD{NIN_KEYSELECT}, WORD{WM_CONTEXTMENU}}) {
        auto focused = requests(NIM_SETFOCUS);
        ASSERT_TRUE(agent.post(WM_TRAY_CALLBACK, MAKEWPARAM(120, 140), MAKELPARAM(event, 1010)));
        RECT menu = {};
        EXPECT_TRUE(pumpUntil(
            [&] {
                HWND shown = findProcessWindow(agent.id(), L"#32768", nullptr);
                return IsWindowVisible(shown) && GetWindowRect(shown, &menu);
            },
            kRecordTimeoutMs));
        EXPECT_EQ(std::pair(menu.left, menu.top), std::pair(120L, 140L));
        ASSERT_TRUE(agent.post(WM_CANCELMODE));
        EXPECT_TRUE(pumpUntil([&] { return requests(NIM_SETFOCUS) > focused; }, kRecordTimeoutMs));
        pumpUntil([] { return false; }, GetDoubleClickTime() + 100);
    }
    ASSERT_TRUE(agent.post(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(pumpUntil([&] { return requests(NIM_SETVERSION) == 2; }, kRecordTimeoutMs));
}

// Run alone, in a Wine session of its own at 192 DPI (200 %): everything the
// user sees of the agent is twice the size it is at 96 DPI.
class AtDoubleDpi : public TrayIcons {
  protected:
    void SetUp() override {
        // This program sees the screen as it is, not scaled for it.
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
        ASSERT_EQ(GetDpiForSystem(), 192u) << "this test expects Wine at 192 DPI";
        TrayIcons::SetUp();
    }
};

RECT windowRect(HWND window, HWND relativeTo = nullptr) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, relativeTo, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

TEST_F(AtDoubleDpi, IconPopupsAndCountdownAreTwiceTheSize) {
    setLightTaskbar(std::nullopt);
    ASSERT_TRUE(writeSetting(L"duration", 1));
    ASSERT_TRUE(writeSetting(L"shutdownWindows", 1));
    ASSERT_NO_FATAL_FAILURE(startAgent());
    ASSERT_TRUE(tray->waitForRecords(1, kRecordTimeoutMs));
    EXPECT_TRUE(shows(tray->records()[0], NIM_ADD, kIdleDark, L"Vigilor Helper", 32));

    ASSERT_TRUE(exchange(WM_VIGILOR_START));
    std::vector<HWND> popups = findPopups(agent.id());
    ASSERT_EQ(popups.size(), 1u);
    RECT work = {};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    RECT notice = windowRect(popups.front());
    EXPECT_EQ(notice.left, (work.right - 600) / 2);
    EXPECT_EQ(notice.top, 20);
    EXPECT_EQ(notice.right - notice.left, 600);
    EXPECT_EQ(notice.bottom - notice.top, 200);

    // The countdown opens ten seconds before the end of the one minute.
    HWND button = nullptr;
    ASSERT_TRUE(pumpUntil(
        [&] {
            for (HWND popup : findPopups(agent.id())) {
                button = findChild(popup, L"BUTTON");
            }
            return button != nullptr;
        },
        70000))
        << "no countdown";
    RECT buttonRect = windowRect(button, GetParent(button));
    EXPECT_EQ(buttonRect.left, 224);
    EXPECT_EQ(buttonRect.top, 120);
    EXPECT_EQ(buttonRect.right - buttonRect.left, 150);
    EXPECT_EQ(buttonRect.bottom - buttonRect.top, 60);
    RECT countdown = windowRect(GetParent(button));
    EXPECT_EQ(countdown.bottom - countdown.top, 200);

    auto hasTip = [&](const wchar_t* tip) {
        for (const TrayRecord& record : tray->records()) {
            if (record.tip == tip) {
                return shows(record, NIM_MODIFY, kCountdownDark, tip, 32);
            }
        }
        return ::testing::AssertionFailure() << "no record with that tip";
    };
    // The records come as the agent shows them, the popup first.
    pumpUntil([&] { return bool(hasTip(L"Vigilor Helper\nShutting down in 8 seconds")); }, 5000);
    EXPECT_TRUE(hasTip(L"Vigilor Helper\nShutting down in 10 seconds"));
    EXPECT_TRUE(hasTip(L"Vigilor Helper\nShutting down in 9 seconds"));
    EXPECT_TRUE(hasTip(L"Vigilor Helper\nShutting down in 8 seconds"));

    size_t seen = tray->records().size();
    ASSERT_EQ(exchange(WM_VIGILOR_CANCEL), WPARAM{0});
    EXPECT_TRUE(shows(recordAfter(seen), NIM_MODIFY, kIdleDark, L"Vigilor Helper", 32));
}

} // namespace
} // namespace vigilor_test
