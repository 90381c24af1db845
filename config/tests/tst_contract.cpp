// Both programs declare what they share, each in a header of its own: this
// test holds the two side by side, so that a change on one side alone fails
// here rather than between the programs of a user.
#include "agentprotocol.h"
#include "mainwindow.h"

// The agent's side.
#include "contract.h"

#include <QtTest>

namespace {
QString fromWide(const wchar_t* text) {
    return QString::fromWCharArray(text);
}
} // namespace

class TestContract : public QObject {
    Q_OBJECT

  private slots:
    void messages() {
        QCOMPARE(Vigilor::WM_VIGILOR_START, WM_VIGILOR_START);
        QCOMPARE(Vigilor::WM_VIGILOR_CANCEL, WM_VIGILOR_CANCEL);
        QCOMPARE(Vigilor::WM_VIGILOR_RELOAD, WM_VIGILOR_RELOAD);
        QCOMPARE(Vigilor::WM_VIGILOR_QUERY, WM_VIGILOR_QUERY);
        QCOMPARE(Vigilor::WM_VIGILOR_STATE, WM_VIGILOR_STATE);
    }

    void agentWindow() {
        QCOMPARE(Vigilor::agentWindowClass, fromWide(kAgentWindowClass));
        QCOMPARE(Vigilor::agentWindowTitle, fromWide(kAgentWindowTitle));
    }

    // What the agent looks for is what the real main window is.
    void configurationWindow() {
        QCOMPARE(Vigilor::configWindowTitle, fromWide(kConfigWindowTitle));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const HWND handle = reinterpret_cast<HWND>(window.winId());
        wchar_t text[256] = {};
        GetClassNameW(handle, text, 256);
        QCOMPARE(fromWide(text), fromWide(VIGILOR_CONFIG_WINDOW_CLASS));
        GetWindowTextW(handle, text, 256);
        QCOMPARE(fromWide(text), fromWide(kConfigWindowTitle));
    }

    void settings() {
        QCOMPARE(Vigilor::settingsKey, fromWide(kSettingsKey));
        QCOMPARE(Vigilor::activeValue, fromWide(kActiveValue));
        QCOMPARE(Vigilor::pathValue, fromWide(kPathValue));
        QCOMPARE(QString::fromLatin1(Vigilor::hotkeyValue), fromWide(kHotkeyValue));
        QCOMPARE(Vigilor::hotkeyKeyMask, kHotkeyKeyMask);
        QCOMPARE(Vigilor::hotkeyModifierShift, kHotkeyModifierShift);
        QCOMPARE(std::size(Vigilor::optionValues), std::size(kOptionValues));
        for (size_t i = 0; i < std::size(kOptionValues); ++i) {
            QCOMPARE(QString::fromLatin1(Vigilor::optionValues[i].name),
                     fromWide(kOptionValues[i].name));
            QCOMPARE(Vigilor::optionValues[i].byDefault, kOptionValues[i].byDefault);
        }
    }
};

QTEST_MAIN(TestContract)
#include "tst_contract.moc"
