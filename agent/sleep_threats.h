// What can let Windows put the PC to sleep although a session asks it not
// to: a policy or the power plan that makes Windows ignore such requests,
// an override that an administrator set for the agent, Modern Standby on
// battery, and a battery nearly empty. Windows does not report any of them to the program whose
// requests it ignores; the agent looks for them itself.
#pragma once

// Gathers a notice (notification.h) for each cause that holds now, for a
// session that keeps the display on or not; where the organisation does not
// allow the display kept on, no notice advises it.
void noticeSleepThreats(bool displayKeptOn, bool displayAllowed);

// A notice when closing the lid makes Windows sleep, hibernate or shut down
// on the power source of now. Only the user's own check tells it: nearly
// every laptop is set so, and it comes true only when the lid closes.
void noticeLidAction();

// Whether, on battery, the charge has reached the one at which Windows takes
// its battery action.
bool batteryActionDue();
