// The tray icon's drawings and tips, received by a stand-in notification
// area in this process.
#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "popup.h"
#include "program_support.h"
#include "session.h"
#include "shutdown.h"
#include "tray_stand_in.h"

#include <shellapi.h>

using namespace test;
using vigilor_test::TrayRecord;
using vigilor_test::TrayStandIn;

namespace {

const wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

void setLightTaskbar(bool light) {
    DWORD value = light ? 1 : 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"SystemUsesLightTheme", REG_DWORD, &value,
                    sizeof(value));
    SendMessageW(agentWindow, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
}

std::wstring thisProgram() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

// The icon of a record over a taskbar of the given colour, eight times
// enlarged, as a bitmap file for people to look at.
void savePicture(const TrayRecord& record, COLORREF taskbar, const std::string& name) {
    UINT size = record.iconWidth;
    size_t maskBytes = (size * size + 15) / 16 * 2;
    if (size == 0 || record.iconBits.size() < maskBytes + size * size * 4) {
        return;
    }
    const BYTE* colour = record.iconBits.data() + maskBytes;
    UINT const scale = 8;
    UINT side = size * scale;
    UINT rowBytes = (side * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {sizeof(info)};
    info.biWidth = static_cast<LONG>(side);
    info.biHeight = -static_cast<LONG>(side); // top row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + rowBytes * side;
    std::vector<BYTE> pixels(rowBytes * side);
    BYTE back[3] = {GetBValue(taskbar), GetGValue(taskbar), GetRValue(taskbar)};
    for (UINT y = 0; y < side; ++y) {
        for (UINT x = 0; x < side; ++x) {
            const BYTE* source = colour + ((y / scale) * size + x / scale) * 4;
            for (int c = 0; c < 3; ++c) {
                pixels[y * rowBytes + x * 3 + c] =
                    static_cast<BYTE>((source[c] * source[3] + back[c] * (255 - source[3])) / 255);
            }
        }
    }
    std::wstring folder = vigilor_test::windowsPath(VIGILOR_SCREENSHOT_DIR);
    CreateDirectoryW(folder.c_str(), nullptr);
    std::wstring path = folder + L"\\" + std::wstring(name.begin(), name.end()) + L".bmp";
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) {
        return;
    }
    DWORD written = 0;
    WriteFile(out, &file, sizeof(file), &written, nullptr);
    WriteFile(out, &info, sizeof(info), &written, nullptr);
    WriteFile(out, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
    CloseHandle(out);
}

class TrayIconTest : public AgentTest {
  protected:
    void SetUp() override {
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"SystemUsesLightTheme");
        AgentTest::SetUp();
    }
    void TearDown() override {
        AgentTest::TearDown();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"SystemUsesLightTheme");
    }

    // The latest record shows icon `id` with `tip`; its picture is saved.
    void expectIcon(WORD id, const std::wstring& tip, const char* picture, bool light) {
        ASSERT_FALSE(tray->records().empty());
        const TrayRecord& record = tray->records().back();
        EXPECT_EQ(record.tip, tip);
        EXPECT_EQ(record.iconWidth, 16u);
        std::vector<BYTE> expected = vigilor_test::iconResourceBits(thisProgram(), id, 16);
        ASSERT_FALSE(expected.empty());
        EXPECT_TRUE(record.iconBits == expected) << "not the pixels of icon " << id;
        savePicture(record, light ? RGB(243, 243, 243) : RGB(32, 32, 32), picture);
    }

    TrayStandIn* tray = &processTray();
};

} // namespace

// Every drawing in both taskbar colours; the countdown also counts in the tip.
TEST_F(TrayIconTest, ThreeDrawingsInBothTaskbarColours) {
    expectIcon(108, L"Vigilor Helper", "tray-idle-dark", false);
    startVigilorSession();
    std::wstring tip = tray->records().back().tip;
    EXPECT_EQ(tip.rfind(L"Vigilor Helper\nAwake until ", 0), 0u);
    expectIcon(122, tip, "tray-session-dark", false);
    setLightTaskbar(true);
    expectIcon(123, tip, "tray-session-light", true);

    setDword(L"shutdownWindows", 1);
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    expectIcon(125, L"Vigilor Helper\nShutting down in 10 seconds", "tray-countdown-light", true);
    shutdownCountdownTick(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    setLightTaskbar(false);
    expectIcon(124, L"Vigilor Helper\nShutting down in 9 seconds", "tray-countdown-dark", false);

    cancelVigilorSession();
    expectIcon(108, L"Vigilor Helper", "tray-idle-dark", false);
    setLightTaskbar(true);
    expectIcon(121, L"Vigilor Helper", "tray-idle-light", true);
    size_t records = tray->records().size();
    // Another setting, or the same colours again, changes nothing.
    SendMessageW(agentWindow, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"));
    SendMessageW(agentWindow, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    setLightTaskbar(true);
    EXPECT_EQ(tray->records().size(), records);
}

// Run under faketime at 23:30 on Tuesday, 8 December 2026, in English (United
// States): the end of a session named as the user reads it.
TEST(AtHalfPastEleven, TipAndPowerRequestNameTheDayTheSessionEnds) {
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = {};
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    ASSERT_STREQ(locale, L"en-US") << "the texts below are those of English (United States)";
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    sessionOptions = SessionOptions{};
    TrayStandIn tray;
    ASSERT_TRUE(initInstance(GetModuleHandleW(nullptr)));
    setDword(L"durationUnit", 1);
    struct {
        DWORD hours;
        const wchar_t* end;
    } const cases[] = {
        {1, L"tomorrow 12:30 AM"},     // never "24:30"
        {72, L"Friday 11:30 PM"},      // within the week
        {192, L"12/16/2026 11:30 PM"}, // beyond it
    };
    for (const auto& session : cases) {
        setDword(L"duration", session.hours);
        startVigilorSession();
        ASSERT_FALSE(tray.records().empty());
        EXPECT_EQ(tray.records().back().tip,
                  L"Vigilor Helper\nAwake until " + std::wstring(session.end));
        ASSERT_FALSE(fake_power::requests().empty());
        EXPECT_EQ(fake_power::requests().back().reason,
                  L"PC-Vigilor keeps this PC awake until " + std::wstring(session.end));
    }

    // The longest formats a user can set: the tip is cut to what it holds.
    wchar_t timeFormat[100] = {};
    wchar_t dateFormat[100] = {};
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, timeFormat, ARRAYSIZE(timeFormat));
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, dateFormat, ARRAYSIZE(dateFormat));
    // Each may have 79 characters.
    std::wstring longTime = L"h:mm tt '" + std::wstring(69, L'T') + L"'";
    std::wstring longDate = L"M/d/yyyy '" + std::wstring(67, L'D') + L"'";
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, longTime.c_str()));
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, longDate.c_str()));
    startVigilorSession(); // 192 hours: the date and the time
    std::wstring tip = tray.records().back().tip;
    std::wstring reason = fake_power::requests().back().reason;
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, timeFormat);
    SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, dateFormat);
    std::wstring end =
        L"12/16/2026 " + std::wstring(67, L'D') + L" 11:30 PM " + std::wstring(69, L'T');
    EXPECT_EQ(tip, (L"Vigilor Helper\nAwake until " + end).substr(0, 127));
    EXPECT_EQ(reason, L"PC-Vigilor keeps this PC awake until " + end) << "the reason is whole";

    DestroyWindow(agentWindow);
    pumpMessages();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

