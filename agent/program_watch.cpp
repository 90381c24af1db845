#include "program_watch.h"

#include "agent.h"
#include "program_list.h"
#include "program_lookup.h"
#include "resource.h"
#include "texts.h"

#include <vector>

namespace {

std::vector<ListedProgram> listed;
HANDLE watchedProcess = nullptr;
HANDLE watchWait = nullptr;
HWND watchWindow = nullptr;
// The program file whose processes the watch goes through, if any.
std::wstring watchedFile;
// Tells a late message of a watch stopped meanwhile from the current one.
WPARAM watchNumber = 0;

// Runs on a thread of the system's pool: it only tells the agent's thread.
VOID CALLBACK programEnded(PVOID watch, BOOLEAN) {
    PostMessageW(watchWindow, WMAPP_PROGRAM_ENDED, reinterpret_cast<WPARAM>(watch), 0);
}

// The next process of the watched program file, watched in place of the one
// that ended.
bool watchNextProcess() {
    std::wstring file;
    file.swap(watchedFile);
    stopProgramWatch();
    std::wstring name;
    DWORD error = 0;
    HANDLE next = file.empty() ? nullptr : openProgramByFile(file, name, error);
    return next != nullptr && watchProgram(next, file);
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

bool watchProgram(HANDLE process, const std::wstring& programFile) {
    // Only once the new watch is set up does the one in place give way:
    // where none can be, the program watched so far is watched on.
    WPARAM number = watchNumber + 1;
    HANDLE wait = nullptr;
    watchWindow = agentWindow;
    if (!RegisterWaitForSingleObject(&wait, process, programEnded, reinterpret_cast<PVOID>(number),
                                     INFINITE, WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD)) {
        CloseHandle(process);
        return false;
    }
    stopProgramWatch();
    // A callback of the new wait posts its number; the agent's thread reads
    // it only after this has returned.
    watchNumber = number;
    watchWait = wait;
    watchedProcess = process;
    watchedFile = programFile;
    return true;
}

DWORD watchedProgramId() {
    return watchedProcess != nullptr ? GetProcessId(watchedProcess) : 0;
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
    watchedFile.clear();
}

bool watchedProgramEnded(WPARAM watch) {
    if (watch != watchNumber || watchWait == nullptr) {
        return false;
    }
    return !watchNextProcess();
}
