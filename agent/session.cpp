#include "session.h"

#include "agent.h"
#include "key_press.h"
#include "lock_threats.h"
#include "notification.h"
#include "peer_window.h"
#include "policy.h"
#include "popup.h"
#include "power_request.h"
#include "power_scheme.h"
#include "program_watch.h"
#include "resource.h"
#include "session_texts.h"
#include "shutdown.h"
#include "sleep_threats.h"
#include "texts.h"
#include "tray_icon.h"
#include "tray_menu.h"

#include <algorithm>
#include <climits>

SessionOptions sessionOptions;
SessionOptions sessionTerms;
DWORD sessionEndMinute = 0;
SYSTEMTIME sessionEnd = {};
std::wstring sessionProgram;
bool sessionUntilStopped = false;

namespace {

// Execution states for a running session and for none.
EXECUTION_STATE const kKeepSystem = ES_CONTINUOUS | ES_SYSTEM_REQUIRED;
EXECUTION_STATE const kKeepSystemAndDisplay = kKeepSystem | ES_DISPLAY_REQUIRED;
EXECUTION_STATE const kKeepNothing = ES_CONTINUOUS;

ULONGLONG const kTicksPerMinute = 600000000ULL; // FILETIME counts 100 ns
ULONGLONG const kTicksPerMillisecond = 10000;
ULONGLONG const kTicksPerDay = 24 * 60 * kTicksPerMinute;

// "Add 1 hour", and how far ahead of now a session may ever end.
uint64_t const kAddedMinutes = 60;
uint64_t const kLongestMinutesAhead = 1000 * 60;

// With a shutdown the session timer is due ten seconds before the end, for
// the countdown.
ULONGLONG const kCountdownLead = 10000 * kTicksPerMillisecond;

// What the running session asked for at its start, asked again on resume.
EXECUTION_STATE sessionExecutionState = kKeepNothing;

// The local midnight before the session's start, from which its end minute
// counts.
ULONGLONG sessionMidnight = 0;

// Whether the session timer counts towards the end. Once its callback has
// run, the countdown (if any) is the end itself, and the clock no longer
// decides anything.
bool sessionTimerCounting = false;

// The organisation's rules as last read, which the session item follows,
// and the latest end that the running session's rules allow, as a local
// time: a running session keeps the rules it started with.
SessionPolicy policyNow;
ULONGLONG sessionPolicyEnd = ULLONG_MAX;

// The local time at which Windows put the PC to sleep during the session,
// until the resume has told the user, and what it is known to have slept
// for: the text that tells it.
bool sleptInSession = false;
SYSTEMTIME sleptAt = {};
UINT sleptText = IDS_NOTICE_SLEPT;

// The lid, as Windows last reported it.
bool lidClosed = false;

// Local times as a count, in FILETIME's units: timers do not count the time
// the PC sleeps, nor follow a change of the clock, so the session's end is
// held as the local time the user is shown.
ULONGLONG ticksOf(const SYSTEMTIME& time) {
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return ULONGLONG{file.dwHighDateTime} << 32 | file.dwLowDateTime;
}

SYSTEMTIME timeOfTicks(ULONGLONG ticks) {
    FILETIME file = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME time = {};
    FileTimeToSystemTime(&file, &time);
    return time;
}

ULONGLONG localClock() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return ticksOf(now);
}

// Never more than 1000 hours from now, nor beyond what the organisation
// allowed when the session started.
ULONGLONG latestSessionEnd() {
    return std::min(localClock() + kLongestMinutesAhead * kTicksPerMinute, sessionPolicyEnd);
}

ULONGLONG timerLead() {
    return sessionTimerTarget == startShutdownCountdown ? kCountdownLead : 0;
}

// When the session timer's callback is due.
ULONGLONG sessionTimerDue() {
    ULONGLONG end = ticksOf(sessionEnd);
    return end > timerLead() ? end - timerLead() : 0;
}

ULONGLONG midnightBefore(ULONGLONG time) {
    return time - time % kTicksPerDay;
}

// The end and its minute move together. A clock set back before the
// session's first day counts the end from today's midnight instead.
void setSessionEnd(ULONGLONG end) {
    if (end < sessionMidnight) {
        sessionMidnight = midnightBefore(localClock());
    }
    sessionEnd = timeOfTicks(end);
    uint64_t minutes = end > sessionMidnight ? (end - sessionMidnight) / kTicksPerMinute : 0;
    sessionEndMinute = static_cast<DWORD>(std::clamp<uint64_t>(minutes, 1, INT32_MAX));
}

