#include "program_lookup.h"

#include <tlhelp32.h>

namespace {

DWORD const kProgramAccess = SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION;

// A process that has ended may still be open somewhere and so be opened
// again; a session lasting for it would be over at once.
bool stillRuns(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

std::wstring fileName(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring imageName(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!QueryFullProcessImageNameW(process, 0, path, &size)) {
        return {};
    }
    return fileName(std::wstring(path, size));
}

bool sameFileName(const wchar_t* a, const std::wstring& b) {
    return CompareStringOrdinal(a, -1, b.c_str(), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

DWORD currentSession() {
    DWORD session = 0;
    ProcessIdToSessionId(GetCurrentProcessId(), &session);
    return session;
}

} // namespace

HANDLE openProgramById(DWORD processId, std::wstring& name, DWORD& error) {
    error = ERROR_NOT_FOUND;
    if (processId == 0 || processId == GetCurrentProcessId()) {
        return nullptr;
    }
    HANDLE process = OpenProcess(kProgramAccess, FALSE, processId);
    if (process == nullptr) {
        // A process id that names no process is refused as a bad argument.
        DWORD reason = GetLastError();
        error = reason == ERROR_INVALID_PARAMETER ? ERROR_NOT_FOUND : reason;
        return nullptr;
    }
    if (!stillRuns(process)) {
        CloseHandle(process);
        return nullptr;
    }
    name = imageName(process);
    if (name.empty()) {
        wchar_t number[16] = {};
        wsprintfW(number, L"%lu", processId);
        name = number;
    }
    return process;
}

HANDLE openProgramByFile(const std::wstring& file, std::wstring& name, DWORD& error) {
    error = ERROR_NOT_FOUND;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    DWORD session = currentSession();
    HANDLE found = nullptr;
    PROCESSENTRY32W entry = {sizeof(entry)};
    for (BOOL more = Process32FirstW(snapshot, &entry); more && found == nullptr;
         more = Process32NextW(snapshot, &entry)) {
        DWORD processSession = 0;
        if (entry.th32ProcessID == GetCurrentProcessId() || !sameFileName(entry.szExeFile, file) ||
            !ProcessIdToSessionId(entry.th32ProcessID, &processSession) ||
            processSession != session) {
            continue;
        }
        HANDLE process = OpenProcess(kProgramAccess, FALSE, entry.th32ProcessID);
        if (process == nullptr) {
            // Another process of the program may still open.
            error = GetLastError();
        } else if (stillRuns(process)) {
            found = process;
            name = entry.szExeFile;
        } else {
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
    return found;
}
