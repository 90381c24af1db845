#include "notification.h"

#include "tray_icon.h"

namespace {

// One bit per cause told in the running session.
unsigned toldCauses = 0;

unsigned causeBit(NoticeCause cause) {
    return 1u << static_cast<unsigned>(cause);
}

} // namespace

bool notifyOnce(NoticeCause cause, const std::wstring& text, NoticeLevel level) {
    if ((toldCauses & causeBit(cause)) != 0) {
        return false;
    }
    if (!showTrayNotification(text, level == NoticeLevel::Warning ? NIIF_WARNING : NIIF_INFO)) {
        return false;
    }
    toldCauses |= causeBit(cause);
    return true;
}

void forgetNotices() {
    toldCauses = 0;
}
