// The session: the period during which the agent keeps the PC awake.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "settings.h"

// The options as stored, read at every start and re-read.
extern SessionOptions sessionOptions;

// What the running session runs with: the stored options as its start found
// them, with what the way in asked for in their place.
extern SessionOptions sessionTerms;

// The local minute of the day at which the running session ends, counted
// from the midnight before its start (so it may exceed 1440); 0 when no
// session runs.
extern DWORD sessionEndMinute;

// The local time at which the running session ends: its start's time of day
// to the second plus its length. The tip and the configuration application
// show its minute; the session timer runs to it, also after a sleep or a
// change of the clock.
extern SYSTEMTIME sessionEnd;

// The title of the program the running session lasts for; empty when it
// lasts its time alone.
extern std::wstring sessionProgram;

// The running session lasts until the user stops it ("Until I stop it"):
// its end is the longest length away, which the tip does not name.
extern bool sessionUntilStopped;

// A session's length in minutes for the options; a stored length of 0 counts
// as one minute, so that no session is over before it begins.
uint64_t sessionLengthMinutes(const SessionOptions& options);

// How long the session timer runs before it fires: the whole length, or ten
// seconds less when the session ends with a shutdown countdown.
uint64_t sessionTimerMilliseconds(const SessionOptions& options);

// The key-press interval; an interval of 0 counts as one minute.
uint64_t keyPressIntervalMilliseconds(const SessionOptions& options);

// The end minute for a session of `lengthMinutes` started at `start`. Kept
// within the positive 32-bit range, which is what the configuration
// application can show, and never 0.
DWORD computeSessionEndMinute(const SYSTEMTIME& start, uint64_t lengthMinutes);

// The local time of an end minute counted from the midnight before `start`.
SYSTEMTIME endTimeOfMinute(const SYSTEMTIME& start, DWORD endMinute);
SYSTEMTIME minutesLater(const SYSTEMTIME& time, uint64_t minutes);

// The session item's text while no session runs.
std::wstring buildSessionMenuText();

// What a start asks for. Every way in (the session item, the control
// message, a program's session, ...) says here what differs from the stored
// options, and startSession takes the steps; what it leaves unsaid comes
// from the options as the start reads them. The stored options stay as they
// are.
struct SessionRequest {
    // How long the session lasts, in minutes; 0: as the options say.
    uint64_t minutes = 0;
    // Whether the display is kept on, where the way in says.
    std::optional<bool> keepDisplayOn;
    // A program the session lasts for at most: its process, opened for
    // SYNCHRONIZE, which the session takes over, and its title for the tip.
    HANDLE program = nullptr;
    std::wstring programTitle;
    // With `program`: its program file name, when the session lasts while
    // any process of that program runs.
    std::wstring programFile;
    // Instead of `minutes`: the local time of day it ends at, as hour * 60 +
    // minute; the next such time, tomorrow when it has passed today.
    std::optional<unsigned> endTimeOfDay;
    // Instead of `minutes`: until the user stops it, at most the longest
    // length.
    bool untilStopped = false;
};

void loadSessionOptions();

// Starts a session as `request` asks, whether or not one runs: a start
// during a session replaces it. The organisation's policy decides over the
// request and the options; where it turns PC-Vigilor off, nothing starts,
// the user is told, and a running session goes on. False when nothing
// started: under that policy, or when the program the session is to last
// for cannot be watched.
bool startSession(SessionRequest request);

// Whether the organisation turned PC-Vigilor off, the user told so: a way in
// that asks the user something first asks this.
bool tellIfTurnedOff();

// A session with the stored options: the session item and WM_VIGILOR_START.
void startVigilorSession();

// The program the session lasts for has ended: the session's end is now, and
// it ends as it would at its time, with the shutdown countdown when it ends
// with one.
void sessionProgramEnded();
// Moves the running session's end an hour later ("Add 1 hour"), or
// `minutes` later, but never beyond 1000 hours from now, nor beyond the
// longest session the organisation allowed when it started; at that limit
// the user is told the end that holds. A session until stopped stays as it
// is. Returns whether the end moved.
void extendVigilorSession();
bool extendSession(uint64_t minutes);
void endVigilorSession();
void cancelVigilorSession();

// Windows is about to end the user's session (shutdown, restart, sign-out):
// a running session ends now, as the end steps end it, without a notice.
void endSessionWithWindows();

// After the PC woke up by itself: a running session asks again to keep it
// awake, as its start did.
void renewSessionRequirements();

// Windows is putting the PC to sleep (PBT_APMSUSPEND): a running session
// remembers when.
void noticeSleepBeginning();

// The PC woke (`automatic` for PBT_APMRESUMEAUTOMATIC, else the user's
// PBT_APMRESUMESUSPEND). A session that the PC slept through tells the user
// when it slept and woke; it ends now if its end passed meanwhile, through
// its usual end (the countdown, when it ends with a shutdown), and else
// asks again to keep the PC awake and ends on time, never more than 1000
// hours from now.
void resumeSessionAfterSleep(bool automatic);

// The clock or the time zone changed (WM_TIMECHANGE): a running session still
// ends at the local time the tip shows, at once when that has passed, and
// never more than 1000 hours from now. A countdown under way runs on.
void sessionClockChanged();

// Windows reported the lid closed or opened: a sleep while it is closed is
// told as the lid's doing.
void noticeLidState(bool closed);

// The user asked what could let the PC sleep or lock: every cause that
// holds now, for the running session or the next one, what closing the lid
// does, Dynamic Lock, and chat programs' "Away" without the simulated key
// press, in a notification; that nothing was found, when nothing was.
void checkSleepNow();

// The same findings as texts, for the command line, told nowhere else.
std::vector<std::wstring> sleepCheckFindings();

// The PC changed between mains and battery (PBT_APMPOWERSTATUSCHANGE): a
// running session tells what may now let the PC sleep or lock, each cause
// once.
void noticePowerSourceChange();

// A Windows timer runs for at most USER_TIMER_MAXIMUM milliseconds; a longer
// session timer runs in slices. Arms timer 3000 so that `target` runs after
// `milliseconds`.
void armSessionTimer(uint64_t milliseconds, TIMERPROC target);

// What is left after the current slice, and the callback due at the end.
extern uint64_t sessionTimerLeft;
extern TIMERPROC sessionTimerTarget;
void CALLBACK continueSessionTimer(HWND window, UINT message, UINT_PTR id, DWORD time);

// Session timer callback at the end of a session without shutdown.
void CALLBACK handleSessionTimeout(HWND window, UINT message, UINT_PTR id, DWORD time);

// Tells the configuration application's main window, if it is open, the
// session end minute.
void reportSessionState();
