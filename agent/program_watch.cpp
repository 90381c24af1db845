#include "program_watch.h"

#include "agent.h"
#include "program_list.h"
#include "resource.h"
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

bool takeListedProgram(UINT command, HANDLE& process, std::wstring& title) {
    size_t index = command - IDM_PROGRAM_FIRST;
    process = nullptr;
    if (index < listed.size() && listed[index].process != nullptr) {
        std::swap(process, listed[index].process);
        title = listed[index].title;
    }
    releaseListedPrograms();
    return process != nullptr;
}

bool watchProgram(HANDLE process) {
    stopProgramWatch();
    ++watchNumber;
    watchWindow = agentWindow;
    if (!RegisterWaitForSingleObject(&watchWait, process, programEnded,
                                     reinterpret_cast<PVOID>(watchNumber), INFINITE,
                                     WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        watchWait = nullptr;
        CloseHandle(process);
        return false;
    }
    watchedProcess = process;
    return true;
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

bool watchedProgramEnded(WPARAM watch) {
    if (watch != watchNumber || watchWait == nullptr) {
        return false;
    }
    stopProgramWatch();
    return true;
}
