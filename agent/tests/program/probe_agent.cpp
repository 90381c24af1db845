// The probe's commands that drive the agent:
//
//   reset                       delete the settings key
//   set NAME VALUE              store a REG_DWORD option
//   get NAME                    print a REG_DWORD value, or "missing"
//   get-text NAME               print a REG_SZ value, or "missing"
//   use-power-stand-in SCHEME   make SCHEME ({...}) the stand-in powrprof's
//                               active scheme and have the agent load it
//   scheme                      print the stand-in's active scheme and how
//                               many times a scheme was activated
//   wait-agent SECONDS          wait for an agent window
//   agent SECONDS               wait for an agent window; print the process
//                               id and program file behind it
//   stubborn                    show a window that looks like the agent's
//                               but does not close on WM_CLOSE, until WM_APP
//   post MESSAGE [WPARAM]       post to the agent window; print the time
//   wait-countdown SECONDS      wait for the countdown popup; print the time
//                               and the screen centre of its Cancel button
//   popups                      print how many popups show, and how many
//                               exist (shown or hidden)
//   query SECONDS               ask the agent for its state, as the
//                               configuration application does; print it
//   hold                        stay running with a window, until ended
//   unsaved                     hold, with unsaved work: keep Windows up,
//                               and print a line each time Windows asks
//   popup-scene AGENT RECT DONE show a notice over a coloured backdrop, write
//                               the popup's rectangle to RECT, keep the
//                               scene still until the file DONE exists
//   strings AGENT FIRST LAST    print the agent's string resources FIRST to
//                               LAST as Windows loads them for this user,
//                               one a line, in UTF-8 (line feeds as \n)
//   tips AGENT                  play the notification area, start AGENT and
//                               print its tip idle, in a session and after a
//                               cancel; the agent is closed at the end
//   texts TITLE SECONDS         wait for a top-level window whose title holds
//                               TITLE; print its title and the texts of its
//                               child windows, one a line, as above
//   window TITLE                show a window titled TITLE, until ended
//   frames TITLE...             play the Store apps' frame host: a frame
//                               window for each TITLE, until ended
//   store-app TITLE [alone]     play a Store app: its core window inside the
//                               frame titled TITLE (or, alone, hidden beside
//                               it, as when the app is minimised); print
//                               "shown", and stay until ended
//   menu SECONDS                right-click the agent's icon; wait for its menu
//   keys KEY...                 type keys (virtual-key codes, in decimal)
//   tray-log [notifications]    play the notification area; print each tip
//                               given, or each notification's text
#include "probe.h"
#include "program_support.h"
#include "tray_stand_in.h"

#include "peer_window.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <tlhelp32.h>

using namespace vigilor_test;