void setClock(const char* time) {
    test::setClock(std::string("2026-12-09 ") + time);
}

// The PC sleeps from `from` to `to` (timers stand still meanwhile); the
// texts of the notifications that follow.
std::vector<std::wstring> sleepBetween(TrayStandIn& tray, const char* from, const char* to) {
    setClock(from);
    size_t records = tray.records().size();
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    setClock(to);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    return tray.notificationsSince(records);
}

std::wstring sleptText(const wchar_t* from, const wchar_t* to, const wchar_t* lid = L"") {
    return std::wstring(L"Windows put the PC to sleep at ") + from + L" during the session" + lid +
           L", and it woke at " + to +
           (*lid ? L". To keep it awake with the lid closed, set closing the lid to \u201cDo "
                   L"nothing\u201d in Windows' power options."
                 : L". The power button, closing the lid and Start > Sleep end every request to "
                   L"stay awake.");
}

// Windows reports the lid (GUID_LIDSWITCH_STATE_CHANGE) as a DWORD, 1 when open.
void reportLid(DWORD open) {
    struct {
        GUID setting;
        DWORD length;
        DWORD open;
    } lid = {{0xba3e0f4d, 0xb817, 0x4094, {0xa2, 0xd1, 0xd5, 0x63, 0x79, 0xe6, 0xa0, 0xf3}},
             sizeof(DWORD),
             open};
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(&lid));
}

// Run with the clock read from the file VIGILOR_FAKETIME_FILE, which says
// 23:30 on 8 December 2026 at the start: after midnight the tip no longer
// says "tomorrow" once the pointer rests on the icon.
TEST(AcrossMidnight, TipNamesTheEndDayAnewAndEachSleepIsToldWithItsCauseAndOnePastTheEndEndsIt) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    sessionOptions = SessionOptions{};
    TrayStandIn tray;
    ASSERT_TRUE(initInstance(GetModuleHandleW(nullptr)));
    setDword(L"duration", 1);
    setDword(L"durationUnit", 1);
    startVigilorSession();
    ASSERT_FALSE(tray.records().empty());
    EXPECT_EQ(tray.records().back().tip, L"Vigilor Helper\nAwake until tomorrow 12:30 AM");

    ASSERT_NO_FATAL_FAILURE(setClock("00:10:00"));
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    ASSERT_EQ(now.wDay, 9) << "the clock did not follow the file";

    size_t records = tray.records().size();
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE);
    ASSERT_EQ(tray.records().size(), records + 1);
    EXPECT_EQ(tray.records().back().tip, L"Vigilor Helper\nAwake until 12:30 AM");
    // The pointer moving on does not repeat an unchanged tip.
    SendMessageW(agentWindow, WMAPP_NOTIFYCALLBACK, TRAY_ICON_ID, WM_MOUSEMOVE);
    EXPECT_EQ(tray.records().size(), records + 1);

    reportLid(0);
    EXPECT_EQ(sleepBetween(tray, "00:10:00", "00:12:00"),
              std::vector<std::wstring>{
                  sleptText(L"12:10 AM", L"12:12 AM", L", when the lid was closed")});
    reportLid(1);
    EXPECT_NE(sessionEndMinute, 0u) << "a sleep within the session goes on with it";
    // The second sleep lasts past the session's end.
    EXPECT_EQ(sleepBetween(tray, "00:15:00", "00:40:00"),
              std::vector<std::wstring>{sleptText(L"12:15 AM", L"12:40 AM")});
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_EQ(msgText, L" Vigilor Session Ended ");
    DestroyWindow(agentWindow);
    pumpMessages();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}
