// Stands in for wtsapi32.dll in Setup's process: the Windows session then
// belongs to a user other than the one Setup runs as, as when an
// administrator's password was typed at the elevation prompt. Wine has one
// user only. Setup asks for nothing but the session's user and domain.
#include <windows.h>
#include <wtsapi32.h>

#include <cstring>
#include <cwchar>

namespace {

wchar_t const kSignedInUser[] = L"Signed-in user";

BOOL answer(const wchar_t* text, LPWSTR* buffer, DWORD* bytes) {
    size_t size = (std::wcslen(text) + 1) * sizeof(wchar_t);
    *buffer = static_cast<LPWSTR>(LocalAlloc(LMEM_FIXED, size));
    if (*buffer == nullptr) {
        return FALSE;
    }
    std::memcpy(*buffer, text, size);
    *bytes = static_cast<DWORD>(size);
    return TRUE;
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI
    WTSQuerySessionInformationW(HANDLE, DWORD, WTS_INFO_CLASS info, LPWSTR* buffer, DWORD* bytes) {
    if (info == WTSUserName) {
        return answer(kSignedInUser, buffer, bytes);
    }
    if (info == WTSDomainName) {
        // A local account's domain is the computer's name.
        wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
        DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
        return GetComputerNameW(computer, &length) && answer(computer, buffer, bytes);
    }
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
}

extern "C" __declspec(dllexport) void WINAPI WTSFreeMemory(PVOID memory) {
    LocalFree(memory);
}