namespace probe {

namespace {

HWND waitForAgentWindow(DWORD timeoutMs) {
    return waitForWindow([] { return findAgentWindow(0); }, timeoutMs);
}

// A window of a class of its own, which later windows may share: a
// top-level one, or a child of `parent`.
HWND createWindow(WNDPROC procedure, const wchar_t* cls, const wchar_t* title, DWORD style,
                  int width, int height, HWND parent = nullptr) {
    WNDCLASSEXW wcex = {sizeof(wcex)};
    wcex.lpfnWndProc = procedure;
    wcex.hInstance = GetModuleHandleW(nullptr);
    wcex.lpszClassName = cls;
    if (RegisterClassExW(&wcex) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    return CreateWindowExW(0, cls, title, style, 0, 0, width, height, parent, nullptr,
                           wcex.hInstance, nullptr);
}

int waitAgent(DWORD timeoutMs) {
    if (waitForAgentWindow(timeoutMs) == nullptr) {
        std::fputs("no agent window\n", stderr);
        return 1;
    }
    return 0;
}

int printAgent(DWORD timeoutMs) {
    HWND window = waitForAgentWindow(timeoutMs);
    if (window == nullptr) {
        std::fputs("no agent window\n", stderr);
        return 1;
    }
    DWORD processId = windowProcess(window);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    wchar_t image[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    bool known = process != nullptr && QueryFullProcessImageNameW(process, 0, image, &size);
    if (process != nullptr) {
        CloseHandle(process);
    }
    if (!known) {
        std::fputs("cannot tell the agent's program file\n", stderr);
        return 1;
    }
    std::printf("%lu ", processId);
    printLine(image);
    return 0;
}

LRESULT CALLBACK stubbornProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        return 0;
    case WM_APP:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// An agent that hangs, or has a dialog open, from the installer's side.
int stubborn() {
    if (createWindow(stubbornProcedure, kAgentClass, kAgentTitle, WS_OVERLAPPEDWINDOW, 100, 100) ==
        nullptr) {
        std::fputs("cannot make the window\n", stderr);
        return 1;
    }
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

int post(UINT message, WPARAM wParam) {
    HWND agent = findAgentWindow(0);
    if (agent == nullptr || !PostMessageW(agent, message, wParam, 0)) {
        std::fputs("cannot post to the agent\n", stderr);
        return 1;
    }
    std::printf("%.3f\n", epochSeconds());
    return 0;
}

int waitCountdown(DWORD timeoutMs) {
    HWND button = nullptr;
    pumpUntil(
        [&] {
            for (HWND popup : findPopups(0)) {
                button = findChild(popup, L"BUTTON");
                if (button != nullptr) {
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (button == nullptr) {
        std::fputs("no countdown popup\n", stderr);
        return 1;
    }
    double seen = epochSeconds();
    RECT rect = {};
    GetWindowRect(button, &rect);
    std::printf("%.3f %ld %ld %ls\n", seen, (rect.left + rect.right) / 2,
                (rect.top + rect.bottom) / 2, windowText(button).c_str());
    return 0;
}

int query(DWORD timeoutMs) {
    StateRecorder config(VIGILOR_CONFIG_WINDOW_CLASS, kConfigTitle);
    HWND agent = findAgentWindow(0);
    if (agent == nullptr || !PostMessageW(agent, WM_VIGILOR_QUERY, 0, 0) ||
        !config.waitForStates(1, timeoutMs)) {
        std::fputs("no answer from the agent\n", stderr);
        return 1;
    }
    std::printf("%llu\n", static_cast<unsigned long long>(config.states().front()));
    return 0;
}

LRESULT CALLBACK unsavedProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        std::puts("asked to end the session");
        std::fflush(stdout);
        return FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int hold() {
    StateRecorder bystander(L"VigilorProbeBystander", L"bystander");
    pumpUntil([] { return false; }, INFINITE);
    return 0;
}

// A window that covers the screen in one colour, beneath the popup, so that
// what shows through the popup's corners is known.
LRESULT CALLBACK backdropProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND) {
        RECT client = {};
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(RGB(30, 90, 200));
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND createBackdrop() {
    return createWindow(backdropProcedure, L"VigilorProbeBackdrop", L"backdrop",
                        WS_POPUP | WS_VISIBLE, GetSystemMetrics(SM_CXSCREEN),
                        GetSystemMetrics(SM_CYSCREEN));
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Stops or resumes every thread of a process: a stopped agent neither closes
// its popup nor repaints it, so the picture holds still.
void freezeProcess(DWORD processId, bool freeze) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {sizeof(entry)};
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != processId) {
            continue;
        }
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (thread != nullptr) {
            freeze ? SuspendThread(thread) : ResumeThread(thread);
            CloseHandle(thread);
        }
    }
    CloseHandle(snapshot);
}

int popupScene(const std::wstring& agentPath, const std::wstring& rectFile,
               const std::wstring& doneFile) {
    HWND backdrop = createBackdrop();
    if (backdrop == nullptr) {
        std::fputs("no backdrop\n", stderr);
        return 1;
    }
    pumpPending();
    deleteSettings();
    AgentProcess agent;
    if (!agent.start(agentPath)) {
        std::fputs("the agent did not start\n", stderr);
        return 1;
    }
    agent.post(WM_VIGILOR_START);
    std::vector<HWND> popups;
    if (!pumpUntil(
            [&] {
                popups = findPopups(agent.id());
                return !popups.empty();
            },
            10000)) {
        std::fputs("no popup\n", stderr);
        return 1;
    }
    // The popup paints once the agent has nothing else queued; a query is
    // answered before that, so after its answer and a short pause the face
    // is on screen.
    StateRecorder config(VIGILOR_CONFIG_WINDOW_CLASS, kConfigTitle);
    agent.post(WM_VIGILOR_QUERY);
    config.waitForStates(1, 5000);
    pumpUntil([] { return false; }, 300);
    freezeProcess(agent.id(), true);

    RECT rect = {};
    GetWindowRect(popups.front(), &rect);
    FILE* out = _wfopen(rectFile.c_str(), L"w");
    if (out == nullptr) {
        freezeProcess(agent.id(), false);
        return 1;
    }
    std::fprintf(out, "%ld %ld %ld %ld\n", rect.left, rect.top, rect.right, rect.bottom);
    std::fclose(out);
    bool done = pumpUntil([&] { return fileExists(doneFile); }, 60000);
    freezeProcess(agent.id(), false);
    agent.terminate();
    deleteSettings();
    DestroyWindow(backdrop);
    return done ? 0 : 1;
}

BOOL CALLBACK printChildText(HWND child, LPARAM) {
    std::wstring text = windowText(child);
    if (!text.empty()) {
        printLine(text);
    }
    return TRUE;
}

struct TitleSearch {
    const std::wstring* part;
    HWND found;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    if (IsWindowVisible(window) && windowText(window).find(*search->part) != std::wstring::npos) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

int printWindowTexts(const std::wstring& titlePart, DWORD timeoutMs) {
    TitleSearch search = {&titlePart, nullptr};
    pumpUntil(
        [&] {
            EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeoutMs);
    HWND found = search.found;
    if (found == nullptr) {
        std::fputs("no such window\n", stderr);
        return 1;
    }
    printLine(windowText(found));
    EnumChildWindows(found, printChildText, 0);
    return 0;
}

int printStrings(const std::wstring& agentPath, UINT first, UINT last) {
    HMODULE agent = LoadLibraryExW(agentPath.c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (agent == nullptr) {
        std::fputs("cannot load the agent's resources\n", stderr);
        return 1;
    }
    for (UINT id = first; id <= last; ++id) {
        const wchar_t* text = nullptr;
        int length = LoadStringW(agent, id, reinterpret_cast<LPWSTR>(&text), 0);
        printLine(length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring());
    }
    FreeLibrary(agent);
    return 0;
}

// Plays the notification area for a real agent that it starts, and prints
// the tip of its icon: idle, then in a session, then idle again after the
// session is cancelled. The agent is closed at the end.
int printTips(const std::wstring& agentPath) {
    TrayStandIn tray;
    AgentProcess agent;
    if (!agent.start(agentPath)) {
        std::fputs("the agent did not start\n", stderr);
        return 1;
    }
    auto waitForRecords = [&](size_t count) {
        if (!tray.waitForRecords(count, 30000)) {
            std::fputs("no icon record\n", stderr);
            return false;
        }
        printLine(tray.records().back().tip);
        return true;
    };
    bool shown = waitForRecords(1);
    shown = shown && agent.post(WM_VIGILOR_START) && waitForRecords(tray.records().size() + 1);
    shown = shown && agent.post(WM_VIGILOR_CANCEL) && waitForRecords(tray.records().size() + 1);
    agent.post(WM_CLOSE);
    agent.waitForExit(10000);
    return shown ? 0 : 1;
}

int showWindow(const wchar_t* title) {
    if (createWindow(DefWindowProcW, L"VigilorProbeProgram", title,
                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 420, 120) == nullptr) {
        return 1;
    }
    pumpUntil([] { return false; }, INFINITE);
    return 0;
}

wchar_t const kFrameClass[] = L"ApplicationFrameWindow";

int showFrames(int count, Arguments titles) {
    for (int i = 0; i < count; ++i) {
        if (createWindow(DefWindowProcW, kFrameClass, titles[i], WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                         420, 120) == nullptr) {
            return 1;
        }
    }
    pumpUntil([] { return false; }, INFINITE);
    return 0;
}

int showStoreApp(const wchar_t* title, bool alone) {
    HWND frame = waitForWindow([title] { return FindWindowW(kFrameClass, title); }, 30000);
    if (frame == nullptr ||
        createWindow(DefWindowProcW, L"Windows.UI.Core.CoreWindow", alone ? title : L"",
                     alone ? WS_POPUP : WS_CHILD | WS_VISIBLE, 100, 50,
                     alone ? nullptr : frame) == nullptr) {
        std::fputs("no frame to show the app in\n", stderr);
        return 1;
    }
    std::puts("shown");
    std::fflush(stdout);
    pumpUntil([] { return false; }, INFINITE);
    return 0;
}

int openMenu(DWORD timeoutMs) {
    PostMessageW(findAgentWindow(0), WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
    return pumpUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }, timeoutMs)
               ? 0
               : 1;
}

int typeKeys(int count, Arguments keys) {
    for (int i = 0; i < count; ++i) {
        INPUT input[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
        input[0].ki.wVk = input[1].ki.wVk = static_cast<WORD>(number(keys[i]));
        input[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
        Sleep(200); // the menu answers each key before the next
    }
    return 0;
}

int trayLog(bool notifications) {
    TrayStandIn tray;
    size_t printed = 0;
    pumpUntil(
        [&] {
            for (; printed < tray.records().size(); ++printed) {
                const TrayRecord& record = tray.records()[printed];
                if (!notifications) {
                    printLine(record.tip);
                } else if ((record.flags & NIF_INFO) != 0) {
                    printLine(record.info);
                }
                std::fflush(stdout);
            }
            return false;
        },
        INFINITE);
    return 0;
}

} // namespace

std::optional<int> agentCommand(int argc, Arguments argv) {
    std::wstring command = argv[1];
    if (command == L"reset" && argc == 2) {
        deleteSettings();
        return 0;
    }
    if (command == L"set" && argc == 4) {
        return writeSetting(argv[2], number(argv[3])) ? 0 : 1;
    }
    if (command == L"get" && argc == 3) {
        std::optional<DWORD> value = readSetting(argv[2]);
        value ? std::printf("%lu\n", *value) : std::printf("missing\n");
        return 0;
    }
    if (command == L"get-text" && argc == 3) {
        std::optional<std::wstring> text = readSettingText(argv[2]);
        text ? std::printf("%ls\n", text->c_str()) : std::printf("missing\n");
        return 0;
    }
    if (command == L"use-power-stand-in" && argc == 3) {
        return usePowerStandIn(argv[2]) ? 0 : 1;
    }
    if (command == L"scheme" && argc == 2) {
        std::printf("%ls %lu\n", activeScheme().c_str(), schemeActivations());
        return 0;
    }
    if (command == L"wait-agent" && argc == 3) {
        return waitAgent(seconds(argv[2]));
    }
    if (command == L"agent" && argc == 3) {
        return printAgent(seconds(argv[2]));
    }
    if (command == L"stubborn" && argc == 2) {
        return stubborn();
    }
    if (command == L"post" && (argc == 3 || argc == 4)) {
        return post(number(argv[2]), argc == 4 ? number(argv[3]) : 0);
    }
    if (command == L"wait-countdown" && argc == 3) {
        return waitCountdown(seconds(argv[2]));
    }
    if (command == L"popups" && argc == 2) {
        std::vector<HWND> popups = findPopups(0);
        size_t shown = 0;
        for (HWND popup : popups) {
            shown += IsWindowVisible(popup) ? 1 : 0;
        }
        std::printf("%zu %zu\n", shown, popups.size());
        return 0;
    }
    if (command == L"query" && argc == 3) {
        return query(seconds(argv[2]));
    }
    if (command == L"hold" && argc == 2) {
        return hold();
    }
    if (command == L"unsaved" && argc == 2) {
        createWindow(unsavedProcedure, L"VigilorUnsaved", L"Unsaved work",
                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 9, 9);
        return hold();
    }
    if (command == L"popup-scene" && argc == 5) {
        return popupScene(argv[2], argv[3], argv[4]);
    }
    if (command == L"texts" && argc == 4) {
        return printWindowTexts(argv[2], seconds(argv[3]));
    }
    if (command == L"tips" && argc == 3) {
        return printTips(argv[2]);
    }
    if (command == L"window" && argc == 3) {
        return showWindow(argv[2]);
    }
    if (command == L"frames" && argc >= 3) {
        return showFrames(argc - 2, argv + 2);
    }
    if (command == L"store-app" &&
        (argc == 3 || (argc == 4 && std::wstring(argv[3]) == L"alone"))) {
        return showStoreApp(argv[2], argc == 4);
    }
    if (command == L"menu" && argc == 3) {
        return openMenu(seconds(argv[2]));
    }
    if (command == L"keys") {
        return typeKeys(argc - 2, argv + 2);
    }
    if (command == L"tray-log" &&
        (argc == 2 || (argc == 3 && argv[2] == std::wstring(L"notifications")))) {
        return trayLog(argc == 3);
    }
    if (command == L"strings" && argc == 5) {
        return printStrings(argv[2], number(argv[3]), number(argv[4]));
    }
    return std::nullopt;
}

} // namespace probe
