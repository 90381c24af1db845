// The mark of a power plan switch that a session holds. The plan and the
// power modes are the machine's, shared by every Windows session on it (fast
// user switching, Remote Desktop): an agent must not switch them while an
// agent of another session holds them switched, or each would put back what
// the other chose.
#pragma once

// Takes the mark unless an agent elsewhere holds it; true when this agent
// holds it, now or since an earlier call.
bool holdPlanSwitchMark();

// Gives the mark up, if this agent holds it.
void releasePlanSwitchMark();

// Whether an agent other than this one holds the mark.
bool planSwitchMarkedElsewhere();
