// The probe's commands for the ways in beside the control messages:
//
//   bad-requests          send the agent window malformed command-line
//                         requests (each field wrong in turn, and stray
//                         senders); print each result, fail unless every
//                         one was refused
//   try-hotkey VALUE      print "taken" when the shortcut of a "hotkey"
//                         VALUE is registered already, else "free"
//   hold-hotkey VALUE     register that shortcut and hold it, until ended
//   apart PROGRAM [ARGS]  run PROGRAM on a window station of its own without
//                         a display, as an SSH session does; its exit code
#include "probe.h"
#include "program_support.h"

#include "remote_protocol.h"

#include <cstdio>
#include <functional>
#include <vector>

using namespace vigilor_test;

namespace probe {

namespace {

struct BadRequest {
    const char* what;
    std::function<void(remote::Request&, COPYDATASTRUCT&, HWND&)> spoil;
};

// A start that differs from the session the script runs, so that any
// request wrongly taken shows in its status.
remote::Request goodStart() {
    remote::Request request = {sizeof(request), remote::kVersion, remote::kStart, 7};
    request.endTimeOfDay = remote::kNoEndTime;
    request.display = remote::kDisplayOff;
    return request;
}

// A window of this desktop that is no top-level window.
HWND messageOnlyWindow() {
    return CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                           nullptr);
}

std::vector<BadRequest> badRequests(HWND agent, HWND own, HWND messageOnly) {
    using R = remote::Request;
    using C = COPYDATASTRUCT;
    return {
        {"another tag", [](R&, C& c, HWND&) { c.dwData = remote::kStatusTag; }},
        {"one byte short", [](R&, C& c, HWND&) { c.cbData -= 1; }},
        {"no data", [](R&, C& c, HWND&) { c.lpData = nullptr, c.cbData = 0; }},
        {"a wrong size field", [](R& r, C&, HWND&) { r.size -= 4; }},
        {"version 2", [](R& r, C&, HWND&) { r.version = 2; }},
        {"no verb", [](R& r, C&, HWND&) { r.verb = 0; }},
        {"verb 99", [](R& r, C&, HWND&) { r.verb = 99; }},
        {"1000 hours and a minute",
         [](R& r, C&, HWND&) { r.minutes = remote::kLongestMinutes + 1; }},
        {"minute 1440 of a day", [](R& r, C&, HWND&) { r.minutes = 0, r.endTimeOfDay = 1440; }},
        {"a length and an end time", [](R& r, C&, HWND&) { r.minutes = 30, r.endTimeOfDay = 60; }},
        {"display 3", [](R& r, C&, HWND&) { r.display = 3; }},
        {"a process and a program",
         [](R& r, C&, HWND&) {
             r.programId = GetCurrentProcessId(), lstrcpyW(r.programFile, L"a.exe");
         }},
        {"a program with a folder",
         [](R& r, C&, HWND&) { lstrcpyW(r.programFile, L"C:\\Windows\\notepad.exe"); }},
        {"an unterminated program",
         [](R& r, C&, HWND&) {
             for (wchar_t& c : r.programFile) {
                 c = L'a';
             }
         }},
        {"extend by nothing", [](R& r, C&, HWND&) { r.verb = remote::kExtend, r.minutes = 0; }},
        {"no sender", [](R& r, C&, HWND& s) { r.verb = remote::kStatus, s = nullptr; }},
        {"a message-only sender",
         [messageOnly](R& r, C&, HWND& s) { r.verb = remote::kStatus, s = messageOnly; }},
        {"the agent as sender", [agent](R& r, C&, HWND& s) { r.verb = remote::kStop, s = agent; }},
        {"a sender that is gone",
         [own](R& r, C&, HWND& s) {
             r.verb = remote::kStop;
             s = reinterpret_cast<HWND>(reinterpret_cast<ULONG_PTR>(own) + 0x100000);
         }},
    };
}

int sendBadRequests() {
    HWND agent = findAgentWindow(0);
    StateRecorder own(L"VigilorProbeAsker", L"asker");
    HWND messageOnly = messageOnlyWindow();
    if (agent == nullptr || own.handle() == nullptr || messageOnly == nullptr) {
        std::fputs("no agent window\n", stderr);
        return 1;
    }
    bool allRefused = true;
    for (const BadRequest& bad : badRequests(agent, own.handle(), messageOnly)) {
        remote::Request request = goodStart();
        COPYDATASTRUCT copy = {remote::kRequestTag, sizeof(request), &request};
        HWND sender = own.handle();
        bad.spoil(request, copy, sender);
        DWORD_PTR result = 0;
        bool taken = SendMessageTimeoutW(agent, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                                         reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG, 5000,
                                         &result) != 0;
        std::printf("%s: %s %llu\n", bad.what, taken ? "result" : "not taken",
                    static_cast<unsigned long long>(result));
        allRefused = allRefused && taken && result == remote::kNotUnderstood;
    }
    DestroyWindow(messageOnly);
    return allRefused ? 0 : 1;
}

bool registerShortcut(DWORD value) {
    return RegisterHotKey(nullptr, 1, (value >> 8) & 0xF, value & 0xFF) != FALSE;
}

int tryHotkey(DWORD value) {
    bool free = registerShortcut(value);
    if (free) {
        UnregisterHotKey(nullptr, 1);
    }
    std::printf("%s\n", free ? "free" : "taken");
    return 0;
}

int holdHotkey(DWORD value) {
    if (!registerShortcut(value)) {
        std::fputs("the shortcut is taken\n", stderr);
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    pumpUntil([] { return false; }, INFINITE);
    return 0;
}

int runApart(int argc, Arguments argv) {
    wchar_t const station[] = L"Service-0x0-vigilor$";
    HWINSTA own = GetProcessWindowStation();
    HWINSTA apart = CreateWindowStationW(station, 0, WINSTA_ALL_ACCESS, nullptr);
    HDESK desktop = nullptr;
    if (apart != nullptr && SetProcessWindowStation(apart)) {
        desktop = CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
        SetProcessWindowStation(own);
    }
    std::wstring line;
    for (int i = 2; i < argc; ++i) {
        line += L"\"" + std::wstring(argv[i]) + L"\" ";
    }
    std::wstring where = std::wstring(station) + L"\\Default";
    STARTUPINFOW startup = {sizeof(startup)};
    startup.lpDesktop = where.data();
    PROCESS_INFORMATION process = {};
    if (desktop == nullptr || !CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0,
                                              nullptr, nullptr, &startup, &process)) {
        std::fprintf(stderr, "not started apart: %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, 30000);
    DWORD code = 1;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<int>(code);
}

} // namespace

std::optional<int> remoteCommand(int argc, Arguments argv) {
    std::wstring command = argv[1];
    if (command == L"bad-requests" && argc == 2) {
        return sendBadRequests();
    }
    if (command == L"try-hotkey" && argc == 3) {
        return tryHotkey(number(argv[2]));
    }
    if (command == L"hold-hotkey" && argc == 3) {
        return holdHotkey(number(argv[2]));
    }
    if (command == L"apart" && argc >= 3) {
        return runApart(argc, argv);
    }
    return std::nullopt;
}

} // namespace probe
