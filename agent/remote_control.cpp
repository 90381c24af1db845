#include "remote_control.h"

#include "agent.h"
#include "policy.h"
#include "power_scheme.h"
#include "program_lookup.h"
#include "program_watch.h"
#include "remote_protocol.h"
#include "resource.h"
#include "session.h"
#include "texts.h"

#include <cwchar>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace remote;

// How long an answer may wait for the asking window; one that does not
// take it in that time is given up rather than hold the agent.
UINT const kAnswerTimeoutMs = 2000;

// Answers go back to the window the request names: a top-level window of
// this desktop, of another program. A handle that is none, or one of a
// window that is not top-level (a message-only window has no desktop), is a
// stray sender.
bool isAskingWindow(HWND sender) {
    DWORD process = 0;
    return sender != nullptr && IsWindow(sender) &&
           GetAncestor(sender, GA_PARENT) == GetDesktopWindow() &&
           GetWindowThreadProcessId(sender, &process) != 0 && process != GetCurrentProcessId();
}

template <size_t N> bool terminated(const wchar_t (&text)[N]) {
    return std::wmemchr(text, L'\0', N) != nullptr;
}

bool validStart(const Request& request) {
    bool endTimeOk = request.endTimeOfDay == kNoEndTime ||
                     (request.endTimeOfDay < kMinutesPerDay && request.minutes == 0);
    bool programOk = request.programId == 0 || request.programFile[0] == L'\0';
    // A program file name, never a path to look in.
    bool fileOk = std::wcspbrk(request.programFile, L"\\/:") == nullptr;
    return request.minutes <= kLongestMinutes && endTimeOk && request.display <= kDisplayOff &&
           programOk && fileOk;
}

bool validRequest(const Request& request) {
    if (request.size != sizeof(Request) || request.version != kVersion ||
        !terminated(request.programFile)) {
        return false;
    }
    switch (request.verb) {
    case kStart:
        return validStart(request);
    case kExtend:
        return request.minutes >= 1 && request.minutes <= kLongestMinutes;
    case kStop:
    case kStatus:
    case kCheck:
        return true;
    }
    return false;
}

LRESULT start(const Request& request) {
    SessionRequest session;
    session.minutes = request.minutes;
    if (request.endTimeOfDay != kNoEndTime) {
        session.endTimeOfDay = request.endTimeOfDay;
    }
    if (request.display != kDisplayAsStored) {
        session.keepDisplayOn = request.display == kDisplayOn;
    }
    if (request.programId != 0 || request.programFile[0] != L'\0') {
        DWORD error = ERROR_SUCCESS;
        session.program = request.programId != 0
                              ? openProgramById(request.programId, session.programTitle, error)
                              : openProgramByFile(request.programFile, session.programTitle, error);
        if (session.program == nullptr) {
            return error == ERROR_NOT_FOUND ? kNoSuchProgram : kCannotWatch;
        }
        session.programFile = request.programId != 0 ? std::wstring() : request.programFile;
    }
    if (startSession(std::move(session))) {
        return kDone;
    }
    // Nothing started: the organisation's rules, or a program that cannot
    // be watched.
    return readSessionPolicy().disabled ? kTurnedOff : kCannotWatch;
}

LRESULT stop() {
    if (sessionEndMinute == 0) {
        return kNoSession;
    }
    cancelVigilorSession();
    return kDone;
}

LRESULT extend(const Request& request) {
    if (sessionEndMinute == 0) {
        return kNoSession;
    }
    return extendSession(request.minutes) ? kDone : kNotExtended;
}

LRESULT answer(HWND sender, ULONG_PTR tag, const void* data, DWORD size) {
    COPYDATASTRUCT copy = {tag, size, const_cast<void*>(data)};
    DWORD_PTR taken = FALSE;
    // SMTO_BLOCK: no other message reaches the agent while it waits, so the
    // answer tells the state the question found.
    bool sent = SendMessageTimeoutW(sender, WM_COPYDATA, reinterpret_cast<WPARAM>(agentWindow),
                                    reinterpret_cast<LPARAM>(&copy), SMTO_BLOCK | SMTO_ABORTIFHUNG,
                                    kAnswerTimeoutMs, &taken) != 0;
    return sent && taken == TRUE ? kDone : kNotUnderstood;
}

template <size_t N> void copyText(wchar_t (&to)[N], const std::wstring& from) {
    lstrcpynW(to, cutText(from, N - 2).c_str(), N);
}

LRESULT answerStatus(HWND sender) {
    Status status = {sizeof(status), kVersion};
    status.plan = kNoPlan;
    if (sessionEndMinute != 0) {
        status.running = TRUE;
        status.untilStopped = sessionUntilStopped;
        status.end = sessionEnd;
        status.displayKeptOn = sessionTerms.monitorOn == 1;
        status.shutdownAtEnd = sessionTerms.shutdownWindows == 1;
        bool asPowerMode = false;
        int plan = switchedPowerPlan(asPowerMode);
        if (plan >= 0) {
            status.plan = static_cast<DWORD>(plan);
            status.asPowerMode = asPowerMode;
        }
        status.programId = watchedProgramId();
        if (status.programId != 0) {
            copyText(status.program, sessionProgram);
        }
    }
    return answer(sender, kStatusTag, &status, sizeof(status));
}

// One finding a line: a line feed inside a text would read as two.
std::wstring oneLine(std::wstring text) {
    for (wchar_t& c : text) {
        if (c == L'\r' || c == L'\n') {
            c = L' ';
        }
    }
    return text;
}

LRESULT answerFindings(HWND sender) {
    std::vector<std::wstring> found = sleepCheckFindings();
    std::wstring text;
    for (const std::wstring& finding : found) {
        text += oneLine(finding) + L"\n";
    }
    if (found.empty()) {
        text = loadText(IDS_NOTICE_NOTHING_FOUND) + L"\n";
    }
    // About 8 KB: on the heap, the agent's stack being no place for it.
    std::vector<Findings> findings(1);
    findings[0].size = sizeof(Findings);
    findings[0].version = kVersion;
    findings[0].count = static_cast<DWORD>(found.size());
    lstrcpynW(findings[0].text, text.c_str(), kFindingsLength);
    return answer(sender, kFindingsTag, findings.data(), sizeof(Findings));
}

} // namespace

LRESULT onRemoteRequest(HWND sender, const COPYDATASTRUCT* data) {
    if (data == nullptr || data->dwData != kRequestTag || data->cbData != sizeof(Request) ||
        data->lpData == nullptr || !isAskingWindow(sender)) {
        return kNotUnderstood;
    }
    // The agent works on a copy of its own, whose terminator is checked on
    // the copy itself.
    Request request = *static_cast<const Request*>(data->lpData);
    if (!validRequest(request)) {
        return kNotUnderstood;
    }
    switch (request.verb) {
    case kStart:
        return start(request);
    case kStop:
        return stop();
    case kExtend:
        return extend(request);
    case kStatus:
        return answerStatus(sender);
    case kCheck:
        return answerFindings(sender);
    }
    return kNotUnderstood;
}
