// What the command line (vigilor.exe) and the agent send each other. The
// command line sends the agent window a request as WM_COPYDATA with
// SendMessageTimeoutW, wParam its own top-level window; the message's result
// says what came of it. A question (status, check) is answered before that
// result comes back, with a WM_COPYDATA from the agent window to the asking
// window: the asker is waiting in its send, which takes messages sent to it.
// Both programs are built from this one header; every field is checked by
// the side that receives it, which trusts nothing it did not build itself.
#pragma once

#include <windows.h>

namespace remote {

// COPYDATASTRUCT::dwData of a request and of the two answers. They name the
// version too: a later layout comes under other tags, which an older agent
// leaves alone.
inline constexpr ULONG_PTR kRequestTag = 0x56494731;  // "VIG1"
inline constexpr ULONG_PTR kStatusTag = 0x56494753;   // "VIGS"
inline constexpr ULONG_PTR kFindingsTag = 0x56494746; // "VIGF"
inline constexpr DWORD kVersion = 1;

enum Verb : DWORD {
    kStart = 1,
    kStop = 2,
    kExtend = 3,
    kStatus = 4,
    kCheck = 5,
};

enum Display : DWORD {
    kDisplayAsStored = 0,
    kDisplayOn = 1,
    kDisplayOff = 2,
};

// A session never ends more than this far ahead.
inline constexpr DWORD kLongestMinutes = 1000 * 60;
// No end time of day given.
inline constexpr DWORD kNoEndTime = 0xFFFFFFFF;
inline constexpr DWORD kMinutesPerDay = 24 * 60;

struct Request {
    DWORD size;    // sizeof(Request)
    DWORD version; // kVersion
    DWORD verb;
    // kStart: the length, 0 for the stored one; kExtend: the minutes added.
    // At most kLongestMinutes.
    DWORD minutes;
    // kStart: the local time of day to end at, as hour * 60 + minute (the
    // next such time), or kNoEndTime. Not with `minutes`.
    DWORD endTimeOfDay;
    DWORD display;   // kStart: a Display
    DWORD programId; // kStart: a process to last for, 0 for none
    // kStart, instead of programId: a program file name without a folder
    // ("render.exe"), the session lasting while any process of it runs;
    // empty for none. Terminated.
    wchar_t programFile[MAX_PATH];
};

// The request's result: the LRESULT of WM_COPYDATA. A window that does not
// know the request returns 0, as DefWindowProc does.
enum Result : LRESULT {
    kNotUnderstood = 0,
    kDone = 1,
    kNoSession = 2,     // kStop, kExtend: no session runs
    kNoSuchProgram = 3, // kStart: no such process or program runs
    kCannotWatch = 4,   // kStart: it runs, but cannot be watched
    // The agent is starting up, or is in the middle of an action that
    // waits for another window (the notification area's): a request taken
    // now would act on half of it. Send it again in a moment.
    kNotReady = 5,
    kTurnedOff = 6, // kStart: the organisation turned PC-Vigilor off
    // kExtend: the session lasts as long as it may already (1000 hours from
    // now, the organisation's longest, or until stopped): its end stays.
    kNotExtended = 7,
};

// No power plan switched.
inline constexpr DWORD kNoPlan = 0xFFFFFFFF;
inline constexpr size_t kProgramNameLength = 64;

// The answer to kStatus.
struct Status {
    DWORD size;    // sizeof(Status)
    DWORD version; // kVersion
    DWORD running;
    // The session lasts until it is stopped (the longest length); `end` is
    // then that far ahead.
    DWORD untilStopped;
    SYSTEMTIME end; // local time, to the minute
    DWORD displayKeptOn;
    DWORD shutdownAtEnd;
    // The built-in plan switched to (0 Power saver, 1 Balanced, 2 High
    // performance), or kNoPlan; `asPowerMode` when Windows would not switch
    // the plan and the nearest power mode was set instead.
    DWORD plan;
    DWORD asPowerMode;
    DWORD programId;                     // the process the session lasts for, 0 for none
    wchar_t program[kProgramNameLength]; // its name as the tip shows it; terminated
};

inline constexpr size_t kFindingsLength = 4096;

// The answer to kCheck: what could let the PC sleep, in the user's language,
// each finding ended by a line feed; with none found, the text that says so.
struct Findings {
    DWORD size;    // sizeof(Findings)
    DWORD version; // kVersion
    DWORD count;
    wchar_t text[kFindingsLength]; // terminated
};

} // namespace remote
