// Stands in at link time for what Windows says of the user's session, which
// Wine cannot be made to say: whether the user could see a notification now
// (SHQueryUserNotificationState; Wine always says so).
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace fake_user_session {

// What SHQueryUserNotificationState answers; a failure when `fails`.
void setNotificationState(QUERY_USER_NOTIFICATION_STATE state, bool fails = false);

// The user accepts notifications.
void reset();

} // namespace fake_user_session
