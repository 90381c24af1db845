// Telling the user, beside the popups, what keeps a session from doing what
// it promises or what went wrong with it: a notification of the tray icon,
// which Windows keeps in its notification centre after it is gone from the
// screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What a notification is about. Each cause is told at most once per session:
// a user told that the chosen plan is missing does not need to hear it again
// at every change of the power source. A sleep during the session, and a
// keyboard shortcut that another program holds, are told each time they
// happen.
enum class NoticeCause : unsigned {
    PowerPlan,
    ShutdownFailed,
    SleepPolicy,
    RequestOverride,
    ModernStandby,
    SleptAnyway,
    BatteryRunningOut,
    LidAction,
    NothingFound,
    InactivityLock,
    ScreenSaverLock,
    RemoteIdleLimit,
    DynamicLock,
    ChatAway,
    HotkeyTaken,
    Count
};

enum class NoticeLevel { Info, Warning };

// Shows `text` at once, unless `cause` was already told in this session.
void notifyOnce(NoticeCause cause, const std::wstring& text, NoticeLevel level);

// The findings of one look at the PC (a start, a change of the power source)
// are gathered first and then told together: a start that finds several
// causes names them in one notification, not in several in a row.
void addNotice(NoticeCause cause, const std::wstring& text, NoticeLevel level);

// Tells what was gathered since the last call, each text whole: in one
// notification, or, where together they are longer than a notification
// holds, in as few as take them. A cause counts as told only when the user
// could see it: one that the notification area refused, or shown while
// Windows kept notifications from the user (full screen, presentation,
// locked), is told again at the next look. While the tray icon is not in
// place, the notices wait for it.
void tellNotices();

// The tray icon is in place (again): what waited for it is told.
void tellWaitingNotices();

// The user asked what could let the PC sleep: what is gathered between these
// two calls is told whether or not this session told it already, and the
// session's own notices stay as they were. With nothing gathered, the user
// is told `nothingFound`.
void beginRequestedNotices();
void tellRequestedNotices(const std::wstring& nothingFound);
// Or, instead of telling them, hands the texts gathered since
// beginRequestedNotices to the caller, who shows them elsewhere.
std::vector<std::wstring> takeRequestedNotices();

// A new session starts: every cause may be told again.
void forgetNotices();
