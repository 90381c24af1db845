#include "program_watch.h"

#include "agent.h"
#include "program_list.h"
#include "resource.h"
#include "session.h"
#include "texts.h"

#include <vector>

namespace {

std::vector<ListedProgram> listed;
HANDLE watchedProcess = nullptr;
HANDLE watchWait = nullptr;
HWND watchWindow = nullptr;
// Tells a late message of a watch stopped meanwhile from the current one.
WPARAM watchNumber = 0;

// Runs on a thread of the system's pool: it only tells the agent's thread.
VOID CALLBACK programEnded(PVOID watch, BOOLEAN) {
    PostMessageW(watchWindow, WMAPP_PROGRAM_ENDED, reinterpret_cast<WPARAM>(watch), 0);
}

bool watchProgram(HANDLE process) {
    ++watchNumber;
    watchWindow = agentWindow;
    if (!RegisterWaitForSingleObject(&watchWait, process, programEnded,
                                     reinterpret_cast<PVOID>(watchNumber), INFINITE,
                                     WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        watchWait = nullptr;
        return false;
    }
    watchedProcess = process;
    return true;
}

} // namespace

void releaseListedPrograms() {
    for (const ListedProgram& program : listed) {
        if (program.process != nullptr) {
            CloseHandle(program.process);
        }
    }
    listed.clear();
}

void fillProgramMenu(HMENU menu) {
    releaseListedPrograms();
    while (DeleteMenu(menu, 0, MF_BYPOSITION)) {
    }
    listed = listPrograms();
    for (size_t i = 0; i < listed.size(); ++i) {
        UINT flags = MF_STRING | (listed[i].process != nullptr ? MF_ENABLED : MF_GRAYED);
        AppendMenuW(menu, flags, IDM_PROGRAM_FIRST + i, menuItemText(listed[i].title).c_str());
    }
    if (listed.empty()) {
        AppendMenuW(menu, MF_STRING | MF_GRAYED, IDM_PROGRAM_FIRST,
                    loadText(IDS_MENU_NO_PROGRAM).c_str());
    }
}

void startProgramSession(UINT command) {
    size_t index = command - IDM_PROGRAM_FIRST;
    // The menu offers programs only while no session runs.
    if (sessionEndMinute != 0 || index >= listed.size() || listed[index].process == nullptr) {
        return;
    }
    HANDLE process = listed[index].process;
    listed[index].process = nullptr;
    std::wstring title = listed[index].title;
    releaseListedPrograms();
    if (!watchProgram(process)) {
        CloseHandle(process);
        return;
    }
    startSessionFor(title);
}

void stopProgramWatch() {
    if (watchWait != nullptr) {
        // Waits for a callback under way, so that none runs once the handle
        // is closed.
        UnregisterWaitEx(watchWait, INVALID_HANDLE_VALUE);
        watchWait = nullptr;
    }
    if (watchedProcess != nullptr) {
        CloseHandle(watchedProcess);
        watchedProcess = nullptr;
    }
}

void onProgramEnded(WPARAM watch) {
    if (watch != watchNumber || watchWait == nullptr) {
        return;
    }
    stopProgramWatch();
    // The notice, or the shutdown countdown that can still be cancelled.
    if (sessionEndMinute != 0 && sessionTimerTarget != nullptr) {
        sessionTimerTarget(agentWindow, WM_TIMER, SESSION_TIMER, GetTickCount());
    }
}
