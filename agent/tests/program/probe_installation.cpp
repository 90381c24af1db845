// installer_probe: a console program through which installer_test.sh looks
// at an installation from inside its Wine session. Each command prints its
// result on one line; the exit code is 0 unless the command could not run.
//
//   reg KEY                   "present" or "missing" (KEY under HKCU)
//   reg KEY NAME              the value: REG_SZ as text, REG_DWORD in decimal;
//                             "missing" when there is none
//   set KEY NAME NUMBER       store a REG_DWORD, creating the key
//   link FILE                 the program a shell link starts
//   version FILE              the "ProductVersion" of a program's version
//                             resource (US English, Unicode)
//   agent SECONDS             wait for the tray agent's window; print the
//                             process id and program file behind it
//   client CLASS TITLE SECONDS
//                             wait for a visible window; print the screen
//                             position of its client area's top left corner
//   post-agent MESSAGE        post a control message to the agent window
//   processes NAME            how many processes run program file NAME
//   wait-ended NAME SECONDS   wait until no process runs program file NAME
//   stubborn                  show a window that looks like the agent's but
//                             does not close on WM_CLOSE, until WM_APP comes
#include <windows.h>

#include <shlobj.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr wchar_t kAgentClass[] = L"VIGILORTASKBAR";
constexpr wchar_t kAgentTitle[] = L"VigilorTaskbar";

int usage() {
    std::fputs("usage: installer_probe COMMAND [ARGS]; see the source for the commands\n", stderr);
    return 2;
}

void printText(const std::wstring& text) {
    // The script compares UTF-8 text; paths may hold any character.
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::printf("%s\n", utf8.c_str());
}

int keyPresence(const wchar_t* subkey) {
    HKEY key = nullptr;
    bool present = RegOpenKeyExW(HKEY_CURRENT_USER, subkey, 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (present) {
        RegCloseKey(key);
    }
    std::printf(present ? "present\n" : "missing\n");
    return 0;
}

int readValue(const wchar_t* subkey, const wchar_t* name) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type,
                     nullptr, &size) != ERROR_SUCCESS) {
        std::printf("missing\n");
        return 0;
    }
    if (type == REG_DWORD) {
        DWORD value = 0;
        size = sizeof(value);
        RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
        std::printf("%lu\n", value);
        return 0;
    }
    std::wstring text(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_SZ, nullptr, text.data(), &size) !=
        ERROR_SUCCESS) {
        return 1;
    }
    text.resize(size / sizeof(wchar_t) - 1);
    printText(text);
    return 0;
}

int writeDword(const wchar_t* subkey, const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return 1;
    }
    LONG result = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                 sizeof(value));
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? 0 : 1;
}

int linkTarget(const wchar_t* file) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IShellLinkW* link = nullptr;
    IPersistFile* persist = nullptr;
    wchar_t target[MAX_PATH] = {};
    bool read =
        SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link))) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
        SUCCEEDED(persist->Load(file, STGM_READ)) &&
        SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH));
    if (persist != nullptr) {
        persist->Release();
    }
    if (link != nullptr) {
        link->Release();
    }
    CoUninitialize();
    if (!read) {
        std::fputs("cannot read the link\n", stderr);
        return 1;
    }
    printText(target);
    return 0;
}

int productVersion(const wchar_t* file) {
    DWORD size = GetFileVersionInfoSizeW(file, nullptr);
    std::string block(size, '\0');
    wchar_t* text = nullptr;
    UINT length = 0;
    if (size == 0 || !GetFileVersionInfoW(file, 0, size, block.data()) ||
        !VerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion",
                        reinterpret_cast<void**>(&text), &length) ||
        length == 0) {
        std::fputs("no product version\n", stderr);
        return 1;
    }
    printText(text);
    return 0;
}

// The agent's own window; its popups share class and title but are layered.
HWND findAgentWindow() {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, kAgentClass, kAgentTitle)) != nullptr) {
        if ((GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) == 0) {
            return window;
        }
    }
    return nullptr;
}

int agent(DWORD timeoutMs) {
    HWND window = nullptr;
    for (DWORD start = GetTickCount();
         (window = findAgentWindow()) == nullptr && GetTickCount() - start < timeoutMs;) {
        Sleep(100);
    }
    if (window == nullptr) {
        std::fputs("no agent window\n", stderr);
        return 1;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
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
    printText(image);
    return 0;
}

// Where a click has to go does not depend on whether Wine or a window
// manager draws the frame.
int clientOrigin(const wchar_t* cls, const wchar_t* title, DWORD timeoutMs) {
    HWND window = nullptr;
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
        window = FindWindowW(cls, title);
        if (window != nullptr && IsWindowVisible(window)) {
            break;
        }
        window = nullptr;
    }
    POINT origin = {};
    if (window == nullptr || !ClientToScreen(window, &origin)) {
        std::fputs("no such window\n", stderr);
        return 1;
    }
    std::printf("%ld %ld\n", origin.x, origin.y);
    return 0;
}

int postAgent(UINT message) {
    HWND window = findAgentWindow();
    if (window == nullptr || !PostMessageW(window, message, 0, 0)) {
        std::fputs("cannot post to the agent\n", stderr);
        return 1;
    }
    return 0;
}

int countProcesses(const wchar_t* name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return -1;
    }
    int count = 0;
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        count += _wcsicmp(entry.szExeFile, name) == 0 ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

int waitEnded(const wchar_t* name, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); countProcesses(name) != 0;) {
        if (GetTickCount() - start >= timeoutMs) {
            std::fputs("still running\n", stderr);
            return 1;
        }
        Sleep(100);
    }
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
    WNDCLASSEXW wcex = {sizeof(wcex)};
    wcex.lpfnWndProc = stubbornProcedure;
    wcex.hInstance = GetModuleHandleW(nullptr);
    wcex.lpszClassName = kAgentClass;
    if (RegisterClassExW(&wcex) == 0 ||
        CreateWindowExW(0, kAgentClass, kAgentTitle, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                        nullptr, wcex.hInstance, nullptr) == nullptr) {
        std::fputs("cannot make the window\n", stderr);
        return 1;
    }
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}

DWORD seconds(const wchar_t* text) {
    return static_cast<DWORD>(std::wcstoul(text, nullptr, 10)) * 1000;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        return usage();
    }
    std::wstring command = argv[1];
    if (command == L"reg" && argc == 3) {
        return keyPresence(argv[2]);
    }
    if (command == L"reg" && argc == 4) {
        return readValue(argv[2], argv[3]);
    }
    if (command == L"set" && argc == 5) {
        return writeDword(argv[2], argv[3], static_cast<DWORD>(std::wcstoul(argv[4], nullptr, 10)));
    }
    if (command == L"link" && argc == 3) {
        return linkTarget(argv[2]);
    }
    if (command == L"version" && argc == 3) {
        return productVersion(argv[2]);
    }
    if (command == L"agent" && argc == 3) {
        return agent(seconds(argv[2]));
    }
    if (command == L"client" && argc == 5) {
        return clientOrigin(argv[2], argv[3], seconds(argv[4]));
    }
    if (command == L"post-agent" && argc == 3) {
        return postAgent(static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10)));
    }
    if (command == L"processes" && argc == 3) {
        int count = countProcesses(argv[2]);
        std::printf("%d\n", count);
        return count < 0 ? 1 : 0;
    }
    if (command == L"wait-ended" && argc == 4) {
        return waitEnded(argv[2], seconds(argv[3]));
    }
    if (command == L"stubborn" && argc == 2) {
        return stubborn();
    }
    return usage();
}