bool displayKeptOn() {
    return (sessionExecutionState & ES_DISPLAY_REQUIRED) != 0;
}

void holdSessionPowerRequest() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    holdPowerRequest(sessionUntilStopped ? loadText(IDS_POWER_REQUEST_UNTIL_STOPPED)
                                         : powerRequestReason(now, sessionEnd, sessionProgram),
                     displayKeptOn());
}

// Minutes from `now` to the next `timeOfDay` (hour * 60 + minute) on the
// wall clock: a time already reached today is tomorrow's.
uint64_t minutesUntil(const SYSTEMTIME& now, unsigned timeOfDay) {
    unsigned const day = 24 * 60;
    unsigned current = unsigned{now.wHour} * 60 + now.wMinute;
    unsigned minutes = (timeOfDay % day + day - current) % day;
    return minutes == 0 ? day : minutes;
}

uint64_t requestedMinutes(const SessionRequest& request, const SYSTEMTIME& now) {
    if (request.untilStopped) {
        return kLongestMinutesAhead;
    }
    if (request.endTimeOfDay) {
        return minutesUntil(now, *request.endTimeOfDay);
    }
    return request.minutes;
}

// A session asked to end at a time of day ends on that minute, not as many
// seconds after it as had passed of the start's minute.
uint64_t secondsIntoMinute(const SessionRequest& request, const SYSTEMTIME& now) {
    return request.endTimeOfDay ? uint64_t{now.wSecond} * 1000 + now.wMilliseconds : 0;
}

// Everything that shows the end shows the new one.
void showSessionEnd() {
    holdSessionPowerRequest();
    showTraySession(sessionEnd, sessionProgram, sessionUntilStopped);
}

void CALLBACK sessionTimeUp(HWND window, UINT message, UINT_PTR id, DWORD time) {
    // From here on the time decides the end, whatever the program does.
    stopProgramWatch();
    sessionTimerCounting = false;
    sessionTimerTarget(window, message, id, time);
}

// The session timer runs for what is left until the end, or its callback
// runs at once where the end has passed. A countdown that a sleep broke off
// starts again, so the user sees all of it. Returns whether the session
// goes on as before.
bool catchUpSessionTimer() {
    ULONGLONG now = localClock();
    ULONGLONG due = sessionTimerDue();
    if (now >= due) {
        sessionTimeUp(agentWindow, WM_TIMER, SESSION_TIMER, GetTickCount());
        return false;
    }
    armSessionTimer((due - now) / kTicksPerMillisecond, sessionTimerTarget);
    return true;
}

// A clock set back would leave an end further ahead than any session may
// last. Returns whether the end moved.
bool keepEndWithinReach() {
    ULONGLONG latest = latestSessionEnd();
    if (ticksOf(sessionEnd) <= latest) {
        return false;
    }
    setSessionEnd(latest);
    return true;
}

// What could let the running session's PC sleep or lock, advice included
// only where the organisation allows what it advises.
void noticeSessionThreats() {
    noticeSleepThreats(displayKeptOn(), policyNow.allowDisplayOn);
    noticeLockThreats(displayKeptOn(), policyNow.allowDisplayOn);
}

void tellSleepDuringSession() {
    SYSTEMTIME wokeAt = {};
    GetLocalTime(&wokeAt);
    notifyOnce(NoticeCause::SleptAnyway, sleptDuringSessionText(sleptText, sleptAt, wokeAt),
               NoticeLevel::Warning);
}

} // namespace

uint64_t sessionTimerLeft = 0;
TIMERPROC sessionTimerTarget = nullptr;

void CALLBACK continueSessionTimer(HWND, UINT, UINT_PTR, DWORD) {
    armSessionTimer(sessionTimerLeft, sessionTimerTarget);
}

void armSessionTimer(uint64_t milliseconds, TIMERPROC target) {
    sessionTimerCounting = true;
    if (milliseconds > USER_TIMER_MAXIMUM) {
        sessionTimerLeft = milliseconds - USER_TIMER_MAXIMUM;
        sessionTimerTarget = target;
        SetTimer(agentWindow, SESSION_TIMER, USER_TIMER_MAXIMUM, continueSessionTimer);
    } else {
        sessionTimerLeft = 0;
        sessionTimerTarget = target;
        SetTimer(agentWindow, SESSION_TIMER, static_cast<UINT>(milliseconds), sessionTimeUp);
    }
}

