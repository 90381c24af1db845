#include "agent_driver.h"

#include "process_watch.h"

namespace reliability {

using namespace vigilor_test;

std::wstring agentProgram() {
    // A copy for the run: a start fails while a build relinks the agent.
    static TempFolder folder;
    static std::wstring copy = folder.path() + L"\\VigilorTaskbar.exe";
    static bool copied = CopyFileW(windowsPath(VIGILOR_AGENT_EXE).c_str(), copy.c_str(), FALSE);
    return copied ? copy : windowsPath(VIGILOR_AGENT_EXE);
}

std::wstring standInConfigProgram() {
    return windowsPath(VIGILOR_STAND_IN_CONFIG_EXE);
}

ConfigStandInFolder::ConfigStandInFolder() {
    CopyFileW(standInConfigProgram().c_str(), (path() + L"\\PCVigilor.exe").c_str(), FALSE);
}

bool ConfigStandInFolder::started() const {
    return GetFileAttributesW((path() + L"\\started.txt").c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool waitUntilIdle(const AgentProcess& agent, DWORD timeoutMs) {
    if (!agent.post(WM_COMMAND, kAboutCommand)) {
        return false;
    }
    HWND about = nullptr;
    if (!pumpUntil(
            [&] {
                about = findProcessWindow(agent.id(), L"#32770", L"About VigilorTaskbar");
                return about != nullptr;
            },
            timeoutMs)) {
        return false;
    }
    PostMessageW(about, WM_COMMAND, IDOK, 0);
    return pumpUntil([&] { return !IsWindow(about); }, timeoutMs);
}

std::wstring strayWindows(DWORD processId) {
    std::wstring found;
    for (HWND window : topLevelWindows(processId, nullptr, nullptr)) {
        if (!IsWindowVisible(window)) {
            continue;
        }
        std::wstring cls = className(window);
        if (cls == kAgentClass) {
            continue;
        }
        found += cls + L" \"" + windowText(window) + L"\"; ";
    }
    return found;
}

} // namespace reliability
