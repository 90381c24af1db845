#include "session_texts.h"

#include "agent.h"
#include "resource.h"
#include "texts.h"
#include "user_formats.h"

#include <algorithm>

namespace {

ULONGLONG const kTicksPerDay = 864000000000ULL; // FILETIME counts 100 ns

// Days from the date of `from` to the date of `to`; the times of day do not
// count.
LONGLONG daysBetween(const SYSTEMTIME& from, const SYSTEMTIME& to) {
    auto day = [](const SYSTEMTIME& time) {
        SYSTEMTIME midnight = {time.wYear, time.wMonth, 0, time.wDay};
        FILETIME file = {};
        SystemTimeToFileTime(&midnight, &file);
        return static_cast<LONGLONG>((ULONGLONG{file.dwHighDateTime} << 32 | file.dwLowDateTime) /
                                     kTicksPerDay);
    };
    return day(to) - day(from);
}

} // namespace

std::wstring sessionEndText(const SYSTEMTIME& now, const SYSTEMTIME& end) {
    std::wstring time = userTimeText(end);
    LONGLONG days = daysBetween(now, end);
    if (days <= 0) {
        return time;
    }
    if (days == 1) {
        return formatText(IDS_END_TOMORROW, {time});
    }
    // A weekday a week or more ahead would read as one of this week.
    if (days < 7) {
        return formatText(IDS_END_WEEKDAY, {userDateText(end, 0, L"dddd"), time});
    }
    return formatText(IDS_END_DATE, {userDateText(end, DATE_SHORTDATE), time});
}

std::wstring sessionTip(const SYSTEMTIME& now, const SYSTEMTIME& end, const std::wstring& program) {
    std::wstring endText = sessionEndText(now, end);
    if (program.empty()) {
        return formatText(IDS_TIP_SESSION, {endText});
    }
    std::wstring tip = formatText(IDS_TIP_PROGRAM, {program, endText});
    if (tip.size() <= kTipMaxLength) {
        return tip;
    }
    // The end is what the tip is for; the title gives way, "…" included.
    size_t over = tip.size() - kTipMaxLength + 1;
    return formatText(IDS_TIP_PROGRAM,
                      {cutText(program, program.size() - std::min(over, program.size())), endText});
}

std::wstring countdownTip(int seconds) {
    wchar_t number[16] = {};
    wsprintfW(number, L"%d", seconds);
    return formatText(IDS_TIP_COUNTDOWN, {number});
}

std::wstring sleptDuringSessionText(UINT text, const SYSTEMTIME& sleptAt,
                                    const SYSTEMTIME& wokeAt) {
    return formatText(text, {userTimeText(sleptAt), userTimeText(wokeAt)});
}

std::wstring powerRequestReason(const SYSTEMTIME& now, const SYSTEMTIME& end,
                                const std::wstring& program) {
    if (program.empty()) {
        return formatText(IDS_POWER_REQUEST_REASON, {sessionEndText(now, end)});
    }
    return formatText(IDS_POWER_REQUEST_PROGRAM, {program, sessionEndText(now, end)});
}

std::wstring extendedNotice(const SYSTEMTIME& now, const SYSTEMTIME& end) {
    return formatText(IDS_NOTICE_EXTENDED, {sessionEndText(now, end)});
}

std::wstring notExtendedNotice(const SYSTEMTIME& now, const SYSTEMTIME& end) {
    return formatText(IDS_NOTICE_NOT_EXTENDED, {sessionEndText(now, end)});
}
