// The probe's command that measures both programs for tools/bench.sh:
//
//   bench AGENT.exe CONFIG.exe TRAY.exe WINDOW.exe
//                                measure both programs and the two baselines
//                                (a minimal tray program, a minimal Qt
//                                window); print table rows
#include "probe.h"
#include "process_watch.h"
#include "program_support.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

using namespace vigilor_test;
using namespace reliability;

namespace probe {

namespace {

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

// ---- figures read from Linux ----------------------------------------------
// Each Windows process under Wine is a Linux process too. Its CPU ticks and
// anonymous memory, read from /proc, are exact where Wine's own answers
// (GetProcessTimes, PrivateUsage) are coarse or 0.

std::string readLinuxFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    return text;
}

// The fields of /proc/PID/stat after the command name, which may hold spaces:
// the first is field 3 (the state).
std::vector<std::string> statFields(const std::wstring& pid) {
    std::string stat = readLinuxFile(L"Z:\\proc\\" + pid + L"\\stat");
    std::vector<std::string> fields;
    size_t at = stat.rfind(')');
    if (at == std::string::npos) {
        return fields;
    }
    std::string field;
    for (char c : stat.substr(at + 2)) {
        if (c == ' ') {
            fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(field);
    return fields;
}

// The Linux process of this Wine prefix whose command line names `fileName`;
// the newest when there are several.
std::wstring linuxProcess(const std::wstring& fileName) {
    wchar_t prefix[MAX_PATH] = {};
    GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH);
    std::string wanted = "WINEPREFIX=" + std::string(prefix, prefix + std::wcslen(prefix));
    std::string name(fileName.begin(), fileName.end());
    std::wstring best;
    unsigned long long newest = 0;
    WIN32_FIND_DATAW entry = {};
    HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) {
        return best;
    }
    do {
        std::wstring pid = entry.cFileName;
        if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) {
            continue;
        }
        std::string commandLine = readLinuxFile(L"Z:\\proc\\" + pid + L"\\cmdline");
        if (commandLine.find(name) == std::string::npos) {
            continue;
        }
        std::string environment = readLinuxFile(L"Z:\\proc\\" + pid + L"\\environ");
        if (environment.find(wanted + '\0') == std::string::npos) {
            continue;
        }
        std::vector<std::string> fields = statFields(pid);
        // Field 22, the start time.
        unsigned long long started = fields.size() > 19 ? std::stoull(fields[19]) : 0;
        if (best.empty() || started > newest) {
            best = pid;
            newest = started;
        }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
    return best;
}

// User plus system CPU time in clock ticks (fields 14 and 15).
double linuxTicks(const std::wstring& pid) {
    std::vector<std::string> fields = statFields(pid);
    return fields.size() > 12 ? std::stod(fields[11]) + std::stod(fields[12]) : -1;
}

// Anonymous memory in KiB: what the process itself allocated, not the
// files it maps.
double anonymousKiB(const std::wstring& pid) {
    std::string smaps = readLinuxFile(L"Z:\\proc\\" + pid + L"\\smaps");
    double total = 0;
    for (size_t at = smaps.find("\nAnonymous:"); at != std::string::npos;
         at = smaps.find("\nAnonymous:", at + 1)) {
        total += std::strtod(smaps.c_str() + at + 11, nullptr);
    }
    return total;
}

// ---- the figures of one program -------------------------------------------

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

std::string format(const char* pattern, double a) {
    char text[64];
    std::snprintf(text, sizeof(text), pattern, a);
    return text;
}

// One line of the table: our figure, the baseline's, and their ratio.
void row(const char* what, const char* unit, double ours, double baseline) {
    std::string ratio = baseline > 0 && ours >= 0 ? format("%.2f", ours / baseline) : "-";
    std::string theirs = baseline >= 0 ? format("%.1f", baseline) : "-";
    std::printf("| %-52s | %-4s | %10.1f | %10s | %6s |\n", what, unit, ours, theirs.c_str(),
                ratio.c_str());
    std::fflush(stdout);
}

struct AgentFigures {
    double windowCold = -1, windowWarm = -1, iconCold = -1, iconWarm = -1;
    double tripMedian = -1, tripP99 = -1;
    double idleTicks = -1, sessionTicks = -1;
    double memoryStart = -1, memoryCycles = -1, cycleMs = -1;
    double noticeMs = -1;
};

void measureStarts(const std::wstring& agent, AgentFigures& figures) {
    // The first program of a Wine session waits for Wine's services.
    StartFigures cold = startAgentOnce(agent);
    std::vector<double> windows, icons;
    for (int i = 0; i < 5; ++i) {
        StartFigures warm = startAgentOnce(agent);
        windows.push_back(warm.windowMs);
        icons.push_back(warm.iconMs);
    }
    figures.windowCold = cold.windowMs;
    figures.iconCold = cold.iconMs;
    figures.windowWarm = quantile(windows, 0.5);
    figures.iconWarm = quantile(icons, 0.5);
}

// How long the notice of a started session shows.
double noticeMs(HWND window, DWORD processId, StateRecorder& config) {
    size_t count = config.count();
    PostMessageW(window, WM_VIGILOR_START, 0, 0);
    config.waitForStates(count + 1, 5000);
    double shown = nowMs();
    bool hidden = pumpUntil(
        [&] {
            for (HWND popup : findPopups(processId)) {
                if (IsWindowVisible(popup)) {
                    return false;
                }
            }
            return true;
        },
        10000);
    double ms = hidden ? nowMs() - shown : -1;
    count = config.count();
    PostMessageW(window, WM_VIGILOR_CANCEL, 0, 0);
    config.waitForStates(count + 1, 5000);
    pumpUntil([&] { return findPopups(processId).empty(); }, 10000);
    return ms;
}

void measureRunning(const std::wstring& agent, const std::wstring& fileName, bool hasNotice,
                    AgentFigures& figures) {
    deleteSettings();
    StateRecorder config;
    Started started(agent);
    HWND window = waitForWindow([&] { return findAgentWindow(started.id()); }, 60000);
    std::wstring pid = linuxProcess(fileName);
    if (window == nullptr || pid.empty()) {
        std::fprintf(stderr, "%ls did not start or was not found in /proc\n", fileName.c_str());
        return;
    }
    // Settled: a query answered.
    config.query(window, 5000);
    Sleep(1000);
    figures.memoryStart = anonymousKiB(pid);

    std::vector<double> trips;
    for (int i = 0; i < 1000; ++i) {
        auto answer = config.query(window, 5000);
        if (answer) {
            trips.push_back(answer->second);
        }
    }
    figures.tripMedian = quantile(trips, 0.5);
    figures.tripP99 = quantile(trips, 0.99);
    if (hasNotice) {
        figures.noticeMs = noticeMs(window, started.id(), config);
    }

    // Idle begins once the cancelled session's notice is gone and Wine has
    // settled, as the session's course is measured after its start.
    pumpUntil([] { return false; }, 5000);
    double before = linuxTicks(pid);
    pumpUntil([] { return false; }, 60000);
    figures.idleTicks = linuxTicks(pid) - before;

    size_t count = config.count();
    PostMessageW(window, WM_VIGILOR_START, 0, 0);
    config.waitForStates(count + 1, 5000);
    // The start's notice is part of a session's start, not of its course.
    pumpUntil([] { return false; }, 5000);
    before = linuxTicks(pid);
    pumpUntil([] { return false; }, 60000);
    figures.sessionTicks = linuxTicks(pid) - before;

    int const cycles = 1000;
    double cyclesStart = nowMs();
    for (int i = 0; i < cycles; ++i) {
        count = config.count();
        PostMessageW(window, WM_VIGILOR_START, 0, 0);
        PostMessageW(window, WM_VIGILOR_CANCEL, 0, 0);
        config.waitForStates(count + 2, 5000);
    }
    figures.cycleMs = (nowMs() - cyclesStart) / cycles;
    // Let the last notice close, so that only what stays is counted.
    pumpUntil([&] { return findPopups(started.id()).empty(); }, 10000);
    Sleep(1000);
    figures.memoryCycles = anonymousKiB(pid);
    started.endWith(window, WM_COMMAND, IDM_CLOSE);
    deleteSettings();
}

AgentFigures measureAgent(const std::wstring& agent, bool hasNotice) {
    std::wstring fileName = agent.substr(agent.find_last_of(L"\\/") + 1);
    AgentFigures figures;
    measureStarts(agent, figures);
    measureRunning(agent, fileName, hasNotice, figures);
    return figures;
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
            window = visibleConfigWindow(started.id());
            return window != nullptr;
        },
        60000);
    if (window != nullptr) {
        shownMs = nowMs() - started.startedMs();
        started.endWith(window, WM_CLOSE, 0);
    }
    return shownMs;
}

