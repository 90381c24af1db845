#include "policy.h"

#include <algorithm>

namespace {

const wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Quorvex\\PC-Vigilor";

struct PolicyValue {
    const wchar_t* name;
    DWORD minimum;
    DWORD maximum;
};

PolicyValue const kDisabled = {L"Disabled", 0, 1};
PolicyValue const kMaxSessionHours = {L"MaxSessionHours", 1, 1000};
PolicyValue const kAllowDisplayOn = {L"AllowDisplayOn", 0, 1};
PolicyValue const kAllowKeyPress = {L"AllowKeyPress", 0, 1};
PolicyValue const kAllowShutdown = {L"AllowShutdown", 0, 1};
PolicyValue const kAllowPowerScheme = {L"AllowPowerScheme", 0, 1};

bool readInRange(HKEY root, const PolicyValue& policy, DWORD& value) {
    DWORD data = 0;
    DWORD size = sizeof(data);
    if (RegGetValueW(root, kPolicyKey, policy.name, RRF_RT_REG_DWORD, nullptr, &data, &size) !=
            ERROR_SUCCESS ||
        data < policy.minimum || data > policy.maximum) {
        return false;
    }
    value = data;
    return true;
}

// The machine's value where it is set, else the user's; `fallback` where
// neither is.
DWORD readPolicyValue(const PolicyValue& policy, DWORD fallback) {
    DWORD value = fallback;
    if (!readInRange(HKEY_LOCAL_MACHINE, policy, value)) {
        readInRange(HKEY_CURRENT_USER, policy, value);
    }
    return value;
}

} // namespace

SessionPolicy readSessionPolicy() {
    SessionPolicy policy;
    policy.disabled = readPolicyValue(kDisabled, 0) == 1;
    policy.maxSessionHours = readPolicyValue(kMaxSessionHours, 0);
    policy.allowDisplayOn = readPolicyValue(kAllowDisplayOn, 1) == 1;
    policy.allowKeyPress = readPolicyValue(kAllowKeyPress, 1) == 1;
    policy.allowShutdown = readPolicyValue(kAllowShutdown, 1) == 1;
    policy.allowPowerScheme = readPolicyValue(kAllowPowerScheme, 1) == 1;
    return policy;
}

void applySessionPolicy(const SessionPolicy& policy, SessionOptions& options) {
    if (!policy.allowDisplayOn) {
        options.monitorOn = 0;
    }
    if (!policy.allowKeyPress) {
        options.simulatePress = 0;
    }
    if (!policy.allowShutdown) {
        options.shutdownWindows = 0;
    }
    if (!policy.allowPowerScheme) {
        options.powerSchemeOn = 0;
    }
    if (policy.maxSessionHours == 0) {
        return;
    }
    // In the options' own unit, so that the session item still says hours
    // where the user chose hours.
    DWORD most = options.durationUnit != 0 ? policy.maxSessionHours : policy.maxSessionHours * 60;
    options.duration = std::min(options.duration, most);
}

uint64_t longestSessionMinutes(const SessionPolicy& policy) {
    return policy.maxSessionHours == 0 ? UINT64_MAX : uint64_t{policy.maxSessionHours} * 60;
}
