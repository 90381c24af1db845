#include "plan_switch_mark.h"

#include <windows.h>

namespace {

// A named mutex in the global namespace, which the agents of every Windows
// session see (the session's own namespace is the default). Creating one
// there needs no privilege, unlike a file mapping. Windows deletes it with
// its last handle, so an agent that crashed or was ended holds it no more.
constexpr wchar_t kMarkName[] = L"Global\\Quorvex PC-Vigilor power plan switch";

HANDLE mark = nullptr;

} // namespace

bool holdPlanSwitchMark() {
    if (mark != nullptr) {
        return true;
    }
    HANDLE created = CreateMutexW(nullptr, FALSE, kMarkName);
    // Another user's mark is not even opened (ERROR_ACCESS_DENIED): its
    // security comes from that user's token. Any failure leaves the plan
    // alone.
    if (created != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(created);
        created = nullptr;
    }
    mark = created;
    return mark != nullptr;
}

void releasePlanSwitchMark() {
    if (mark != nullptr) {
        CloseHandle(mark);
        mark = nullptr;
    }
}

bool planSwitchMarkedElsewhere() {
    if (mark != nullptr) {
        return false;
    }
    HANDLE existing = OpenMutexW(SYNCHRONIZE, FALSE, kMarkName);
    if (existing != nullptr) {
        CloseHandle(existing);
        return true;
    }
    // Anything but its absence counts as held: another user's mark, which
    // this one may not open, as much as the name taken by another kind of
    // object, under which no agent could mark a switch.
    return GetLastError() != ERROR_FILE_NOT_FOUND;
}