uint64_t sessionLengthMinutes(const SessionOptions& options) {
    uint64_t minutes = options.duration;
    if (options.durationUnit != 0) {
        minutes *= 60;
    }
    return std::max<uint64_t>(minutes, 1);
}

uint64_t sessionTimerMilliseconds(const SessionOptions& options) {
    uint64_t milliseconds = sessionLengthMinutes(options) * 60000;
    if (options.shutdownWindows == 1) {
        milliseconds -= 10000;
    }
    return milliseconds;
}

uint64_t keyPressIntervalMilliseconds(const SessionOptions& options) {
    uint64_t milliseconds = std::max<uint64_t>(options.simulatePressTimeOut, 1) * 60000;
    return std::min<uint64_t>(milliseconds, USER_TIMER_MAXIMUM);
}

DWORD computeSessionEndMinute(const SYSTEMTIME& start, uint64_t lengthMinutes) {
    uint64_t end = uint64_t{start.wHour} * 60 + start.wMinute + lengthMinutes;
    return static_cast<DWORD>(std::clamp<uint64_t>(end, 1, INT32_MAX));
}

SYSTEMTIME endTimeOfMinute(const SYSTEMTIME& start, DWORD endMinute) {
    SYSTEMTIME midnight = {start.wYear, start.wMonth, start.wDayOfWeek, start.wDay};
    return minutesLater(midnight, endMinute);
}

SYSTEMTIME minutesLater(const SYSTEMTIME& time, uint64_t minutes) {
    return timeOfTicks(ticksOf(time) + minutes * kTicksPerMinute);
}

std::wstring buildSessionMenuText() {
    // The length a start would give, which the organisation may cap.
    SessionOptions next = sessionOptions;
    applySessionPolicy(policyNow, next);
    UINT id = next.durationUnit == 1 ? IDS_SESSION_ITEM_HOURS : IDS_SESSION_ITEM_MINUTES;
    return formatText(id, static_cast<unsigned>(next.duration));
}

namespace {

// The main window of the configuration application built with our Qt; a
// configuration application built with Qt 6.5.0 registers its window under
// the class the message description names, which is looked for next.
HWND findConfigWindow() {
    HWND config = FindWindowW(VIGILOR_CONFIG_WINDOW_CLASS, kConfigWindowTitle);
    if (config == nullptr) {
        config = FindWindowW(kNamedConfigWindowClass, kConfigWindowTitle);
    }
    return config;
}

} // namespace

void reportSessionState() {
    HWND config = findConfigWindow();
    if (config != nullptr) {
        PostMessageW(config, WM_VIGILOR_STATE, sessionEndMinute, 0);
        OutputDebugStringA("PC-Vigilor Found");
    }
}

void loadSessionOptions() {
    readSessionOptions(sessionOptions);
    policyNow = readSessionPolicy();
    if (sessionEndMinute == 0) {
        setSessionItemText(buildSessionMenuText());
    }
    detectPowerScheme();
}

void startVigilorSession() {
    startSession({});
}

bool tellIfTurnedOff() {
    if (!readSessionPolicy().disabled) {
        return false;
    }
    // Where the user can see it: a notification of the tray icon, or a
    // notice while the taskbar has no icon in place.
    std::wstring turnedOff = loadText(IDS_NOTICE_TURNED_OFF);
    if (!showTrayNotification(turnedOff, NIIF_INFO)) {
        showMsgWnd(turnedOff);
    }
    return true;
}

