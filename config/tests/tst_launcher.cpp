#include "testsupport.h"
#include "vigilorform.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

constexpr UINT start = WM_USER + 700, reload = WM_USER + 702;
const wchar_t testKey[] = L"Software\\Quorvex\\PC-Vigilor Tests";
// Where the counting stand-in for the agent's program is, as Windows sees it.
const QString standInFolder =
    QStringLiteral("Z:") + QString(VIGILOR_STANDIN_AGENT_DIR).replace('/', '\\');

DWORD agentStarts() {
    return readDword(testKey, L"agentStarts").value_or(0);
}

} // namespace

class TestLauncher : public QObject {
    Q_OBJECT

    std::unique_ptr<VigilorForm> form;

    QList<QTimer*> runningTimers() const {
        QList<QTimer*> running;
        for (QTimer* t : form->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
            if (t->isActive())
                running << t;
        return running;
    }

    void poll() { QVERIFY(QMetaObject::invokeMethod(form.get(), "handleWaitForTasbarApp")); }
    void clickStart() {
        QTest::mouseClick(form->findChild<QToolButton*>("startButton"), Qt::LeftButton);
    }
    bool running() const { return form->findChild<QToolButton*>("cancelButton")->isEnabled(); }

    // Start without an agent window, then wait for the stand-in program to
    // have been started by it.
    void startWithoutAgent() {
        setString(settingsKey, L"Path", standInFolder);
        clickStart();
        QTRY_COMPARE_WITH_TIMEOUT(agentStarts(), DWORD(1), 30000);
    }

  private slots:
    void init() {
        clearApplicationValues();
        RegDeleteTreeW(HKEY_CURRENT_USER, testKey);
        form = std::make_unique<VigilorForm>(nullptr);
    }

    void cleanup() {
        form.reset();
        clearApplicationValues();
        RegDeleteTreeW(HKEY_CURRENT_USER, testKey);
    }

    void agentRunningGetsStartAtOnce() {
        setString(settingsKey, L"Path", standInFolder);
        StandInAgent agent;
        DebugLog log;
        clickStart();
        const QString program = standInFolder + "\\VigilorTaskbar.exe";
        const QStringList launchLines =
            log.lines().mid(log.lines().indexOf("taskbarAppTitle: VigilorTaskbar"));
        QCOMPARE(launchLines,
                 QStringList({"taskbarAppTitle: VigilorTaskbar", "taskbarAppClass: VIGILORTASKBAR",
                              "appFullPath: " + program, "appFullPath: " + program}));
        QVERIFY(runningTimers().isEmpty());
        QTRY_COMPARE(agent.messages(), std::vector<UINT>({reload, start}));
        QTest::qWait(1000);
        QCOMPARE(agentStarts(), DWORD(0));
    }

    void agentWindowAppearsAtThirdPoll() {
        startWithoutAgent();
        QVERIFY(running());
        QCOMPARE(runningTimers().size(), 1);
        QTimer* timer = runningTimers().front();
        QCOMPARE(timer->interval(), 2000);
        QVERIFY(!timer->isSingleShot());

        DebugLog log;
        poll();
        poll();
        QCOMPARE(runningTimers().size(), 1);
        StandInAgent agent;
        poll();
        QCOMPARE(log.count("handleWaitForTasbarApp"), 3);
        QTRY_COMPARE(agent.messages(), std::vector<UINT>({start}));
        QVERIFY(runningTimers().isEmpty());
        QCOMPARE(agentStarts(), DWORD(1));
    }

    // The one check that the timer really drives the polls.
    void timerPollsUntilAgentWindowExists() {
        startWithoutAgent();
        StandInAgent agent;
        QTRY_COMPARE_WITH_TIMEOUT(agent.messages(), std::vector<UINT>({start}), 5000);
        QVERIFY(runningTimers().isEmpty());
    }

    void agentNeverAppearsShowsErrorOnceAndReturnsToIdle() {
        startWithoutAgent();
        for (int i = 0; i < 10; ++i)
            poll();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(runningTimers().size(), 1);

        QStringList shown;
        bool runningBehindBox = true;
        onNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            shown << box->windowTitle() << box->text();
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            QCOMPARE(box->parentWidget(), form.get());
            runningBehindBox = running();
            box->button(QMessageBox::Ok)->click();
        });
        poll();
        QCOMPARE(shown, QStringList({"Error", "The Vigilor module cannot start properly. please "
                                              "try again in a few minutes."}));
        QVERIFY(runningTimers().isEmpty());
        // No session runs, and the form says so (already behind the box).
        QVERIFY(!runningBehindBox);
        QVERIFY(!running());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
        QCOMPARE(agentStarts(), DWORD(1));
    }

    // The user's cancel is final: a late agent gets no start command.
    void cancelDuringWaitStopsIt() {
        startWithoutAgent();
        QTest::mouseClick(form->findChild<QToolButton*>("cancelButton"), Qt::LeftButton);
        QVERIFY(runningTimers().isEmpty());
        StandInAgent agent;
        QTest::qWait(2500);
        QVERIFY(agent.messages().empty());
        QVERIFY(!running());
    }

    void newLaunchStopsEarlierWait() {
        startWithoutAgent();
        // The agent reports no session: the form is Idle while the wait runs.
        form->setVigilorSessionDuration(0);
        StandInAgent agent;
        clickStart();
        QVERIFY(runningTimers().isEmpty());
        QTest::qWait(2500);
        const std::vector<UINT> received = agent.messages();
        QCOMPARE(std::count(received.begin(), received.end(), start), 1);
    }

    void secondWaitPollsAfresh() {
        startWithoutAgent();
        for (int i = 0; i < 9; ++i)
            poll();
        form->setVigilorSessionDuration(0);
        clickStart();
        QTRY_COMPARE_WITH_TIMEOUT(agentStarts(), DWORD(2), 30000);
        // Nine polls of the earlier wait must not count against this one.
        for (int i = 0; i < 10; ++i)
            poll();
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(runningTimers().size(), 1);
        QVERIFY(running());
    }

    void withoutPathLooksBesideTheApplication_data() {
        QTest::addColumn<bool>("emptyPath");
        QTest::newRow("missing") << false;
        QTest::newRow("empty") << true;
    }

    void withoutPathLooksBesideTheApplication() {
        QFETCH(bool, emptyPath);
        if (emptyPath)
            setString(settingsKey, L"Path", QString());
        StandInAgent agent;
        DebugLog log;
        clickStart();
        const QString expected =
            "appFullPath: " + QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) +
            "\\VigilorTaskbar.exe";
        QCOMPARE(log.count(expected), 2);
    }

    // The longest folder that leaves room for "\VigilorTaskbar.exe" within
    // MAX_PATH is used; a longer one, up to the registry's 32,767 characters,
    // counts as missing.
    void tooLongPathLooksBesideTheApplication_data() {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("used");
        const int fits = MAX_PATH - 1 - int(QStringLiteral("\\VigilorTaskbar.exe").size());
        QTest::newRow("longest that fits") << fits << true;
        QTest::newRow("one longer") << fits + 1 << false;
        QTest::newRow("260") << 260 << false;
        QTest::newRow("32767") << 32767 << false;
    }

    void tooLongPathLooksBesideTheApplication() {
        QFETCH(int, length);
        QFETCH(bool, used);
        const QString path = "Z:\\" + QString(length - 3, 'p');
        setString(settingsKey, L"Path", path);
        StandInAgent agent;
        DebugLog log;
        clickStart();
        const QString folder =
            used ? path : QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
        QCOMPARE(log.count("appFullPath: " + folder + "\\VigilorTaskbar.exe"), 2);
    }
};

QTEST_MAIN(TestLauncher)
#include "tst_launcher.moc"
