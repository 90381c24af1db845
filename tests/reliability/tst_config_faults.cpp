// The configuration application's form when the real agent is killed under
// a running session: nothing tells the form, so it shows the session until
// it is shown again; then it finds no agent and goes Idle, and Start brings
// up a new agent that runs a new session.
#include "mainwindow.h"
#include "testsupport.h"

#include <QLabel>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

void killAgent() {
    DWORD pid = 0;
    GetWindowThreadProcessId(realAgentWindow(), &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    QVERIFY(process);
    QVERIFY(TerminateProcess(process, 1));
    QCOMPARE(WaitForSingleObject(process, 10000), DWORD(WAIT_OBJECT_0));
    CloseHandle(process);
}

} // namespace

class TestConfigFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    QToolButton* button(const char* name) const { return window->findChild<QToolButton*>(name); }
    bool running() const {
        return !button("startButton")->isEnabled() && button("cancelButton")->isEnabled();
    }
    bool idle() const {
        return button("startButton")->isEnabled() && !button("cancelButton")->isEnabled();
    }
    QString note() const { return window->findChild<QLabel*>("vigilorNoteLabel")->text(); }

  private slots:
    void init() {
        endAgents();
        clearApplicationValues();
        // Started by the launcher from this program's folder, where the
        // build puts the real agent beside PCVigilor.exe.
        writeDword(settingsKey, L"duration", 30);
    }

    void cleanup() {
        window.reset();
        endAgents();
        clearApplicationValues();
    }

    void agentKilledDuringSession() {
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(idle());

        QTest::mouseClick(button("startButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(realAgentWindow() != nullptr, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(note().startsWith("Vigilor session will be ended at "), 30000);
        QVERIFY(running());
        QCOMPARE(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(1));

        killAgent();
        QTest::qWait(500);
        QVERIFY2(running(), "the form cannot know yet");

        window->hide();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY2(idle(), "the form still shows the session of a killed agent");

        // A new Start brings up a new agent, which runs the new session.
        QTest::mouseClick(button("startButton"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(realAgentWindow() != nullptr, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(running() && !note().isEmpty(), 30000);
        QCOMPARE(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(1));
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(0),
                                  10000);
        QVERIFY(idle());
    }
};

QTEST_MAIN(TestConfigFaults)
#include "tst_config_faults.moc"
