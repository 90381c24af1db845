#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include <windows.h>

#include "test_registry.h"

// Shared by the configuration application's Qt tests: real registry values,
// a window that stands in for the tray agent, and the application's debug
// output.

namespace TestSupport {

extern const wchar_t settingsKey[];
extern const wchar_t suiteKey[];
// Group Policy's values, under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER.
extern const wchar_t policyKey[];

using vigilor_test::deleteValue;
using vigilor_test::readDword;
using vigilor_test::writeDword;
using vigilor_test::writeValue;
void setString(const wchar_t* key, const wchar_t* name, const QString& value);
// Removes every value the configuration application reads or writes, so that
// each test starts from an empty store and leaves one behind.
void clearApplicationValues();

// Gives a key of the current user (created when missing) an empty DACL for
// the object's life: nobody may then open it for writing (or reading), which
// Wine enforces as Windows does. The key's own DACL comes back afterwards.
class LockedKey {
  public:
    explicit LockedKey(const wchar_t* key);
    ~LockedKey();
    LockedKey(const LockedKey&) = delete;
    LockedKey& operator=(const LockedKey&) = delete;
    bool locked() const { return isLocked; }

  private:
    HKEY handle = nullptr;
    std::vector<BYTE> previous;
    bool isLocked = false;
};

// Collects the lines the application writes to Qt's debug stream.
class DebugLog {
  public:
    explicit DebugLog(std::function<void(const QString&)> onLine = {}); // sees each line
    ~DebugLog();
    QStringList lines() const;
    void clear();
    int count(const QString& line) const;
};

struct PostedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool operator==(const PostedMessage& o) const {
        return message == o.message && wParam == o.wParam && lParam == o.lParam;
    }
};

// A hidden window with the tray agent's class and title that records the
// control messages it receives.
class StandInAgent {
  public:
    StandInAgent();
    ~StandInAgent();
    HWND handle() const { return hwnd; }
    // Control message numbers received so far (1724 to 1727).
    std::vector<UINT> messages() const;
    const std::vector<PostedMessage>& received() const;
    void clear();

  private:
    HWND hwnd = nullptr;
};

// Runs `action` on the next modal widget that opens (a message box, a
// dialog) while the caller is blocked in that widget's own event loop.
void onNextModal(std::function<void(QWidget*)> action);

// The real tray agent's window, if one runs.
HWND realAgentWindow();

// Ends every running tray agent, however it was started: first as its menu's
// Close would, then by force.
void endAgents();

// Takes a picture of the whole X screen the tests run on.
bool screenshot(const QString& fileName);

// How many pixels of `widget`'s inside (its edges left out), as the picture
// of the screen at `fileName` shows it, stand out from its background (its
// commonest colour): text drawn there shows as a few dozen, a field drawn
// without its text as none.
int inkPixels(const QString& fileName, const QWidget* widget);

} // namespace TestSupport
