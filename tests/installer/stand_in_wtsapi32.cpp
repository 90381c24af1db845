// Stands in for wtsapi32.dll in Setup's process: the Windows session then
// belongs to another user than the one Setup runs as, as when an
// administrator's password was typed at the elevation prompt. Wine has one
// user only. Setup asks for the session's user and domain, nothing else.
#include <windows.h>
#include <wtsapi32.h>

#include <cstring>
#include <cwchar>

extern "C" __declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationW(HANDLE, DWORD, WTS_INFO_CLASS info, LPWSTR* buffer, DWORD* bytes) {
    const wchar_t* text = info == WTSUserName     ? L"Signed-in user"
                          : info == WTSDomainName ? L"SESSION-DOMAIN"
                                                  : nullptr;
    size_t size = text == nullptr ? 0 : (std::wcslen(text) + 1) * sizeof(wchar_t);
    *buffer = size == 0 ? nullptr : static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, size));
    if (*buffer == nullptr) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    std::memcpy(*buffer, text, size);
    *bytes = static_cast<DWORD>(size);
    return TRUE;
}

extern "C" __declspec(dllexport) void WINAPI WTSFreeMemory(PVOID memory) {
    LocalFree(memory);
}
