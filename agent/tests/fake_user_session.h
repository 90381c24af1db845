// Stands in at link time for what Windows says of the user's session, which
// Wine cannot be made to say: whether the user could see a notification now
// (SHQueryUserNotificationState; Wine always says so) and whether the
// session is a Remote Desktop one (SM_REMOTESESSION; never under Wine).
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace fake_user_session {

// What SHQueryUserNotificationState answers; a failure when `fails`.
void setNotificationState(QUERY_USER_NOTIFICATION_STATE state, bool fails = false);

// Whether GetSystemMetrics(SM_REMOTESESSION) says so; every other metric is
// the real one.
void setRemoteSession(bool remote);

// The user accepts notifications at the PC's own console.
void reset();

} // namespace fake_user_session
