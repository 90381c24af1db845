#include "program_support.h"

#include "peer_window.h"
#include "stand_in_powrprof.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdio>

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

bool writeSetting(const wchar_t* name, DWORD value) {
    return writeDword(kSettingsKey, name, value);
}

bool writeSetting(const wchar_t* name, const std::wstring& value) {
    return writeText(kSettingsKey, name, value);
}

std::optional<DWORD> readSetting(const wchar_t* name) {
    return readDword(kSettingsKey, name);
}

std::optional<std::wstring> readSettingText(const wchar_t* name) {
    return readText(kSettingsKey, name);
}

namespace {

constexpr wchar_t kAgentDllOverrides[] =
    L"Software\\Wine\\AppDefaults\\VigilorTaskbar.exe\\DllOverrides";

} // namespace

bool usePowerStandIn(const std::wstring& scheme) {
    using namespace stand_in_powrprof;
    return writeText(kStateKey, kActiveValue, scheme) &&
           writeDword(kStateKey, kActivationsValue, 0) &&
           writeText(kAgentDllOverrides, L"powrprof", L"native,builtin");
}

void removePowerStandIn() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAgentDllOverrides, L"powrprof");
    RegDeleteTreeW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, stand_in_powrprof::kStateKey);
}

std::wstring activeScheme() {
    return readText(stand_in_powrprof::kStateKey, stand_in_powrprof::kActiveValue).value_or(L"");
}

DWORD schemeActivations() {
    return readDword(stand_in_powrprof::kStateKey, stand_in_powrprof::kActivationsValue)
        .value_or(0);
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
        (search->cls == nullptr || className(window) == search->cls) &&
        (search->title == nullptr || windowText(window) == search->title)) {
        search->found.push_back(window);
    }
    return TRUE;
}

bool isLayered(HWND window) {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

} // namespace

std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* cls, const wchar_t* title) {
    WindowSearch search{processId, cls, title, {}};
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

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
    // Under load, Wine now and then fails to bring up a new process before
    // any of the program runs; that creation is tried once more. A program
    // that started and then ended is not.
    for (int attempt = 1; !CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr,
                                          FALSE, 0, nullptr, nullptr, &startup, &info_);
         ++attempt) {
        info_ = {};
        std::fprintf(stderr, "creating the process of %ls failed (error %lu)\n", program.c_str(),
                     GetLastError());
        if (attempt == 2) {
            return false;
        }
        Sleep(1000);
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
    static unsigned made = 0; // two folders made within a millisecond stay apart
    path_ = std::wstring(base) + L"vigilor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++made);
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
