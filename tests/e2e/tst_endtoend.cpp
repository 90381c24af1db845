#include "mainwindow.h"
#include "peer_window.h"
#include "testsupport.h"

#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

constexpr UINT traySessionCommand = 316; // the agent's tray menu item

QString windowsPath(const char* unixPath) {
    return QStringLiteral("Z:") + QString(unixPath).replace('/', '\\');
}

const QString agentFolder = windowsPath(VIGILOR_AGENT_DIR);
const QString configProgram = windowsPath(VIGILOR_CONFIG_PROGRAM);

bool waitForAgentWindow(int ms = 30000) {
    QDeadlineTimer deadline(ms);
    while (!realAgentWindow() && !deadline.hasExpired())
        QTest::qWait(100);
    return realAgentWindow() != nullptr;
}

QString endText(int endMinute) {
    return QStringLiteral("Vigilor session will be ended at %1:%2")
        .arg(endMinute / 60, 2, 10, QLatin1Char('0'))
        .arg(endMinute % 60, 2, 10, QLatin1Char('0'));
}

int minuteOfDay(const SYSTEMTIME& t) {
    return t.wHour * 60 + t.wMinute;
}

SYSTEMTIME now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

QRect clientRect(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    POINT topLeft = {0, 0};
    ClientToScreen(window, &topLeft);
    return QRect(topLeft.x, topLeft.y, r.right - r.left, r.bottom - r.top);
}

HWND waitForConfigWindow() {
    QDeadlineTimer deadline(30000);
    HWND window = nullptr;
    while (!(window = FindWindowW(VIGILOR_CONFIG_WINDOW_CLASS, L"PC-Vigilor")) &&
           !deadline.hasExpired())
        QTest::qWait(100);
    return window;
}

