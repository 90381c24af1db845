#include "agent_link.h"

#include "contract.h"

#include <cwchar>

namespace {

wchar_t const kAnswerClass[] = L"VigilorCommandLine";

// The agent gathers what the check looks for from the power plan and the
// registry; the answer comes within this.
UINT const kRequestTimeoutMs = 10000;
DWORD const kStartUpTimeoutMs = 30000;
DWORD const kStartUpPollMs = 100;

template <size_t N> bool terminated(const wchar_t (&text)[N]) {
    return std::wmemchr(text, L'\0', N) != nullptr;
}

bool validStatus(const remote::Status& status) {
    return status.size == sizeof(status) && status.version == remote::kVersion &&
           terminated(status.program);
}

bool validFindings(const remote::Findings& findings) {
    return findings.size == sizeof(findings) && findings.version == remote::kVersion &&
           terminated(findings.text);
}

// Top-level windows are taken one by one from a list that EnumWindows makes
// first: a popup that closes meanwhile is passed over. Walking them with
// FindWindowExW would end at such a popup, as if no agent ran.
BOOL CALLBACK takeAgentWindow(HWND window, LPARAM found) {
    wchar_t text[32] = {};
    if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0 ||
        GetClassNameW(window, text, ARRAYSIZE(text)) == 0 ||
        std::wcscmp(text, kAgentWindowClass) != 0 ||
        // The agent window has a caption: its text is read without a
        // message to the agent.
        GetWindowTextW(window, text, ARRAYSIZE(text)) == 0 ||
        std::wcscmp(text, kAgentWindowTitle) != 0) {
        return TRUE;
    }
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

} // namespace

HWND findAgentWindow() {
    HWND found = nullptr;
    EnumWindows(takeAgentWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool onUserDesktop() {
    USEROBJECTFLAGS flags = {};
    // Where Windows does not say, the agent is looked for as usual.
    return !GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags),
                                      nullptr) ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

remote::Request makeRequest(DWORD verb) {
    remote::Request request = {sizeof(request), remote::kVersion, verb};
    request.endTimeOfDay = remote::kNoEndTime;
    return request;
}

AgentLink::AgentLink() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wcex = {sizeof(wcex)};
    wcex.lpfnWndProc = procedure;
    wcex.hInstance = instance;
    wcex.lpszClassName = kAnswerClass;
    RegisterClassExW(&wcex);
    // A hidden top-level window: the agent answers only a window of this
    // desktop.
    window_ = CreateWindowExW(0, kAnswerClass, L"vigilor", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              instance, nullptr);
    if (window_ == nullptr) {
        return;
    }
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // Run from an elevated console, this program would not hear an agent
    // of the user's own level without it.
    CHANGEFILTERSTRUCT change = {sizeof(change)};
    ChangeWindowMessageFilterEx(window_, WM_COPYDATA, MSGFLT_ALLOW, &change);
}

AgentLink::~AgentLink() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

std::optional<LRESULT> AgentLink::send(HWND agent, const remote::Request& request) {
    if (window_ == nullptr) {
        return std::nullopt;
    }
    asked_ = agent;
    status_.reset();
    findings_.reset();
    COPYDATASTRUCT copy = {remote::kRequestTag, sizeof(request),
                           const_cast<remote::Request*>(&request)};
    DWORD_PTR result = 0;
    bool taken = false;
    // An agent that has just been started takes requests once its start-up
    // is done.
    for (DWORD waited = 0; waited < kStartUpTimeoutMs; waited += kStartUpPollMs) {
        // Not SMTO_BLOCK: the answer to a question is sent to this thread
        // while it waits here.
        taken = SendMessageTimeoutW(agent, WM_COPYDATA, reinterpret_cast<WPARAM>(window_),
                                    reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                    kRequestTimeoutMs, &result) != 0;
        if (!taken || result != remote::kNotReady) {
            break;
        }
        Sleep(kStartUpPollMs);
    }
    asked_ = nullptr;
    if (!taken) {
        return std::nullopt;
    }
    return static_cast<LRESULT>(result);
}

bool AgentLink::take(HWND sender, const COPYDATASTRUCT* data) {
    // Only the agent asked, and only while it is being asked.
    if (asked_ == nullptr || sender != asked_ || data == nullptr || data->lpData == nullptr) {
        return false;
    }
    if (data->dwData == remote::kStatusTag && data->cbData == sizeof(remote::Status)) {
        auto status =
            std::make_unique<remote::Status>(*static_cast<const remote::Status*>(data->lpData));
        if (!validStatus(*status)) {
            return false;
        }
        status_ = std::move(status);
        return true;
    }
    if (data->dwData == remote::kFindingsTag && data->cbData == sizeof(remote::Findings)) {
        auto findings =
            std::make_unique<remote::Findings>(*static_cast<const remote::Findings*>(data->lpData));
        if (!validFindings(*findings)) {
            return false;
        }
        findings_ = std::move(findings);
        return true;
    }
    return false;
}

LRESULT CALLBACK AgentLink::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        auto* link = reinterpret_cast<AgentLink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        return link != nullptr && link->take(reinterpret_cast<HWND>(wParam),
                                             reinterpret_cast<const COPYDATASTRUCT*>(lParam))
                   ? TRUE
                   : FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
