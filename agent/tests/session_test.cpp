#include "agent_test_support.h"

#include "agent.h"
#include "fake_powrprof.h"
#include "popup.h"
#include "session.h"
#include "shutdown.h"
#include "tray_stand_in.h"

using namespace test;

namespace {

DWORD minuteOfDay() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return now.wHour * 60u + now.wMinute;
}

// The end minute of a session started now, allowing for a minute that
// turned while it started.
void expectEndMinuteFromNow(DWORD before, DWORD lengthMinutes) {
    DWORD after = minuteOfDay();
    if (after < before) {
        after += 1440;
    }
    EXPECT_GE(sessionEndMinute, before + lengthMinutes);
    EXPECT_LE(sessionEndMinute, after + lengthMinutes);
}

void expectNoSession() {
    EXPECT_EQ(sessionEndMinute, 0u);
    EXPECT_EQ(readDword(L"VigilorActive"), 0u);
    EXPECT_EQ(sessionItemText(), buildSessionMenuText());
    EXPECT_EQ(executionState(), ES_CONTINUOUS);
    EXPECT_FALSE(timerRunning(SESSION_TIMER));
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
}

} // namespace

TEST_F(AgentTest, StartedSessionRunsWithDefaults) {
    DWORD before = minuteOfDay();
    startVigilorSession();
    EXPECT_EQ(readDword(L"VigilorActive"), 1u);
    EXPECT_EQ(sessionItemText(), L"Turn of Vigilor (Let your PC to sleep)");
    EXPECT_EQ(executionState(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED | ES_DISPLAY_REQUIRED);
    expectEndMinuteFromNow(before, 60);
    EXPECT_TRUE(timerRunning(SESSION_TIMER));
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
    EXPECT_EQ(msgText, L" Vigilor Session Started ");
}

TEST_F(AgentTest, SessionEndsWhenItsTimerFires) {
    setDword(L"simulatePress", 1);
    startVigilorSession();
    ASSERT_NE(sessionEndMinute, 0u);
    handleSessionTimeout(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(msgText, L" Vigilor Session Ended ");
    EXPECT_EQ(msgWndKind, kPopupNotice);
    expectNoSession();
}

TEST_F(AgentTest, CancelEndsTheSession) {
    setDword(L"simulatePress", 1);
    setDword(L"monitorOn", 0);
    startVigilorSession();
    EXPECT_EQ(executionState(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    cancelVigilorSession();
    EXPECT_EQ(msgText, L" Vigilor Session Canceled ");
    expectNoSession();
}

TEST_F(AgentTest, CancelWithoutSessionRunsTheEndStepsAnyway) {
    writeVigilorActive(1);
    cancelVigilorSession();
    EXPECT_EQ(msgText, L" Vigilor Session Canceled ");
    expectNoSession();
}

TEST_F(AgentTest, SwitchOtherThanOneCountsAsOff) {
    setDword(L"monitorOn", 2);
    setDword(L"simulatePress", 2);
    setDword(L"shutdownWindows", 2);
    startVigilorSession();
    EXPECT_EQ(executionState(), ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
}

TEST_F(AgentTest, IdleTextNamesTheUnit) {
    setDword(L"duration", 2);
    setDword(L"durationUnit", 1);
    loadSessionOptions();
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 2 hour(s)");

    // Only 1 reads as hours; any other unit but 0 still counts hours.
    setDword(L"durationUnit", 2);
    loadSessionOptions();
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 2 minute(s)");
    EXPECT_EQ(sessionLengthMinutes(sessionOptions), 120u);

    setDword(L"duration", 0);
    setDword(L"durationUnit", 0);
    loadSessionOptions();
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 0 minute(s)");
}

TEST_F(AgentTest, ReloadDuringSessionKeepsItRunning) {
    startVigilorSession();
    DWORD end = sessionEndMinute;
    setDword(L"duration", 5);
    loadSessionOptions();
    EXPECT_EQ(sessionEndMinute, end);
    EXPECT_EQ(sessionItemText(), L"Turn of Vigilor (Let your PC to sleep)");
    EXPECT_EQ(sessionOptions.duration, 5u);
    cancelVigilorSession();
    EXPECT_EQ(sessionItemText(), L"Keep your PC awake for 5 minute(s)");
}

TEST_F(AgentTest, StartDuringSessionStartsAnew) {
    setDword(L"simulatePress", 1);
    startVigilorSession();
    setDword(L"simulatePress", 0);
    setDword(L"duration", 2);
    setDword(L"durationUnit", 1);
    DWORD before = minuteOfDay();
    startVigilorSession();
    expectEndMinuteFromNow(before, 120);
    // The earlier key-press timer goes on until the session ends.
    EXPECT_TRUE(timerRunning(KEY_PRESS_TIMER));
}

TEST_F(AgentTest, DurationBeyondTheFormsRangeIsUsedUnchanged) {
    setDword(L"duration", 5000);
    DWORD before = minuteOfDay();
    startVigilorSession();
    expectEndMinuteFromNow(before, 5000);
    EXPECT_EQ(sessionItemText(), L"Turn of Vigilor (Let your PC to sleep)");
}

TEST_F(AgentTest, ShutdownSessionArmsTheCountdownTenSecondsEarly) {
    setDword(L"shutdownWindows", 1);
    setDword(L"duration", 1);
    startVigilorSession();
    EXPECT_EQ(sessionTimerTarget, startShutdownCountdown);
    EXPECT_EQ(sessionTimerMilliseconds(sessionOptions), 50000u);
}

// The countdown after a program's end is the session's end: a sleep does
// not stop it.
TEST_F(AgentTest, CountdownAfterTheProgramsEndRunsOnThroughASleep) {
    setDword(L"shutdownWindows", 1);
    startSession({0, {}, OpenProcess(SYNCHRONIZE, FALSE, GetCurrentProcessId()), L"Render"});
    sessionProgramEnded();
    EXPECT_EQ(fake_power::requests().back().reason.find(L"Render"), std::wstring::npos);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_TRUE(pumpUntil([] { return shutdownCountdown == 9; }, 3000));
}

TEST(SessionLength, TimerIntervals) {
    SessionOptions options;
    EXPECT_EQ(sessionTimerMilliseconds(options), 3600000u);
    options.duration = 2;
    options.durationUnit = 1;
    EXPECT_EQ(sessionTimerMilliseconds(options), 7200000u);
    options.shutdownWindows = 1;
    EXPECT_EQ(sessionTimerMilliseconds(options), 7190000u);

    // A length of 0 can only be stored by hand: it counts as a minute, and
    // with shutdown the countdown still gets its ten seconds.
    options.duration = 0;
    EXPECT_EQ(sessionLengthMinutes(options), 1u);
    EXPECT_EQ(sessionTimerMilliseconds(options), 50000u);
    options.shutdownWindows = 0;
    EXPECT_EQ(sessionTimerMilliseconds(options), 60000u);

    // No 32-bit wrap: 1000 hours is 3,600,000,000 ms, and 0xFFFFFFFF hours
    // is counted in full.
    options.duration = 1000;
    EXPECT_EQ(sessionTimerMilliseconds(options), 3600000000u);
    options.duration = 0xFFFFFFFF;
    EXPECT_EQ(sessionTimerMilliseconds(options), 0xFFFFFFFFull * 3600000);
}

TEST_F(AgentTest, LongSessionTimerRunsInSlices) {
    setDword(L"duration", 1000);
    setDword(L"durationUnit", 1);
    startVigilorSession();
    ASSERT_EQ(sessionTimerLeft, 3600000000u - USER_TIMER_MAXIMUM);
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
    // The first slice is over: the rest fits in one timer.
    continueSessionTimer(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    EXPECT_EQ(sessionTimerLeft, 0u);
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
    EXPECT_TRUE(timerRunning(SESSION_TIMER));
    EXPECT_NE(sessionEndMinute, 0u);
    EXPECT_EQ(readDword(L"VigilorActive"), 1u);
}

TEST(SessionEndMinute, CountsPastMidnightAndIsNeverZero) {
    SYSTEMTIME start = {};
    start.wHour = 23;
    start.wMinute = 30;
    EXPECT_EQ(computeSessionEndMinute(start, 60), 1470u);
    start.wHour = 0;
    start.wMinute = 0;
    EXPECT_EQ(computeSessionEndMinute(start, 1), 1u);
    EXPECT_EQ(computeSessionEndMinute(start, 0), 1u);
    // Beyond what the configuration application reads as a positive
    // 32-bit number, the end minute stays at its largest.
    start.wHour = 12;
    EXPECT_EQ(computeSessionEndMinute(start, 0xFFFFFFFFull * 60), 0x7FFFFFFFu);
}

// Run by ctest under faketime at 23:30.
TEST(AtHalfPastEleven, OneHourSessionEndsAtMinute1470) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    ASSERT_EQ(now.wHour, 23) << "this test expects the clock at 23:30";
    ASSERT_EQ(now.wMinute, 30) << "this test expects the clock at 23:30";
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    sessionOptions = SessionOptions{};
    ASSERT_TRUE(initInstance(GetModuleHandleW(nullptr)));
    setDword(L"duration", 1);
    setDword(L"durationUnit", 1);
    startVigilorSession();
    EXPECT_EQ(sessionEndMinute, 1470u);
    DestroyWindow(agentWindow);
    pumpMessages();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

// Run with the clock read from the file VIGILOR_FAKETIME_FILE, from 23:30 on
// 8 December 2026: a session ends at the time its tip shows, whatever the
// clock does, and never more than 1000 hours from now.
TEST(AcrossMidnight, ChangesOfTheClockKeepTheEndTheTipShowsWithinAThousandHours) {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    ASSERT_NO_FATAL_FAILURE(setClock("2026-12-08 23:30:00"));
    vigilor_test::TrayStandIn tray;
    vigilor_test::StateRecorder config;
    ASSERT_TRUE(initInstance(GetModuleHandleW(nullptr)));
    setDword(L"duration", 1);
    setDword(L"durationUnit", 1);
    startVigilorSession(); // until 12:30 AM
    ASSERT_NO_FATAL_FAILURE(setClock("2026-12-09 00:29:59"));
    SendMessageW(agentWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_TRUE(pumpUntil([] { return sessionEndMinute == 0; }, 3000)) << "not ended at its time";

    // Past the end: the countdown, which runs on when the clock goes back.
    ASSERT_NO_FATAL_FAILURE(setClock("2026-12-08 23:30:00"));
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    ASSERT_NO_FATAL_FAILURE(setClock("2026-12-09 02:00:00"));
    SendMessageW(agentWindow, WM_TIMECHANGE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(setClock("2026-12-08 23:30:00"));
    SendMessageW(agentWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_TRUE(pumpUntil([] { return shutdownCountdown == 9; }, 3000)) << "no countdown";
    setDword(L"shutdownWindows", 0);

    // Ten weeks back: the end comes within reach, in the tip and the form.
    startVigilorSession();
    pumpMessages();
    ASSERT_NO_FATAL_FAILURE(setClock("2026-10-01 12:00:00"));
    SendMessageW(agentWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(tray.records().back().tip, L"Vigilor Helper\nAwake until 11/12/2026 4:00 AM");
    pumpMessages();
    EXPECT_EQ(config.last(), WPARAM{42 * 1440 + 4 * 60}) << "minutes from today's midnight";
    SendMessageW(agentWindow, WM_COMMAND, IDM_ADD_HOUR, 0);
    EXPECT_EQ(msgText, L"Session not extended: it already lasts until 11/12/2026 4:00 AM, as long "
                       L"as a session may");
    // A day further back across a sleep.
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
    ASSERT_NO_FATAL_FAILURE(setClock("2026-09-30 12:00:00"));
    SendMessageW(agentWindow, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
    EXPECT_EQ(tray.records().back().tip, L"Vigilor Helper\nAwake until 11/11/2026 4:00 AM");
    // A session until stopped is one through any change of the clock.
    SessionRequest untilStopped;
    untilStopped.untilStopped = true;
    startSession(untilStopped);
    ASSERT_NO_FATAL_FAILURE(setClock("2026-09-29 12:00:00"));
    SendMessageW(agentWindow, WM_TIMECHANGE, 0, 0);
    EXPECT_EQ(tray.records().back().tip, L"Vigilor Helper\nAwake until you stop it");
    DestroyWindow(agentWindow);
    pumpMessages();
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
}

// The organisation's rules decide what a session does, not what is stored.
TEST_F(AgentTest, PolicyTurnsOffKeyPressAndShutdown) {
    const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Quorvex\\PC-Vigilor";
    DWORD off = 0;
    for (const wchar_t* name : {L"AllowKeyPress", L"AllowShutdown"})
        RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKey, name, REG_DWORD, &off, sizeof(off));
    setDword(L"simulatePress", 1);
    setDword(L"shutdownWindows", 1);
    startVigilorSession();
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    EXPECT_FALSE(timerRunning(KEY_PRESS_TIMER));
    EXPECT_EQ(sessionTimerTarget, handleSessionTimeout);
    EXPECT_EQ(sessionOptions.simulatePress + sessionOptions.shutdownWindows, 2u);

    // At the organisation's longest session, "Add 1 hour" during the
    // countdown tells the end that holds and leaves the countdown, with its
    // Cancel button, on the screen.
    DWORD hour = 1;
    RegSetKeyValueW(HKEY_CURRENT_USER, kPolicyKey, L"MaxSessionHours", REG_DWORD, &hour,
                    sizeof(hour));
    setDword(L"duration", 60);
    setDword(L"durationUnit", 0);
    startVigilorSession();
    RegDeleteTreeW(HKEY_CURRENT_USER, kPolicyKey);
    startShutdownCountdown(agentWindow, WM_TIMER, SESSION_TIMER, 0);
    size_t first = processTray().records().size();
    SendMessageW(agentWindow, WM_COMMAND, IDM_ADD_HOUR, 0);
    EXPECT_EQ(msgWndKind, kPopupCountdown);
    ASSERT_EQ(processTray().notificationsSince(first).size(), 1u);
    EXPECT_EQ(processTray().notificationsSince(first)[0].rfind(L"Session not extended", 0), 0u);
}
