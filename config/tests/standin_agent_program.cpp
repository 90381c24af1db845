// Stands in for the tray agent's program where a test must see whether, and
// how often, the configuration application starts it: each start adds one to
// a counter in the registry. It opens no window, so the test decides when
// "the agent's window" appears.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const wchar_t key[] = L"Software\\Quorvex\\PC-Vigilor Tests";
    DWORD starts = 0;
    DWORD size = sizeof(starts);
    RegGetValueW(HKEY_CURRENT_USER, key, L"agentStarts", RRF_RT_REG_DWORD, nullptr, &starts, &size);
    ++starts;
    HKEY k = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(k, L"agentStarts", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&starts),
                       sizeof(starts));
        RegCloseKey(k);
    }
    return 0;
}
