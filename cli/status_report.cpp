#include "status_report.h"

#include "console.h"
#include "resource.h"
#include "user_formats.h"

#include <windows.h>

#include <algorithm>

namespace {

ULONGLONG const kTicksPerMinute = 600000000ULL; // FILETIME counts 100 ns
ULONGLONG const kTicksPerDay = kTicksPerMinute * 60 * 24;

UINT const kPlanNames[] = {IDS_PLAN_POWER_SAVER, IDS_PLAN_BALANCED, IDS_PLAN_HIGH_PERFORMANCE};
UINT const kModeNames[] = {IDS_MODE_BEST_EFFICIENCY, IDS_MODE_BALANCED, IDS_MODE_BEST_PERFORMANCE};
// What scripts compare with: never translated.
const wchar_t* const kPlanKeys[] = {L"power-saver", L"balanced", L"high-performance"};
const wchar_t* const kModeKeys[] = {L"best-power-efficiency", L"balanced", L"best-performance"};

ULONGLONG ticks(const SYSTEMTIME& time) {
    FILETIME file = {};
    SystemTimeToFileTime(&time, &file);
    return ULONGLONG{file.dwHighDateTime} << 32 | file.dwLowDateTime;
}

// The time alone today, "tomorrow" and the time, or the date and the time.
std::wstring endText(const SYSTEMTIME& end) {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    SYSTEMTIME today = {now.wYear, now.wMonth, 0, now.wDay};
    SYSTEMTIME endDay = {end.wYear, end.wMonth, 0, end.wDay};
    ULONGLONG days = (ticks(endDay) - std::min(ticks(endDay), ticks(today))) / kTicksPerDay;
    if (days == 0) {
        return userTimeText(end);
    }
    if (days == 1) {
        return text(IDS_END_TOMORROW, {userTimeText(end)});
    }
    return text(IDS_END_DATE, {userDateText(end, DATE_SHORTDATE), userTimeText(end)});
}

std::wstring number(DWORD value) {
    wchar_t digits[16] = {};
    wsprintfW(digits, L"%lu", value);
    return digits;
}

// The local time with the offset from UTC that holds at that time.
std::wstring isoTime(const SYSTEMTIME& local) {
    SYSTEMTIME utc = {};
    LONGLONG offset = 0;
    if (TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) {
        offset = (static_cast<LONGLONG>(ticks(local)) - static_cast<LONGLONG>(ticks(utc))) /
                 static_cast<LONGLONG>(kTicksPerMinute);
    }
    LONGLONG magnitude = offset < 0 ? -offset : offset;
    wchar_t text[40] = {};
    wsprintfW(text, L"%04u-%02u-%02uT%02u:%02u:00%c%02u:%02u", local.wYear, local.wMonth,
              local.wDay, local.wHour, local.wMinute, offset < 0 ? L'-' : L'+',
              static_cast<unsigned>(magnitude / 60), static_cast<unsigned>(magnitude % 60));
    return text;
}

std::wstring jsonString(const std::wstring& value) {
    std::wstring quoted = L"\"";
    for (wchar_t c : value) {
        if (c == L'"' || c == L'\\') {
            quoted += L'\\';
            quoted += c;
        } else if (c < L' ') {
            wchar_t escape[8] = {};
            wsprintfW(escape, L"\\u%04x", static_cast<unsigned>(c));
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + L"\"";
}

const wchar_t* jsonBool(DWORD value) {
    return value != 0 ? L"true" : L"false";
}

} // namespace

std::wstring statusText(const remote::Status* status) {
    if (status == nullptr) {
        return text(IDS_STATUS_NOT_RUNNING) + L"\n";
    }
    if (status->running == 0) {
        return text(IDS_STATUS_NONE) + L"\n";
    }
    std::wstring lines = status->untilStopped != 0 ? text(IDS_STATUS_UNTIL_STOPPED)
                                                   : text(IDS_STATUS_UNTIL, {endText(status->end)});
    lines +=
        L"\n" + text(status->displayKeptOn != 0 ? IDS_STATUS_DISPLAY_ON : IDS_STATUS_DISPLAY_OFF);
    if (status->programId != 0) {
        lines += L"\n" + text(IDS_STATUS_PROGRAM, {status->program, number(status->programId)});
    }
    if (status->plan < ARRAYSIZE(kPlanNames)) {
        lines += L"\n" + (status->asPowerMode != 0
                              ? text(IDS_STATUS_MODE, {text(kModeNames[status->plan])})
                              : text(IDS_STATUS_PLAN, {text(kPlanNames[status->plan])}));
    }
    lines +=
        L"\n" + text(status->shutdownAtEnd != 0 ? IDS_STATUS_SHUTDOWN : IDS_STATUS_NO_SHUTDOWN);
    return lines + L"\n";
}

std::wstring statusJson(const remote::Status* status) {
    bool running = status != nullptr && status->running != 0;
    bool program = running && status->programId != 0;
    bool plan = running && status->plan < ARRAYSIZE(kPlanKeys);
    bool mode = plan && status->asPowerMode != 0;
    std::wstring json = L"{\"running\":";
    json += running ? L"true" : L"false";
    json += L",\"end\":" + (running ? jsonString(isoTime(status->end)) : L"null");
    json +=
        L",\"untilStopped\":" + std::wstring(running ? jsonBool(status->untilStopped) : L"null");
    json += L",\"displayOn\":" + std::wstring(running ? jsonBool(status->displayKeptOn) : L"null");
    json += L",\"program\":" + (program ? jsonString(status->program) : L"null");
    json += L",\"programId\":" + (program ? number(status->programId) : L"null");
    json += L",\"powerPlan\":" +
            (plan && !mode ? jsonString(kPlanKeys[status->plan]) : std::wstring(L"null"));
    json +=
        L",\"powerMode\":" + (mode ? jsonString(kModeKeys[status->plan]) : std::wstring(L"null"));
    json += L",\"shutdown\":" + std::wstring(running ? jsonBool(status->shutdownAtEnd) : L"null");
    return json + L"}\n";
}
