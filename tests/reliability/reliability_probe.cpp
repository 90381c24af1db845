// reliability_probe: a console program that measures the two programs for
// tools/bench.sh and helps the reliability scripts inside a Wine session.
// Each command prints its result on standard output; the exit code is 0 on
// success.
//
//   bench AGENT.exe CONFIG.exe   measure both programs; print table rows
//   client-origin SECONDS        print the screen position of the main
//                                window's client area, once it shows
//   wait-process NAME SECONDS    wait until a process of that file name runs
//   kill-process NAME            end every process of that file name
//   wait-then-kill NAME OTHER SECONDS
//                                as soon as a process NAME runs, end every
//                                process OTHER (quicker than two commands)
//   close-main SECONDS           close the configuration application's main
//                                window and wait for its program to end
//   suite-get NAME               print a DWORD of the suite's key, or
//                                "missing"
#include "process_watch.h"
#include "program_support.h"

#include "peer_window.h"

#include <tlhelp32.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

using namespace vigilor_test;
using namespace reliability;

namespace {

int usage() {
    std::fputs("usage: reliability_probe COMMAND [ARGS]; see the source for the commands\n",
               stderr);
    return 2;
}

DWORD secondsArg(const wchar_t* text) {
    return static_cast<DWORD>(std::wcstoul(text, nullptr, 10)) * 1000;
}

// Polls often enough for the figures and the races the scripts set up, not
// so often that the polling takes the agent's CPU.
bool pollUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(2);
    }
    return true;
}

std::vector<DWORD> processesNamed(const wchar_t* name) {
    std::vector<DWORD> found;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return found;
    }
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, name) == 0) {
            found.push_back(entry.th32ProcessID);
        }
    }
    CloseHandle(snapshot);
    return found;
}

HWND visibleMainWindow(DWORD processId) {
    for (HWND window : processTopLevel(processId, VIGILOR_CONFIG_WINDOW_CLASS)) {
        if (windowText(window) == kConfigTitle && IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

int clientOrigin(DWORD timeoutMs) {
    HWND window = nullptr;
    pumpUntil(
        [&] {
            window = visibleMainWindow(0);
            return window != nullptr;
        },
        timeoutMs);
    POINT origin = {};
    if (window == nullptr || !ClientToScreen(window, &origin)) {
        std::fputs("no configuration window\n", stderr);
        return 1;
    }
    std::printf("%ld %ld\n", origin.x, origin.y);
    return 0;
}

int waitProcess(const wchar_t* name, DWORD timeoutMs) {
    if (!pumpUntil([name] { return !processesNamed(name).empty(); }, timeoutMs)) {
        std::fputs("no such process\n", stderr);
        return 1;
    }
    return 0;
}

int killProcess(const wchar_t* name) {
    int killed = 0;
    for (DWORD id : processesNamed(name)) {
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process != nullptr && TerminateProcess(process, 1)) {
            WaitForSingleObject(process, 10000);
            ++killed;
        }
        if (process != nullptr) {
            CloseHandle(process);
        }
    }
    std::printf("%d\n", killed);
    return killed > 0 ? 0 : 1;
}

int waitThenKill(const wchar_t* name, const wchar_t* other, DWORD timeoutMs) {
    if (!pollUntil([name] { return !processesNamed(name).empty(); }, timeoutMs)) {
        std::fputs("no such process\n", stderr);
        return 1;
    }
    return killProcess(other);
}

int closeMain(DWORD timeoutMs) {
    HWND window = visibleMainWindow(0);
    if (window == nullptr) {
        std::fputs("no configuration window\n", stderr);
        return 1;
    }
    DWORD processId = windowProcess(window);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    PostMessageW(window, WM_CLOSE, 0, 0);
    bool ended = process != nullptr && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    if (process != nullptr) {
        CloseHandle(process);
    }
    return ended ? 0 : 1;
}

int suiteGet(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quorvex Halvern Plus!", name, RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS) {
        std::puts("missing");
    } else {
        std::printf("%lu\n", value);
    }
    return 0;
}

// ---- bench ----------------------------------------------------------------

// A started program, ended by Close (or by force) when it goes out of scope.
class Started {
  public:
    explicit Started(const std::wstring& program) {
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup = {sizeof(startup)};
        startedMs_ = nowMs();
        if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info_)) {
            info_ = {};
        }
    }
    Started(const Started&) = delete;
    Started& operator=(const Started&) = delete;
    ~Started() {
        if (info_.hProcess == nullptr) {
            return;
        }
        if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(info_.hProcess, 1);
            WaitForSingleObject(info_.hProcess, 10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
    }

    bool ok() const { return info_.hProcess != nullptr; }
    HANDLE process() const { return info_.hProcess; }
    DWORD id() const { return info_.dwProcessId; }
    double startedMs() const { return startedMs_; }

    bool endWith(HWND window, UINT message, WPARAM wParam) {
        PostMessageW(window, message, wParam, 0);
        return pumpUntil([this] { return WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0; },
                         15000);
    }

  private:
    PROCESS_INFORMATION info_ = {};
    double startedMs_ = 0;
};

