// Plays PCVigilor.exe for the agent's tests: leaves "started.txt" in its own
// folder, holding the folder it was started in, and exits.
#include <windows.h>

#include <string>

int APIENTRY wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring marker = path;
    marker = marker.substr(0, marker.find_last_of(L'\\')) + L"\\started.txt";

    wchar_t current[MAX_PATH] = {};
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(file, current, length * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
    return 0;
}
