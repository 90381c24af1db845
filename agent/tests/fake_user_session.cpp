#include "fake_user_session.h"

namespace {

QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
bool notificationQueryFails = false;
bool remoteSession = false;

HRESULT WINAPI fakeSHQueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state) {
    if (state == nullptr || notificationQueryFails) {
        return E_FAIL;
    }
    *state = notificationState;
    return S_OK;
}

using GetSystemMetricsCall = int(WINAPI*)(int);

int WINAPI fakeGetSystemMetrics(int index) {
    static auto real = reinterpret_cast<GetSystemMetricsCall>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"user32.dll"), "GetSystemMetrics")));
    if (index == SM_REMOTESESSION) {
        return remoteSession ? 1 : 0;
    }
    return real(index);
}

} // namespace

namespace fake_user_session {

void setNotificationState(QUERY_USER_NOTIFICATION_STATE state, bool fails) {
    notificationState = state;
    notificationQueryFails = fails;
}

void setRemoteSession(bool remote) {
    remoteSession = remote;
}

void reset() {
    setNotificationState(QUNS_ACCEPTS_NOTIFICATIONS);
    remoteSession = false;
}

} // namespace fake_user_session

extern "C" {
void* __imp_SHQueryUserNotificationState =
    reinterpret_cast<void*>(&fakeSHQueryUserNotificationState);
void* __imp_GetSystemMetrics = reinterpret_cast<void*>(&fakeGetSystemMetrics);
}