QString versionString(const QString& file, const QString& name) {
    const auto* path = reinterpret_cast<const wchar_t*>(file.utf16());
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return {};
    QByteArray data(int(size), '\0');
    if (!GetFileVersionInfoW(path, 0, size, data.data()))
        return {};
    const QString key = "\\StringFileInfo\\040904b0\\" + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data.data(), reinterpret_cast<const wchar_t*>(key.utf16()), &value,
                        &length))
        return {};
    return QString::fromWCharArray(static_cast<const wchar_t*>(value));
}

} // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;
    QProcess agent;

    QString note() const { return window->findChild<QLabel*>("vigilorNoteLabel")->text(); }
    QToolButton* button(const char* name) const { return window->findChild<QToolButton*>(name); }
    bool formRunning() const { return button("cancelButton")->isEnabled(); }

    void startAgent() {
        agent.start(agentFolder + "\\VigilorTaskbar.exe", {});
        QVERIFY(agent.waitForStarted(30000));
        QVERIFY(waitForAgentWindow());
    }

    void openWindow() {
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    // Start on the form with a session length of `minutes`.
    void pressStart(int minutes) {
        window->findChild<QSpinBox*>("keepAwakeSpinBox")->setValue(minutes);
        QTest::mouseClick(button("startButton"), Qt::LeftButton);
    }

    // Whether the form shows the end of a session of `minutes` that the agent
    // started at some minute since `since` (a midnight in between aside).
    bool showsSessionOf(int minutes, const SYSTEMTIME& since) const {
        for (int m = minuteOfDay(since); m <= minuteOfDay(now()); ++m)
            if (note() == endText(m + minutes))
                return true;
        return false;
    }

  private slots:
    void init() {
        endAgents();
        clearApplicationValues();
    }

    void cleanup() {
        window.reset();
        endAgents();
        if (agent.state() != QProcess::NotRunning) {
            agent.kill();
            agent.waitForFinished(5000);
        }
        clearApplicationValues();
    }

    void programIdentity() {
        QCOMPARE(versionString(configProgram, "FileDescription"), QString("PC-Vigilor"));
        QCOMPARE(versionString(configProgram, "InternalName"), QString("PC-Vigilor"));
        QCOMPARE(versionString(configProgram, "OriginalFilename"), QString("PCVigilor.exe"));
        QCOMPARE(versionString(configProgram, "ProductName"), QString("PCVigilor"));
        QCOMPARE(versionString(configProgram, "FileVersion"), QString("1.0.0.0"));
        QCOMPARE(versionString(configProgram, "ProductVersion"), QString("1.0"));

        HMODULE program = LoadLibraryExW(reinterpret_cast<const wchar_t*>(configProgram.utf16()),
                                         nullptr, LOAD_LIBRARY_AS_DATAFILE);
        QVERIFY(program);
        // Qt makes this icon the default window icon.
        const bool icon = FindResourceW(program, L"IDI_ICON1", RT_GROUP_ICON) != nullptr;
        QByteArray manifest;
        if (HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), RT_MANIFEST))
            manifest =
                QByteArray(static_cast<const char*>(LockResource(LoadResource(program, found))),
                           int(SizeofResource(program, found)));
        FreeLibrary(program);
        QVERIFY(icon);
        QVERIFY(manifest.contains("level=\"asInvoker\" uiAccess=\"false\""));
        QVERIFY(manifest.contains("<description>Keep your PC awake and prevent app changes your "
                                  "status to away.</description>"));
    }

    // (a) Start and Cancel on the form while the agent runs.
    void startAndCancelWithAgentRunning() {
        startAgent();
        openWindow();
        const SYSTEMTIME since = now();
        pressStart(30);
        QTRY_VERIFY_WITH_TIMEOUT(showsSessionOf(30, since), 10000);
        QVERIFY(formRunning());
        QCOMPARE(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(1));
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(1));
        // The agent's notice is up for two seconds; the form repaints first.
        QTest::qWait(300);
        QVERIFY(screenshot(VIGILOR_SCREENSHOT_DIR "/session-started.png"));

        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(0),
                                  10000);
        QVERIFY(!formRunning());
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
        // The agent's report of the cancellation keeps the form Idle.
        QTest::qWait(1000);
        QVERIFY(!formRunning());
    }

    // (b) Start brings up an agent that does not run yet.
    void startStartsTheAgent() {
        setString(settingsKey, L"Path", agentFolder);
        QVERIFY(!realAgentWindow());
        openWindow();
        const SYSTEMTIME since = now();
        pressStart(45);
        QVERIFY(formRunning());
        QCOMPARE(note(), QString());
        QVERIFY(waitForAgentWindow());
        // The launcher polls every two seconds, then the agent answers; a
        // first start of a program under Wine can take much longer.
        QTRY_VERIFY_WITH_TIMEOUT(showsSessionOf(45, since), 40000);
        QCOMPARE(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(1));
        QTest::qWait(300);
        QVERIFY(screenshot(VIGILOR_SCREENSHOT_DIR "/main-window-running.png"));
    }

    // Without "Path" the application looks for the agent in its own folder,
    // where the build puts it as the installer does.
    void startFindsTheAgentBesideTheApplication() {
        QVERIFY(!realAgentWindow());
        openWindow();
        const SYSTEMTIME since = now();
        pressStart(20);
        QVERIFY(waitForAgentWindow());
        QTRY_VERIFY_WITH_TIMEOUT(showsSessionOf(20, since), 40000);
    }

    // (c) Sessions started and ended from the tray menu show on an open form,
    // and a form opened during a session learns of it.
    void traySessionsShowOnTheForm() {
        startAgent();
        SYSTEMTIME since = now();
        PostMessageW(realAgentWindow(), WM_COMMAND, traySessionCommand, 0);
        QTRY_COMPARE_WITH_TIMEOUT(readDword(settingsKey, L"VigilorActive"), std::optional<DWORD>(1),
                                  10000);
        openWindow();
        QTRY_VERIFY_WITH_TIMEOUT(formRunning(), 10000);
        QVERIFY(showsSessionOf(60, since));

        PostMessageW(realAgentWindow(), WM_COMMAND, traySessionCommand, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!formRunning(), 10000);
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));

        since = now();
        PostMessageW(realAgentWindow(), WM_COMMAND, traySessionCommand, 0);
        QTRY_VERIFY_WITH_TIMEOUT(formRunning(), 10000);
        QVERIFY(showsSessionOf(60, since));
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(1));
        PostMessageW(realAgentWindow(), WM_COMMAND, traySessionCommand, 0);
        QTRY_VERIFY_WITH_TIMEOUT(!formRunning(), 10000);
    }

    // (e) A tray session started while the failed-save box is open shows once it closes.
    void traySessionDuringTheFailedSaveBoxShows() {
        startAgent();
        openWindow();
        auto locked = std::make_unique<LockedKey>(settingsKey);
        const SYSTEMTIME since = now();
        bool stale = false;
        onNextModal([&](QWidget* box) {
            locked.reset();
            PostMessageW(realAgentWindow(), WM_COMMAND, traySessionCommand, 0);
            QTest::qWait(3000);
            stale = !formRunning(); // the agent's report went to the box
            box->close();
        });
        pressStart(45);
        QVERIFY(stale);
        QTRY_VERIFY_WITH_TIMEOUT(showsSessionOf(60, since), 10000);
    }

    // (d) The real program reopens where it was closed, in the window the
    // agent looks for.
    void programReopensWhereItWasClosed() {
        writeDword(settingsKey, L"posX", 150);
        writeDword(settingsKey, L"posY", 90);
        writeDword(settingsKey, L"width", 1010);
        writeDword(settingsKey, L"height", 560);

        QProcess program;
        program.start(configProgram, {});
        QVERIFY(program.waitForStarted(30000));
        HWND window = waitForConfigWindow();
        QVERIFY(window);
        QTest::qWait(1000);
        const QRect first = clientRect(window);
        QCOMPARE(first.size(), QSize(1010, 560));
        QVERIFY(screenshot(VIGILOR_SCREENSHOT_DIR "/main-window.png"));
        PostMessageW(window, WM_CLOSE, 0, 0);
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(readDword(settingsKey, L"posX"), std::optional<DWORD>(first.left()));
        QCOMPARE(readDword(settingsKey, L"posY"), std::optional<DWORD>(first.top()));
        QCOMPARE(readDword(settingsKey, L"width"), std::optional<DWORD>(first.width()));
        QCOMPARE(readDword(settingsKey, L"height"), std::optional<DWORD>(first.height()));

        program.start(configProgram, {});
        QVERIFY(program.waitForStarted(30000));
        window = waitForConfigWindow();
        QVERIFY(window);
        QTest::qWait(1000);
        const QRect second = clientRect(window);
        PostMessageW(window, WM_CLOSE, 0, 0);
        if (!program.waitForFinished(15000))
            program.kill();
        QCOMPARE(second, first);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
