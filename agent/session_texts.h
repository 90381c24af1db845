// What the agent tells the user and Windows about a running session outside
// its popups: the notification-area tip, its notifications and the reason of
// its power request.
// Every text is built from one whole format string of the string table, so
// that a translation can order its words freely.
#pragma once

#include <windows.h>

#include <string>

// The tip says at most this much; a longer text is cut.
inline constexpr size_t kTipMaxLength = 127;

// When a session that ends at `end` ends, as seen at `now` (both local
// time): the time alone on the same day, "tomorrow" and the time on the next
// day, the weekday and the time within the week, the date and the time
// beyond it. Times and dates are in the user's format, without seconds.
std::wstring sessionEndText(const SYSTEMTIME& now, const SYSTEMTIME& end);

// The tip while a session runs, and during the shutdown countdown. A session
// that lasts while `program` runs (its title; empty for any other session)
// names it, shortened when the whole tip would not fit.
std::wstring sessionTip(const SYSTEMTIME& now, const SYSTEMTIME& end,
                        const std::wstring& program = {});
std::wstring countdownTip(int seconds);

// The notification after Windows put the PC to sleep during a session: when
// it fell asleep and when it woke, local times in the user's format, in the
// notice `text` (a sleep of no known cause, the lid's or the battery's).
std::wstring sleptDuringSessionText(UINT text, const SYSTEMTIME& sleptAt, const SYSTEMTIME& wokeAt);

// The reason under which the session's power request is listed.
std::wstring powerRequestReason(const SYSTEMTIME& now, const SYSTEMTIME& end,
                                const std::wstring& program = {});

// The notice after a session was made longer, and the one when it could not
// be, since it ends as late as a session may already.
std::wstring extendedNotice(const SYSTEMTIME& now, const SYSTEMTIME& end);
std::wstring notExtendedNotice(const SYSTEMTIME& now, const SYSTEMTIME& end);
