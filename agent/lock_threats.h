// What can lock the PC, or end a remote session, although a session keeps it
// awake: an organisation's inactivity limit, a screen saver that locks, a
// Remote Desktop idle limit, Dynamic Lock, and chat programs that set the
// user "Away". A display kept on (a display power request) keeps the screen
// saver from starting and the session from locking after inactivity; the
// rest no program on the PC can prevent. Windows tells nobody of any of them
// beforehand; the agent looks for them itself.
#pragma once

// Gathers a notice (notification.h) for each cause that holds now and that
// the session's options do not prevent: the inactivity limit and a locking
// screen saver where the display is not kept on, and the idle limit of a
// Remote Desktop session. Where the organisation does not allow the display
// kept on (`displayAllowed` false), they say so instead of advising it.
void noticeLockThreats(bool displayKeptOn, bool displayAllowed);

// Gathers what only the user's own check tells, because it either holds on
// nearly every PC or comes true only when the user walks away: Dynamic Lock,
// and, without the simulated key press, chat programs' "Away" (with what the
// organisation allows, as above).
void noticeRequestedLockThreats(bool keyPressOn, bool keyPressAllowed);
