// vigilor_probe: a console program through which shell scripts drive the
// programs from inside a Wine session, and through which tools/bench.sh
// measures them. Each command does one thing and prints its result on
// standard output; the exit code is 0 on success. The commands are listed
// beside each group: probe_agent.cpp, probe_installation.cpp,
// probe_processes.cpp, probe_remote.cpp and probe_bench.cpp.
//
// Times are seconds since 1970, so that scripts can compare them with date.
#include "probe.h"

#include "peer_window.h"
#include "program_support.h"

#include <cstdio>
#include <cstdlib>

namespace probe {

DWORD seconds(const wchar_t* text) {
    return number(text) * 1000;
}

DWORD number(const wchar_t* text) {
    return static_cast<DWORD>(std::wcstoul(text, nullptr, 10));
}

void printLine(std::wstring line) {
    for (size_t at = line.find_first_of(L"\r\n"); at != std::wstring::npos;
         at = line.find_first_of(L"\r\n", at)) {
        line.replace(at, line[at] == L'\r' && at + 1 < line.size() && line[at + 1] == L'\n' ? 2 : 1,
                     L"\\n");
    }
    int bytes = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()),
                                    nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), utf8.data(), bytes,
                        nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
}

HWND visibleConfigWindow(DWORD processId) {
    for (HWND window : vigilor_test::topLevelWindows(processId, VIGILOR_CONFIG_WINDOW_CLASS,
                                                     vigilor_test::kConfigTitle)) {
        if (IsWindowVisible(window)) {
            return window;
        }
    }
    return nullptr;
}

HWND waitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
    HWND window = nullptr;
    vigilor_test::pumpUntil(
        [&] {
            window = find();
            return window != nullptr;
        },
        timeoutMs);
    return window;
}

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

} // namespace probe

int wmain(int argc, wchar_t** argv) {
    // Coordinates are the screen's own pixels, whatever the DPI.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    if (argc >= 2) {
        for (auto group : {probe::agentCommand, probe::installationCommand, probe::processCommand,
                           probe::remoteCommand, probe::benchCommand}) {
            if (std::optional<int> result = group(argc, argv)) {
                return *result;
            }
        }
    }
    std::fputs("usage: vigilor_probe COMMAND [ARGS]; see the source for the commands\n", stderr);
    return 2;
}
