#include "fake_powrprof.h"

#include <powrprof.h>

namespace {

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

} // namespace fake_power

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
