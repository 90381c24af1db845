#include "sessionpolicy.h"

#include "registryaccess.h"

#include <windows.h>

namespace {

const QString policyKey = QStringLiteral("SOFTWARE\\Policies\\Quorvex\\PC-Vigilor");

struct PolicyValue {
    const char* name;
    DWORD minimum;
    DWORD maximum;
};

constexpr PolicyValue disabledValue = {"Disabled", 0, 1};
constexpr PolicyValue maxSessionHoursValue = {"MaxSessionHours", 1, 1000};
constexpr PolicyValue allowDisplayOnValue = {"AllowDisplayOn", 0, 1};
constexpr PolicyValue allowKeyPressValue = {"AllowKeyPress", 0, 1};
constexpr PolicyValue allowShutdownValue = {"AllowShutdown", 0, 1};
constexpr PolicyValue allowPowerSchemeValue = {"AllowPowerScheme", 0, 1};

bool readInRange(HKEY root, const PolicyValue& policy, DWORD* value) {
    DWORD data = 0;
    if (!RegistryAccess().readDword(root, policyKey, QString::fromLatin1(policy.name), &data) ||
        data < policy.minimum || data > policy.maximum)
        return false;
    *value = data;
    return true;
}

DWORD readValue(const PolicyValue& policy, DWORD fallback) {
    DWORD value = fallback;
    if (!readInRange(HKEY_LOCAL_MACHINE, policy, &value))
        readInRange(HKEY_CURRENT_USER, policy, &value);
    return value;
}

} // namespace

SessionPolicy SessionPolicy::read() {
    SessionPolicy policy;
    policy.disabled = readValue(disabledValue, 0) == 1;
    policy.maxSessionHours = int(readValue(maxSessionHoursValue, 0));
    policy.allowDisplayOn = readValue(allowDisplayOnValue, 1) == 1;
    policy.allowKeyPress = readValue(allowKeyPressValue, 1) == 1;
    policy.allowShutdown = readValue(allowShutdownValue, 1) == 1;
    policy.allowPowerScheme = readValue(allowPowerSchemeValue, 1) == 1;
    return policy;
}
