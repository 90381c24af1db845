#include "fake_user_session.h"

namespace {

QUERY_USER_NOTIFICATION_STATE notificationState = QUNS_ACCEPTS_NOTIFICATIONS;
bool notificationQueryFails = false;

HRESULT WINAPI fakeSHQueryUserNotificationState(QUERY_USER_NOTIFICATION_STATE* state) {
    if (state == nullptr || notificationQueryFails) {
        return E_FAIL;
    }
    *state = notificationState;
    return S_OK;
}

} // namespace

namespace fake_user_session {

void setNotificationState(QUERY_USER_NOTIFICATION_STATE state, bool fails) {
    notificationState = state;
    notificationQueryFails = fails;
}

void reset() {
    setNotificationState(QUNS_ACCEPTS_NOTIFICATIONS);
}

} // namespace fake_user_session

extern "C" {
void* __imp_SHQueryUserNotificationState =
    reinterpret_cast<void*>(&fakeSHQueryUserNotificationState);
}
