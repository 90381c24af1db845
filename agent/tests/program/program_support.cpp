#include "program_support.h"

#include "peer_window.h"
#include "stand_in_powrprof.h"

#include <shellapi.h>

#include <algorithm>

namespace vigilor_test {

std::wstring windowsPath(const std::string& path) {
    std::wstring wide(path.begin(), path.end());
    std::replace(wide.begin(), wide.end(), L'/', L'\\');
    if (!wide.empty() && wide[0] == L'\\') {
        wide.insert(0, L"Z:");
    }
    return wide;
}

void deleteSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

namespace {

bool writeValue(const wchar_t* keyName, const wchar_t* name, DWORD type, const void* data,
                DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyName, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    LONG result = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

} // namespace

bool writeSetting(const wchar_t* name, DWORD value) {
    return writeValue(kSettingsKey, name, REG_DWORD, &value, sizeof(value));
}

bool writeSetting(const wchar_t* name, const std::wstring& value) {
    return writeValue(kSettingsKey, name, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<DWORD> readSetting(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::wstring> readSettingText(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return std::wstring(text);
}

namespace {

constexpr wchar_t kAgentDllOverrides[] =
    L"Software\\Wine\\AppDefaults\\VigilorTaskbar.exe\\DllOverrides";

bool setText(const wchar_t* keyName, const wchar_t* name, const std::wstring& text) {
    return writeValue(keyName, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

} // namespace

bool usePowerStandIn(const std::wstring& scheme) {
    using namespace stand_in_powrprof;
    DWORD none = 0;
    return setText(kStateKey, kActiveValue, scheme) &&
           writeValue(kStateKey, kActivationsValue, REG_DWORD, &none, sizeof(none)) &&
           setText(kAgentDllOverrides, L"powrprof", L"native,builtin");
}

void removePowerStandIn() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAgentDllOverrides, L"powrprof");
    RegDeleteTreeW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey);
}

std::wstring activeScheme() {
    wchar_t text[64] = {};
    DWORD size = sizeof(text);
    RegGetValueW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey, stand_in_powrprof::kActiveValue,
                 RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

DWORD schemeActivations() {
    DWORD count = 0;
    DWORD size = sizeof(count);
    RegGetValueW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey,
                 stand_in_powrprof::kActivationsValue, RRF_RT_REG_DWORD, nullptr, &count, &size);
    return count;
}

std::wstring placeBesidePowerStandIn(const std::wstring& agent, const std::wstring& standIn,
                                     const std::wstring& folder) {
    std::wstring copy = folder + L"\\VigilorTaskbar.exe";
    if (!CopyFileW(agent.c_str(), copy.c_str(), FALSE) ||
        !CopyFileW(standIn.c_str(), (folder + L"\\powrprof.dll").c_str(), FALSE)) {
        return {};
    }
    return copy;
}

DWORD minuteOfDay() {
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    return DWORD{now.wHour} * 60 + now.wMinute;
}

double epochSeconds() {
    FILETIME now = {};
    GetSystemTimePreciseAsFileTime(&now);
    ULARGE_INTEGER ticks = {};
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    // FILETIME counts 100 ns steps from 1601; the Unix epoch is 1970.
    return static_cast<double>(ticks.QuadPart - 116444736000000000ULL) / 1e7;
}

void pumpPending() {
    MSG msg = {};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool pumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        pumpPending();
        if (done()) {
            return true;
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) {
            return false;
        }
        // Wakes for our own messages at once; other processes' windows and
        // the registry are looked at again every few milliseconds.
        DWORD wait = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, wait, QS_ALLINPUT);
    }
}

std::wstring className(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    return name;
}

std::wstring windowText(HWND window) {
    wchar_t text[512] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

DWORD windowProcess(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* cls;
    const wchar_t* title;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<WindowSearch*>(lParam);
    if ((search->processId == 0 || windowProcess(window) == search->processId) &&
        className(window) == search->cls &&
        (search->title == nullptr || windowText(window) == search->title)) {
        search->found.push_back(window);
    }
    return TRUE;
}

std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* cls, const wchar_t* title) {
    WindowSearch search{processId, cls, title, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool isLayered(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

} // namespace

HWND findAgentWindow(DWORD processId) {
    for (HWND window : topLevelWindows(processId, kAgentClass, kAgentTitle)) {
        if (!isLayered(window)) {
            return window;
        }
    }
    return nullptr;
}

std::vector<HWND> findPopups(DWORD processId) {
    std::vector<HWND> popups = topLevelWindows(processId, kAgentClass, kAgentTitle);
    popups.erase(std::remove_if(popups.begin(), popups.end(),
                                [](HWND window) { return !isLayered(window); }),
                 popups.end());
    return popups;
}

HWND findProcessWindow(DWORD processId, const wchar_t* cls, const wchar_t* title) {
    std::vector<HWND> windows = topLevelWindows(processId, cls, title);
    return windows.empty() ? nullptr : windows.front();
}

HWND findChild(HWND parent, const wchar_t* cls) {
    return FindWindowExW(parent, nullptr, cls, nullptr);
}

AgentProcess::~AgentProcess() {
    terminate();
}

bool AgentProcess::start(const std::wstring& program, DWORD timeoutMs) {
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {sizeof(startup)};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_)) {
        info_ = {};
        return false;
    }
    pumpUntil(
        [this] {
            window_ = findAgentWindow(info_.dwProcessId);
            return window_ != nullptr || !running();
        },
        timeoutMs);
    return window_ != nullptr;
}

bool AgentProcess::running() const {
    return info_.hProcess != nullptr && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool AgentProcess::post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return window_ != nullptr && PostMessageW(window_, message, wParam, lParam);
}

bool AgentProcess::waitForExit(DWORD timeoutMs) const {
    return info_.hProcess != nullptr && pumpUntil([this] { return !running(); }, timeoutMs);
}

DWORD AgentProcess::exitCode() const {
    DWORD code = STILL_ACTIVE;
    if (info_.hProcess != nullptr) {
        GetExitCodeProcess(info_.hProcess, &code);
    }
    return code;
}

void AgentProcess::terminate() {
    if (info_.hProcess == nullptr) {
        return;
    }
    if (running()) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
    info_ = {};
    window_ = nullptr;
}

StateRecorder::StateRecorder() : StateRecorder(VIGILOR_CONFIG_WINDOW_CLASS, kConfigTitle) {}

StateRecorder::StateRecorder(const wchar_t* cls, const wchar_t* title) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wcex = {sizeof(wcex)};
    if (!GetClassInfoExW(instance, cls, &wcex)) {
        wcex = {sizeof(wcex)};
        wcex.lpfnWndProc = DefWindowProcW;
        wcex.hInstance = instance;
        wcex.lpszClassName = cls;
        RegisterClassExW(&wcex);
    }
    window_ = CreateWindowExW(0, cls, title, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                              instance, nullptr);
    if (window_ != nullptr) {
        // Whoever registered the class, this window records for us.
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
    }
}

StateRecorder::~StateRecorder() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool StateRecorder::waitForStates(size_t count, DWORD timeoutMs) {
    return pumpUntil([this, count] { return states_.size() >= count; }, timeoutMs);
}

std::optional<std::pair<WPARAM, double>> StateRecorder::query(HWND agent, DWORD timeoutMs) {
    size_t before = states_.size();
    double sent = nowMs();
    if (!PostMessageW(agent, WM_VIGILOR_QUERY, 0, 0) || !waitForStates(before + 1, timeoutMs)) {
        return std::nullopt;
    }
    return std::make_pair(states_[before], nowMs() - sent);
}

LRESULT CALLBACK StateRecorder::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<StateRecorder*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_VIGILOR_STATE && self != nullptr) {
        self->states_.push_back(wParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f = {};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter = {};
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"vigilor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() {
    // SHFileOperationW wants a list ending in two nulls.
    std::wstring from = path_ + L'\0';
    SHFILEOPSTRUCTW operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NO_UI;
    SHFileOperationW(&operation);
}

} // namespace vigilor_test