struct StartFigures {
    double windowMs = -1;
    double iconMs = -1;
};

StartFigures startAgentOnce(const std::wstring& agent) {
    StartFigures figures;
    size_t iconsBefore = trayIcons();
    Started started(agent);
    if (!started.ok()) {
        return figures;
    }
    HWND window = nullptr;
    pollUntil(
        [&] {
            if (window == nullptr && (window = findAgentWindow(started.id())) != nullptr) {
                figures.windowMs = nowMs() - started.startedMs();
            }
            if (figures.iconMs < 0 && trayIcons() > iconsBefore) {
                figures.iconMs = nowMs() - started.startedMs();
            }
            return window != nullptr && figures.iconMs >= 0;
        },
        60000);
    if (window != nullptr) {
        started.endWith(window, WM_COMMAND, IDM_CLOSE);
    }
    return figures;
}

void row(const char* what, const std::string& figure) {
    std::printf("| %-58s | %28s |\n", what, figure.c_str());
}

std::string format(const char* pattern, double a, double b = 0, double c = 0) {
    char text[128];
    std::snprintf(text, sizeof(text), pattern, a, b, c);
    return text;
}

void benchAgentStart(const std::wstring& agent) {
    // The first program of a Wine session waits for Wine's services.
    StartFigures cold = startAgentOnce(agent);
    std::vector<double> windows, icons;
    for (int i = 0; i < 5; ++i) {
        StartFigures warm = startAgentOnce(agent);
        windows.push_back(warm.windowMs);
        icons.push_back(warm.iconMs);
    }
    row("agent start to its window, first start of the session", format("%.0f ms", cold.windowMs));
    row("agent start to its window, median of 5 later starts",
        format("%.0f ms (max %.0f)", quantile(windows, 0.5), quantile(windows, 1.0)));
    row("agent start to its tray icon, first start of the session", format("%.0f ms", cold.iconMs));
    row("agent start to its tray icon, median of 5 later starts",
        format("%.0f ms (max %.0f)", quantile(icons, 0.5), quantile(icons, 1.0)));
}