bool startSession(SessionRequest request) {
    // Refused before anything changes: a running session goes on as it
    // started, and whoever asked hears that none began.
    if (tellIfTurnedOff()) {
        if (request.program != nullptr) {
            CloseHandle(request.program);
        }
        reportSessionState();
        return false;
    }
    // A start replaces a session that lasted for a program; where the new
    // program cannot be watched, the running session goes on with its own.
    if (request.program == nullptr) {
        stopProgramWatch();
    } else if (!watchProgram(request.program, request.programFile)) {
        return false;
    }
    forgetNotices();
    // A record of a crashed agent's switch is dealt with before this session
    // looks at the active plan and records its own.
    restoreSchemeLeftBehind();
    sessionProgram = request.programTitle;
    sessionUntilStopped = request.untilStopped;
    loadSessionOptions();
    sessionTerms = sessionOptions;
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    if (uint64_t minutes = requestedMinutes(request, now); minutes != 0) {
        sessionTerms.duration = static_cast<DWORD>(std::min<uint64_t>(minutes, UINT32_MAX));
        sessionTerms.durationUnit = 0;
    }
    if (request.keepDisplayOn) {
        sessionTerms.monitorOn = *request.keepDisplayOn ? 1 : 0;
    }
    // What the organisation decides comes last, over every way in; a session
    // it cuts short has an end to show.
    applySessionPolicy(policyNow, sessionTerms);
    if (sessionLengthMinutes(sessionTerms) < kLongestMinutesAhead) {
        sessionUntilStopped = false;
    }
    writeVigilorActive(1);
    uint64_t lengthMinutes = sessionLengthMinutes(sessionTerms);
    if (sessionTerms.simulatePress == 1) {
        SetTimer(agentWindow, KEY_PRESS_TIMER,
                 static_cast<UINT>(keyPressIntervalMilliseconds(sessionTerms)), simulatePressProc);
    }
    sessionExecutionState = sessionTerms.monitorOn == 1 ? kKeepSystemAndDisplay : kKeepSystem;
    SetThreadExecutionState(sessionExecutionState);
    uint64_t timerMilliseconds = sessionTimerMilliseconds(sessionTerms);
    timerMilliseconds -= std::min(timerMilliseconds, secondsIntoMinute(request, now));
    armSessionTimer(timerMilliseconds, sessionTerms.shutdownWindows == 1 ? startShutdownCountdown
                                                                         : handleSessionTimeout);
    setSessionItemText(loadText(IDS_SESSION_ITEM_RUNNING));
    sessionMidnight = midnightBefore(ticksOf(now));
    sessionEndMinute = computeSessionEndMinute(now, lengthMinutes);
    sessionEnd = endTimeOfMinute(now, sessionEndMinute);
    // The timer counts the length from this very second; a session asked to
    // end at a time of day ends on that minute.
    if (!request.endTimeOfDay) {
        sessionEnd.wSecond = now.wSecond;
        sessionEnd.wMilliseconds = now.wMilliseconds;
    }
    uint64_t longest = longestSessionMinutes(policyNow);
    sessionPolicyEnd =
        longest == UINT64_MAX ? ULLONG_MAX : ticksOf(now) + longest * kTicksPerMinute;
    showSessionEnd();
    if (sessionTerms.powerSchemeOn == 1) {
        switchPowerScheme(sessionTerms.powerSchemeIndex);
    }
    showMsgWnd(loadText(IDS_NOTICE_STARTED));
    // Told before the configuration window hears of the session, so that
    // whoever waits for that finds the notification already shown.
    noticeSessionThreats();
    tellNotices();
    reportSessionState();
    return true;
}

void endVigilorSession() {
    writeVigilorActive(0);
    SetThreadExecutionState(kKeepNothing);
    sessionExecutionState = kKeepNothing;
    sleptInSession = false;
    releasePowerRequest();
    KillTimer(agentWindow, SESSION_TIMER);
    KillTimer(agentWindow, KEY_PRESS_TIMER);
    stopProgramWatch();
    sessionProgram.clear();
    sessionUntilStopped = false;
    sessionEndMinute = 0;
    // Whatever the options say now, a scheme this session switched to is
    // switched back, and nothing is touched when it switched none.
    restorePowerScheme();
    reportSessionState();
    setSessionItemText(buildSessionMenuText());
    showTrayIdle();
}

void extendVigilorSession() {
    extendSession(kAddedMinutes);
}

bool extendSession(uint64_t minutes) {
    // A session until stopped has no end to move.
    if (sessionEndMinute == 0 || sessionUntilStopped) {
        return false;
    }
    ULONGLONG end = ticksOf(sessionEnd);
    ULONGLONG latest = latestSessionEnd();
    uint64_t added =
        end >= latest ? 0 : std::min<uint64_t>(minutes, (latest - end) / kTicksPerMinute);
    SYSTEMTIME local = {};
    GetLocalTime(&local);
    if (added == 0) {
        // Said, so that nobody counts on an hour that did not come. The
        // countdown stays where it is, with its Cancel button.
        std::wstring notice = notExtendedNotice(local, sessionEnd);
        if (msgWndKind == kPopupCountdown) {
            showTrayNotification(notice, NIIF_INFO);
        } else {
            showMsgWnd(notice);
        }
        return false;
    }
    // The countdown is the old end coming; the session now goes on.
    if (msgWndKind == kPopupCountdown) {
        closeMsgWnd();
    }
    setSessionEnd(end + added * kTicksPerMinute);
    if (catchUpSessionTimer()) {
        showSessionEnd();
        showMsgWnd(extendedNotice(local, sessionEnd));
        reportSessionState();
    }
    return true;
}