// The first start of a program, then the median of three more.
std::pair<double, double> measureConfigStart(const std::wstring& config) {
    deleteSettings();
    double cold = startConfigOnce(config);
    std::vector<double> warm;
    for (int i = 0; i < 3; ++i) {
        warm.push_back(startConfigOnce(config));
    }
    deleteSettings();
    return {cold, quantile(warm, 0.5)};
}

int bench(const std::wstring& agent, const std::wstring& config, const std::wstring& tray,
          const std::wstring& window) {
    if (findAgentWindow(0) != nullptr) {
        std::fputs("an agent is running already\n", stderr);
        return 1;
    }
    // The baseline first. Its first start is also the first program start
    // of the Wine session after the probe, so the "first start" rows favour
    // ours; the medians compare like with like.
    AgentFigures base = measureAgent(tray, false);
    AgentFigures ours = measureAgent(agent, true);
    row("agent start to its window, first start", "ms", ours.windowCold, base.windowCold);
    row("agent start to its window, median of 5", "ms", ours.windowWarm, base.windowWarm);
    row("agent start to its tray icon, first start", "ms", ours.iconCold, base.iconCold);
    row("agent start to its tray icon, median of 5", "ms", ours.iconWarm, base.iconWarm);
    row("query -> 1728 round trip, median of 1000", "ms", ours.tripMedian, base.tripMedian);
    row("query -> 1728 round trip, 99th percentile", "ms", ours.tripP99, base.tripP99);
    row("agent CPU over 60 s idle (Linux ticks)", "tick", ours.idleTicks, base.idleTicks);
    row("agent CPU over 60 s in a session (Linux ticks)", "tick", ours.sessionTicks,
        base.sessionTicks);
    row("agent anonymous memory after start", "KiB", ours.memoryStart, base.memoryStart);
    row("agent anonymous memory after 1000 start/cancel", "KiB", ours.memoryCycles,
        base.memoryCycles);
    row("start/cancel cycle with icon and tip, mean of 1000", "ms", ours.cycleMs, base.cycleMs);
    row("notice on screen after a start (2 s meant)", "ms", ours.noticeMs, -1);
    auto [baseCold, baseWarm] = measureConfigStart(window);
    auto [cold, warm] = measureConfigStart(config);
    row("configuration window start, first start", "ms", cold, baseCold);
    row("configuration window start, median of 3", "ms", warm, baseWarm);
    return 0;
}

} // namespace

std::optional<int> benchCommand(int argc, Arguments argv) {
    if (std::wstring(argv[1]) == L"bench" && argc == 6) {
        return bench(argv[2], argv[3], argv[4], argv[5]);
    }
    return std::nullopt;
}

} // namespace probe