void benchAgentRunning(const std::wstring& agent) {
    deleteSettings();
    TimedStateWindow config;
    Started started(agent);
    HWND window = nullptr;
    pumpUntil(
        [&] {
            window = findAgentWindow(started.id());
            return window != nullptr;
        },
        60000);
    if (window == nullptr) {
        row("agent", "did not start");
        return;
    }
    // Settled: a query answered.
    config.query(window, 5000);
    Sleep(1000);
    ProcessFigures afterStart = measure(started.process(), started.id());

    std::vector<double> trips;
    for (int i = 0; i < 1000; ++i) {
        auto answer = config.query(window, 5000);
        if (answer) {
            trips.push_back(answer->second);
        }
    }
    row("query -> 1728 round trip, median of 1000", format("%.2f ms", quantile(trips, 0.5)));
    row("query -> 1728 round trip, 99th percentile of 1000",
        format("%.2f ms (max %.2f)", quantile(trips, 0.99), quantile(trips, 1.0)));

    double before = cpuMilliseconds(started.process());
    pumpUntil([] { return false; }, 60000);
    double idle = cpuMilliseconds(started.process()) - before;
    row("agent CPU time over 60 s without a session", format("%.0f ms", idle));

    size_t count = config.count();
    PostMessageW(window, WM_VIGILOR_START, 0, 0);
    config.waitForCount(count + 1, 5000);
    before = cpuMilliseconds(started.process());
    pumpUntil([] { return false; }, 60000);
    double busy = cpuMilliseconds(started.process()) - before;
    row("agent CPU time over 60 s in a session (display kept on)", format("%.0f ms", busy));

    for (int i = 0; i < 1000; ++i) {
        count = config.count();
        PostMessageW(window, WM_VIGILOR_START, 0, 0);
        PostMessageW(window, WM_VIGILOR_CANCEL, 0, 0);
        config.waitForCount(count + 2, 5000);
    }
    // Let the last notice close, so that only what stays is counted.
    pumpUntil([&] { return findPopups(started.id()).empty(); }, 10000);
    Sleep(1000);
    ProcessFigures afterCycles = measure(started.process(), started.id());
    row("agent private memory (commit charge) after start-up",
        format("%.0f KiB", static_cast<double>(afterStart.privateBytes) / 1024));
    row("agent private memory after 1000 start/cancel cycles",
        format("%.0f KiB", static_cast<double>(afterCycles.privateBytes) / 1024));
    row("agent windows (Wine's own included), start-up / cycles",
        format("%.0f / %.0f", static_cast<double>(afterStart.windows),
               static_cast<double>(afterCycles.windows)));
    started.endWith(window, WM_COMMAND, IDM_CLOSE);
    deleteSettings();
}

double startConfigOnce(const std::wstring& config) {
    Started started(config);
    if (!started.ok()) {
        return -1;
    }
    HWND window = nullptr;
    double shownMs = -1;
    pollUntil(
        [&] {
            window = visibleMainWindow(started.id());
            return window != nullptr;
        },
        60000);
    if (window != nullptr) {
        shownMs = nowMs() - started.startedMs();
        started.endWith(window, WM_CLOSE, 0);
    }
    return shownMs;
}

void benchConfigStart(const std::wstring& config) {
    deleteSettings();
    double cold = startConfigOnce(config);
    std::vector<double> warm;
    for (int i = 0; i < 3; ++i) {
        warm.push_back(startConfigOnce(config));
    }
    row("configuration application start to its window, first start", format("%.0f ms", cold));
    row("configuration application start to its window, median of 3",
        format("%.0f ms (max %.0f)", quantile(warm, 0.5), quantile(warm, 1.0)));
    deleteSettings();
}

int bench(const std::wstring& agent, const std::wstring& config) {
    if (findAgentWindow(0) != nullptr) {
        std::fputs("an agent is running already\n", stderr);
        return 1;
    }
    benchAgentStart(agent);
    benchAgentRunning(agent);
    benchConfigStart(config);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return usage();
    }
    std::wstring command = argv[1];
    if (command == L"bench" && argc == 4) {
        return bench(argv[2], argv[3]);
    }
    if (command == L"client-origin" && argc == 3) {
        return clientOrigin(secondsArg(argv[2]));
    }
    if (command == L"wait-process" && argc == 4) {
        return waitProcess(argv[2], secondsArg(argv[3]));
    }
    if (command == L"kill-process" && argc == 3) {
        return killProcess(argv[2]);
    }
    if (command == L"wait-then-kill" && argc == 5) {
        return waitThenKill(argv[2], argv[3], secondsArg(argv[4]));
    }
    if (command == L"close-main" && argc == 3) {
        return closeMain(secondsArg(argv[2]));
    }
    if (command == L"suite-get" && argc == 3) {
        return suiteGet(argv[2]);
    }
    return usage();
}
