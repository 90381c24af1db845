#include "power_request.h"

#include <windows.h>

namespace {

HANDLE powerRequest = nullptr;
bool systemRequired = false;
bool displayRequired = false;

} // namespace

void holdPowerRequest(const std::wstring& reason, bool display) {
    releasePowerRequest();
    REASON_CONTEXT context = {POWER_REQUEST_CONTEXT_VERSION, POWER_REQUEST_CONTEXT_SIMPLE_STRING};
    // The call copies the text; it is not kept.
    std::wstring text = reason;
    context.Reason.SimpleReasonString = text.data();
    HANDLE request = PowerCreateRequest(&context);
    if (request == INVALID_HANDLE_VALUE || request == nullptr) {
        return;
    }
    powerRequest = request;
    systemRequired = PowerSetRequest(request, PowerRequestSystemRequired) != FALSE;
    displayRequired = display && PowerSetRequest(request, PowerRequestDisplayRequired) != FALSE;
}

void releasePowerRequest() {
    if (powerRequest == nullptr) {
        return;
    }
    if (systemRequired) {
        PowerClearRequest(powerRequest, PowerRequestSystemRequired);
    }
    if (displayRequired) {
        PowerClearRequest(powerRequest, PowerRequestDisplayRequired);
    }
    CloseHandle(powerRequest);
    powerRequest = nullptr;
    systemRequired = false;
    displayRequired = false;
}
