#include "fake_powrprof.h"

#include <powrprof.h>

namespace {

std::vector<fake_power::PowerRequest> madeRequests;
bool createFails = false;
bool setFails = false;

// Request handles are numbers no real handle has; each stands for its index.
uintptr_t const kFirstRequest = 0x7e570000;

fake_power::PowerRequest* requestOf(HANDLE handle) {
    auto value = reinterpret_cast<uintptr_t>(handle);
    if (value < kFirstRequest || value - kFirstRequest >= madeRequests.size()) {
        return nullptr;
    }
    return &madeRequests[value - kFirstRequest];
}

HANDLE WINAPI fakePowerCreateRequest(PREASON_CONTEXT context) {
    if (createFails || context == nullptr) {
        return INVALID_HANDLE_VALUE;
    }
    fake_power::PowerRequest request;
    request.version = context->Version;
    request.flags = context->Flags;
    if (context->Flags == POWER_REQUEST_CONTEXT_SIMPLE_STRING &&
        context->Reason.SimpleReasonString != nullptr) {
        request.reason = context->Reason.SimpleReasonString;
    }
    madeRequests.push_back(request);
    return reinterpret_cast<HANDLE>(kFirstRequest + madeRequests.size() - 1);
}

BOOL WINAPI fakePowerSetRequest(HANDLE handle, POWER_REQUEST_TYPE type) {
    fake_power::PowerRequest* request = requestOf(handle);
    if (request == nullptr || request->closed || setFails) {
        return FALSE;
    }
    (type == PowerRequestDisplayRequired ? request->displaySet : request->systemSet) = true;
    return TRUE;
}

BOOL WINAPI fakePowerClearRequest(HANDLE handle, POWER_REQUEST_TYPE type) {
    fake_power::PowerRequest* request = requestOf(handle);
    if (request == nullptr || request->closed) {
        return FALSE;
    }
    ++(type == PowerRequestDisplayRequired ? request->displayClears : request->systemClears);
    return TRUE;
}

// Every other handle of the program goes to the real call.
BOOL WINAPI fakeCloseHandle(HANDLE handle) {
    if (fake_power::PowerRequest* request = requestOf(handle)) {
        bool wasOpen = !request->closed;
        request->closed = true;
        return wasOpen;
    }
    static auto real = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CloseHandle")));
    return real(handle);
}

GUID activeScheme = fake_power::kBalanced;
bool readFails = false;
int activationCount = 0;

} // namespace

namespace fake_power {

void reset(const GUID& active) {
    activeScheme = active;
    readFails = false;
    activationCount = 0;
}

void setReadFails(bool fails) {
    readFails = fails;
}

GUID active() {
    return activeScheme;
}

int activations() {
    return activationCount;
}

void resetRequests(bool failCreate, bool failSet) {
    madeRequests.clear();
    createFails = failCreate;
    setFails = failSet;
}

const std::vector<PowerRequest>& requests() {
    return madeRequests;
}

int openRequests() {
    int open = 0;
    for (const PowerRequest& request : madeRequests) {
        open += request.closed ? 0 : 1;
    }
    return open;
}

} // namespace fake_power

extern "C" {
void* __imp_PowerCreateRequest = reinterpret_cast<void*>(&fakePowerCreateRequest);
void* __imp_PowerSetRequest = reinterpret_cast<void*>(&fakePowerSetRequest);
void* __imp_PowerClearRequest = reinterpret_cast<void*>(&fakePowerClearRequest);
void* __imp_CloseHandle = reinterpret_cast<void*>(&fakeCloseHandle);
}

extern "C" DWORD WINAPI PowerGetActiveScheme(HKEY, GUID** scheme) {
    if (readFails) {
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
    // The caller frees the GUID with LocalFree, as with the real call.
    auto* copy = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
    if (copy == nullptr) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *copy = activeScheme;
    *scheme = copy;
    return ERROR_SUCCESS;
}

extern "C" DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID* scheme) {
    if (scheme == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    activeScheme = *scheme;
    ++activationCount;
    return ERROR_SUCCESS;
}

// A PC that does not say how it is powered: nothing threatens a session.
extern "C" LONG WINAPI CallNtPowerInformation(POWER_INFORMATION_LEVEL, PVOID, ULONG, PVOID, ULONG) {
    return static_cast<LONG>(0xC0000002); // STATUS_NOT_IMPLEMENTED
}
