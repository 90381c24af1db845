#include "agent_start.h"

#include "agent_link.h"
#include "console.h"
#include "contract.h"
#include "resource.h"

#include <shellapi.h>

namespace {

wchar_t const kAgentFile[] = L"\\VigilorTaskbar.exe";

// The first program of a Windows session may wait for the shell's services
// before its first window; the configuration application waits as long.
DWORD const kAgentStartTimeoutMs = 30000;
DWORD const kPollIntervalMs = 100;

size_t const kFileLength = ARRAYSIZE(kAgentFile) - 1;

std::wstring installFolder() {
    wchar_t folder[MAX_PATH] = {};
    DWORD size = sizeof(folder);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kPathValue, RRF_RT_REG_SZ, nullptr, folder,
                     &size) != ERROR_SUCCESS) {
        return {};
    }
    std::wstring text = folder;
    return text.size() + kFileLength < MAX_PATH ? text : std::wstring();
}

std::wstring folderOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ownFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {};
    }
    return folderOf(std::wstring(path, length));
}

bool exists(const std::wstring& file) {
    DWORD attributes = GetFileAttributesW(file.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool runsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    bool elevated =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
        elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

std::wstring explorerProgram() {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetWindowsDirectoryW(folder, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(folder, length) + L"\\explorer.exe"
                                           : std::wstring(L"explorer.exe");
}

// An agent started from an elevated console would run elevated, and, where
// another administrator's password elevated it, as that user with that
// user's settings. Explorer starts it at the signed-in user's own level.
bool launch(const std::wstring& program, DWORD& error) {
    std::wstring quoted = L"\"" + program + L"\"";
    std::wstring explorer = explorerProgram();
    bool elevated = runsElevated();
    std::wstring folder = folderOf(program);
    SHELLEXECUTEINFOW info = {sizeof(info)};
    // The failure is told here, on the console, not in a box of the shell's.
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = elevated ? explorer.c_str() : program.c_str();
    info.lpParameters = elevated ? quoted.c_str() : nullptr;
    info.lpDirectory = folder.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info)) {
        error = GetLastError();
        return false;
    }
    return true;
}

} // namespace

std::wstring agentProgram() {
    std::wstring folder = installFolder();
    if (!folder.empty()) {
        return folder + kAgentFile;
    }
    std::wstring own = ownFolder();
    for (const std::wstring& candidate : {own + kAgentFile, folderOf(own) + kAgentFile}) {
        if (!own.empty() && exists(candidate)) {
            return candidate;
        }
    }
    return {};
}

HWND startAgent(const std::wstring& program) {
    DWORD error = ERROR_SUCCESS;
    if (!launch(program, error)) {
        printError(text(IDS_ERROR_CANNOT_START, {program, systemErrorText(error)}) + L"\n");
        return nullptr;
    }
    for (DWORD waited = 0; waited < kAgentStartTimeoutMs; waited += kPollIntervalMs) {
        if (HWND agent = findAgentWindow()) {
            return agent;
        }
        Sleep(kPollIntervalMs);
    }
    printError(text(IDS_ERROR_NO_WINDOW) + L"\n");
    return nullptr;
}
