#include "program_list.h"

#include "contract.h"
#include "texts.h"

#include <dwmapi.h>

#include <algorithm>
#include <cwchar>

namespace {

// A Store app shows in a frame of the shared frame host
// (ApplicationFrameHost.exe), inside which the app's own process draws its
// core window. Where the app is minimised, its core window leaves the frame
// and stands alone under the same title.
wchar_t const kFrameClass[] = L"ApplicationFrameWindow";
wchar_t const kCoreWindowClass[] = L"Windows.UI.Core.CoreWindow";

struct WindowOf {
    DWORD processId;
    std::wstring title;
};

struct Survey {
    std::vector<WindowOf> windows;      // in z-order, topmost first
    std::vector<DWORD> configProcesses; // of the configuration application
};

std::wstring titleOf(HWND window) {
    int length = GetWindowTextLengthW(window);
    if (length <= 0) {
        return {};
    }
    std::wstring title(static_cast<size_t>(length) + 1, L'\0');
    length = GetWindowTextW(window, title.data(), length + 1);
    title.resize(static_cast<size_t>(std::max(length, 0)));
    return title;
}

bool isConfigWindow(HWND window, const std::wstring& title) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, ARRAYSIZE(cls));
    return title == kConfigWindowTitle && (std::wcscmp(cls, VIGILOR_CONFIG_WINDOW_CLASS) == 0 ||
                                           std::wcscmp(cls, kNamedConfigWindowClass) == 0);
}

// Windows keeps windows of suspended apps and of other virtual desktops
// "visible" but cloaked: the user sees none of them.
bool isCloaked(HWND window) {
    DWORD cloaked = 0;
    return SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof(cloaked))) &&
           cloaked != 0;
}

// The process whose end the user means by the window's: a Store app's own
// rather than the frame host's, which every such app shares and which
// outlives them. 0 for a frame without its app.
DWORD programProcessOf(HWND window, const std::wstring& title) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, ARRAYSIZE(cls));
    HWND drawn = window;
    if (std::wcscmp(cls, kFrameClass) == 0) {
        drawn = FindWindowExW(window, nullptr, kCoreWindowClass, nullptr);
        if (drawn == nullptr && !title.empty()) {
            drawn = FindWindowExW(nullptr, nullptr, kCoreWindowClass, title.c_str());
        }
    }
    DWORD processId = 0;
    if (drawn != nullptr) {
        GetWindowThreadProcessId(drawn, &processId);
    }
    return processId;
}

BOOL CALLBACK surveyWindow(HWND window, LPARAM param) {
    auto* survey = reinterpret_cast<Survey*>(param);
    if (!IsWindowVisible(window) || GetWindow(window, GW_OWNER) != nullptr ||
        window == GetShellWindow() || isCloaked(window)) {
        return TRUE;
    }
    std::wstring title = titleOf(window);
    DWORD processId = programProcessOf(window, title);
    if (processId == 0 || processId == GetCurrentProcessId()) {
        return TRUE;
    }
    if (isConfigWindow(window, title)) {
        survey->configProcesses.push_back(processId);
    }
    if (!title.empty()) {
        survey->windows.push_back({processId, std::move(title)});
    }
    return TRUE;
}

bool titleBefore(const WindowOf& a, const WindowOf& b) {
    return CompareStringEx(LOCALE_NAME_USER_DEFAULT, LINGUISTIC_IGNORECASE, a.title.c_str(),
                           static_cast<int>(a.title.size()), b.title.c_str(),
                           static_cast<int>(b.title.size()), nullptr, nullptr, 0) == CSTR_LESS_THAN;
}

} // namespace

std::vector<ListedProgram> listPrograms() {
    Survey survey;
    EnumWindows(surveyWindow, reinterpret_cast<LPARAM>(&survey));
    std::vector<WindowOf> firsts;
    for (WindowOf& window : survey.windows) {
        auto sameProcess = [&](const WindowOf& first) {
            return first.processId == window.processId;
        };
        bool excluded = std::count(survey.configProcesses.begin(), survey.configProcesses.end(),
                                   window.processId) != 0;
        if (!excluded && std::none_of(firsts.begin(), firsts.end(), sameProcess)) {
            firsts.push_back(std::move(window));
        }
    }
    // An insertion sort keeps windows of equal titles in z-order, as
    // std::stable_sort would, without its buffer: that one's allocation
    // alone brings the C++ exception runtime and threads into the agent.
    for (size_t i = 1; i < firsts.size(); ++i) {
        for (size_t j = i; j > 0 && titleBefore(firsts[j], firsts[j - 1]); --j) {
            std::swap(firsts[j], firsts[j - 1]);
        }
    }
    firsts.resize(std::min(firsts.size(), kMostListedPrograms));
    std::vector<ListedProgram> programs;
    for (const WindowOf& window : firsts) {
        programs.push_back({cutText(window.title, kListedTitleLength),
                            OpenProcess(SYNCHRONIZE, FALSE, window.processId)});
    }
    return programs;
}

std::wstring menuItemText(const std::wstring& title) {
    std::wstring text;
    for (wchar_t c : title) {
        if (c == L'&') {
            text += L'&';
        }
        text += c < L' ' ? L' ' : c;
    }
    return text;
}