void cancelVigilorSession() {
    endVigilorSession();
    showMsgWnd(loadText(IDS_NOTICE_CANCELED));
}

void endSessionWithWindows() {
    if (sessionEndMinute != 0) {
        endVigilorSession();
    }
}

void sessionProgramEnded() {
    if (sessionEndMinute == 0 || sessionTimerTarget == nullptr) {
        return;
    }
    // What the session lasted for is gone: it ends now, in the countdown's
    // ten seconds where it ends with one, and names the program no more.
    sessionProgram.clear();
    setSessionEnd(localClock() + timerLead());
    if (timerLead() != 0) {
        holdSessionPowerRequest();
        reportSessionState();
    }
    // The notice, or the shutdown countdown that can still be cancelled.
    sessionTimeUp(agentWindow, WM_TIMER, SESSION_TIMER, GetTickCount());
}

void CALLBACK handleSessionTimeout(HWND, UINT, UINT_PTR, DWORD) {
    endVigilorSession();
    showMsgWnd(loadText(IDS_NOTICE_ENDED));
}

void renewSessionRequirements() {
    if (sessionEndMinute == 0) {
        return;
    }
    SetThreadExecutionState(sessionExecutionState);
    holdSessionPowerRequest();
    refreshTrayTip();
}

void noticeSleepBeginning() {
    if (sessionEndMinute != 0) {
        GetLocalTime(&sleptAt);
        sleptInSession = true;
        sleptText = lidClosed            ? IDS_NOTICE_SLEPT_LID
                    : batteryActionDue() ? IDS_NOTICE_SLEPT_BATTERY
                                         : IDS_NOTICE_SLEPT;
    }
}

void resumeSessionAfterSleep(bool automatic) {
    bool slept = sleptInSession;
    // Windows sends the user's resume after the automatic one; the session
    // is taken up once.
    if (sessionEndMinute == 0 || (!slept && !automatic)) {
        return;
    }
    sleptInSession = false;
    if (slept) {
        tellSleepDuringSession();
    }
    bool moved = keepEndWithinReach();
    if (catchUpSessionTimer() && moved) {
        showTraySession(sessionEnd, sessionProgram, sessionUntilStopped);
        reportSessionState();
    }
    renewSessionRequirements();
}

void sessionClockChanged() {
    if (sessionEndMinute == 0 || !sessionTimerCounting) {
        return;
    }
    bool moved = keepEndWithinReach();
    if (!catchUpSessionTimer()) {
        return;
    }
    // The end may now be on another day as seen from today.
    holdSessionPowerRequest();
    if (moved) {
        showTraySession(sessionEnd, sessionProgram, sessionUntilStopped);
        reportSessionState();
    } else {
        refreshTrayTip();
    }
}

void noticeLidState(bool closed) {
    lidClosed = closed;
}

namespace {

// What the user's check looks for, gathered as notices: both the tray's
// check and the command line's take it from here.
void gatherSleepCheck() {
    // Without a session, for the one the stored options would start; the
    // options the agent holds stay as they are.
    bool running = sessionEndMinute != 0;
    SessionOptions next = sessionOptions;
    SessionPolicy rules = running ? policyNow : readSessionPolicy();
    if (!running) {
        readSessionOptions(next);
        applySessionPolicy(rules, next);
    }
    bool displayOn = running ? displayKeptOn() : next.monitorOn == 1;
    bool keyPressOn = (running ? sessionTerms.simulatePress : next.simulatePress) == 1;
    noticeSleepThreats(displayOn, rules.allowDisplayOn);
    noticeLockThreats(displayOn, rules.allowDisplayOn);
    noticeLidAction();
    noticeRequestedLockThreats(keyPressOn, rules.allowKeyPress);
}

} // namespace

void checkSleepNow() {
    beginRequestedNotices();
    gatherSleepCheck();
    tellRequestedNotices(loadText(IDS_NOTICE_NOTHING_FOUND));
}

std::vector<std::wstring> sleepCheckFindings() {
    beginRequestedNotices();
    gatherSleepCheck();
    return takeRequestedNotices();
}

void noticePowerSourceChange() {
    // Also the look at which a cause that the user could not see at the
    // start is told again.
    if (sessionEndMinute != 0) {
        noticeSessionThreats();
        tellNotices();
    }
}
