#include "notification.h"

#include "tray_icon.h"

#include <shellapi.h>

#include <utility>
#include <vector>

namespace {

// One bit per cause told in the running session.
unsigned toldCauses = 0;

struct Notice {
    NoticeCause cause;
    std::wstring text;
    NoticeLevel level;
};

std::vector<Notice> gatheredNotices;

// Notices gathered while the tray icon was not in place, the latest of each
// cause. A new taskbar may take hours to come; sleeps told each time are
// kept to the latest few.
std::vector<Notice> waitingNotices;
size_t const kMostWaitingNotices = 16;

// What the session was told, kept aside while the user's own check runs.
unsigned sessionToldCauses = 0;

// A notification's text is NOTIFYICONDATAW's szInfo: 256 characters with the
// terminator. Texts joined beyond that would be cut off mid-sentence.
size_t const kNotificationTextLength = 255;
wchar_t const kNoticeSeparator[] = L"\n";
size_t const kSeparatorLength = ARRAYSIZE(kNoticeSeparator) - 1;

constexpr unsigned causeBit(NoticeCause cause) {
    return 1u << static_cast<unsigned>(cause);
}

// A sleep is not a standing cause but something that happened: each one
// in a session is told. So is each shortcut found taken, session or not.
unsigned const kToldEachTime =
    causeBit(NoticeCause::SleptAnyway) | causeBit(NoticeCause::HotkeyTaken);

bool told(NoticeCause cause) {
    return (toldCauses & causeBit(cause)) != 0;
}

// Whether a notification shown now reaches the user. Quiet time (the first
// hour after a first sign-in) holds back only notifications that ask for it
// with NIIF_RESPECT_QUIET_TIME, which the agent's do not.
bool userSeesNotifications() {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_NOT_PRESENT;
    return SUCCEEDED(SHQueryUserNotificationState(&state)) &&
           (state == QUNS_ACCEPTS_NOTIFICATIONS || state == QUNS_QUIET_TIME);
}

// A later look's text of a cause replaces the one that waits.
void keepWaiting(const Notice& notice) {
    for (Notice& waiting : waitingNotices) {
        if (waiting.cause == notice.cause && (causeBit(notice.cause) & kToldEachTime) == 0) {
            waiting = notice;
            return;
        }
    }
    if (waitingNotices.size() == kMostWaitingNotices) {
        waitingNotices.erase(waitingNotices.begin());
    }
    waitingNotices.push_back(notice);
}

// Shows notices [first, last) as one notification, a warning when any of
// them is one; they are told once the notification area took it where the
// user could see it.
void showTogether(const std::vector<Notice>& notices, size_t first, size_t last) {
    std::wstring text;
    bool warning = false;
    unsigned causes = 0;
    for (size_t i = first; i < last; ++i) {
        text += (i == first ? L"" : kNoticeSeparator) + notices[i].text;
        warning = warning || notices[i].level == NoticeLevel::Warning;
        causes |= causeBit(notices[i].cause);
    }
    if (!showTrayNotification(text, warning ? NIIF_WARNING : NIIF_INFO)) {
        // The taskbar went away with the icon (Explorer ended): what happened
        // once would be lost; it all waits for the next taskbar.
        for (size_t i = first; i < last; ++i) {
            keepWaiting(notices[i]);
        }
        return;
    }
    if (userSeesNotifications()) {
        toldCauses |= causes & ~kToldEachTime;
    }
}

} // namespace

void notifyOnce(NoticeCause cause, const std::wstring& text, NoticeLevel level) {
    addNotice(cause, text, level);
    tellNotices();
}

void addNotice(NoticeCause cause, const std::wstring& text, NoticeLevel level) {
    if (told(cause)) {
        return;
    }
    for (const Notice& notice : gatheredNotices) {
        if (notice.cause == cause) {
            return;
        }
    }
    gatheredNotices.push_back({cause, text, level});
}

void tellNotices() {
    std::vector<Notice> notices;
    notices.swap(gatheredNotices);
    if (!trayIconInPlace()) {
        for (const Notice& notice : notices) {
            keepWaiting(notice);
        }
        return;
    }
    size_t first = 0;
    while (first < notices.size()) {
        size_t length = notices[first].text.size();
        size_t last = first + 1;
        while (last < notices.size() &&
               length + kSeparatorLength + notices[last].text.size() <= kNotificationTextLength) {
            length += kSeparatorLength + notices[last].text.size();
            ++last;
        }
        showTogether(notices, first, last);
        first = last;
    }
}

void tellWaitingNotices() {
    if (waitingNotices.empty() || !trayIconInPlace()) {
        return;
    }
    std::vector<Notice> waiting;
    waiting.swap(waitingNotices);
    gatheredNotices.insert(gatheredNotices.begin(), waiting.begin(), waiting.end());
    tellNotices();
}

void beginRequestedNotices() {
    sessionToldCauses = toldCauses;
    toldCauses = 0;
}

void tellRequestedNotices(const std::wstring& nothingFound) {
    if (gatheredNotices.empty()) {
        addNotice(NoticeCause::NothingFound, nothingFound, NoticeLevel::Info);
    }
    tellNotices();
    toldCauses = sessionToldCauses;
}

std::vector<std::wstring> takeRequestedNotices() {
    std::vector<std::wstring> texts;
    for (Notice& notice : gatheredNotices) {
        texts.push_back(std::move(notice.text));
    }
    gatheredNotices.clear();
    toldCauses = sessionToldCauses;
    return texts;
}

void forgetNotices() {
    toldCauses = 0;
    gatheredNotices.clear();
}
