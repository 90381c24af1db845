// The probe's commands that look at processes by program file name, and at
// the configuration application's main window:
//
//   processes NAME               how many processes run program file NAME
//   wait-process NAME SECONDS    wait until a process of that file name runs
//   wait-ended NAME SECONDS      wait until no process runs program file NAME
//   kill-process NAME            end every process of that file name
//   wait-then-kill NAME OTHER SECONDS
//                                as soon as a process NAME runs, end every
//                                process OTHER (quicker than two commands)
//   client-origin SECONDS        print the screen position of the main
//                                window's client area, once it shows: where a
//                                click has to go does not depend on whether
//                                Wine or a window manager draws the frame
//   close-main SECONDS           close the configuration application's main
//                                window and wait for its program to end
#include "probe.h"
#include "process_watch.h"
#include "program_support.h"

#include <cstdio>
#include <string>

using namespace vigilor_test;
using reliability::processesNamed;

namespace probe {

namespace {

int waitProcess(const wchar_t* name, DWORD timeoutMs) {
    if (!pumpUntil([name] { return !processesNamed(name).empty(); }, timeoutMs)) {
        std::fputs("no such process\n", stderr);
        return 1;
    }
    return 0;
}

int waitEnded(const wchar_t* name, DWORD timeoutMs) {
    if (!pumpUntil([name] { return processesNamed(name).empty(); }, timeoutMs)) {
        std::fputs("still running\n", stderr);
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

int clientOrigin(DWORD timeoutMs) {
    HWND window = waitForWindow([] { return visibleConfigWindow(0); }, timeoutMs);
    POINT origin = {};
    if (window == nullptr || !ClientToScreen(window, &origin)) {
        std::fputs("no configuration window\n", stderr);
        return 1;
    }
    std::printf("%ld %ld\n", origin.x, origin.y);
    return 0;
}

int closeMain(DWORD timeoutMs) {
    HWND window = visibleConfigWindow(0);
    if (window == nullptr) {
        std::fputs("no configuration window\n", stderr);
        return 1;
    }
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, windowProcess(window));
    PostMessageW(window, WM_CLOSE, 0, 0);
    bool ended = process != nullptr && WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0;
    if (process != nullptr) {
        CloseHandle(process);
    }
    return ended ? 0 : 1;
}

} // namespace

std::optional<int> processCommand(int argc, Arguments argv) {
    std::wstring command = argv[1];
    if (command == L"processes" && argc == 3) {
        std::printf("%zu\n", processesNamed(argv[2]).size());
        return 0;
    }
    if (command == L"wait-process" && argc == 4) {
        return waitProcess(argv[2], seconds(argv[3]));
    }
    if (command == L"wait-ended" && argc == 4) {
        return waitEnded(argv[2], seconds(argv[3]));
    }
    if (command == L"kill-process" && argc == 3) {
        return killProcess(argv[2]);
    }
    if (command == L"wait-then-kill" && argc == 5) {
        return waitThenKill(argv[2], argv[3], seconds(argv[4]));
    }
    if (command == L"client-origin" && argc == 3) {
        return clientOrigin(seconds(argv[2]));
    }
    if (command == L"close-main" && argc == 3) {
        return closeMain(seconds(argv[2]));
    }
    return std::nullopt;
}

} // namespace probe
