#include "mainwindow.h"
#include "testsupport.h"
#include "vigilorform.h"

#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

#include <climits>
#include <memory>

using namespace TestSupport;

namespace {

constexpr UINT state = WM_USER + 704;
constexpr qint64 missing = LLONG_MIN;

void store(const wchar_t* name, qint64 value) {
    if (value != missing)
        writeDword(settingsKey, name, DWORD(value));
}

int screenWidth() {
    return qFloor(GetSystemMetrics(SM_CXFULLSCREEN) / qApp->primaryScreen()->devicePixelRatio());
}

int screenHeight() {
    return qFloor(GetSystemMetrics(SM_CYFULLSCREEN) / qApp->primaryScreen()->devicePixelRatio());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> window;

    QString note() const { return window->findChild<QLabel*>("vigilorNoteLabel")->text(); }
    void post(UINT message, WPARAM wParam) {
        PostMessageW(reinterpret_cast<HWND>(window->winId()), message, wParam, 0);
    }

  private slots:
    void init() { clearApplicationValues(); }
    void cleanup() {
        window.reset();
        clearApplicationValues();
    }

    // Each row names the screen width it needs (0: any screen of at least
    // 1086 by 613); ctest runs this function on 1280, 1024 and 1920 pixel
    // wide screens.
    void geometry_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<qint64>("posX");
        QTest::addColumn<qint64>("posY");
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<QRect>("expected");
        const int w = screenWidth(), h = screenHeight();
        QTest::newRow("nothing stored")
            << 0 << missing << missing << missing << missing << QRect(100, 100, 986, 513);
        QTest::newRow("negative left and top") << 0 << qint64(-300) << qint64(-40) << qint64(1000)
                                               << qint64(600) << QRect(100, 100, 1000, 600);
        QTest::newRow("left beyond the screen")
            << 0 << qint64(w + 1) << qint64(10) << missing << missing << QRect(100, 10, 986, 513);
        QTest::newRow("narrow width keeps left")
            << 0 << qint64(w - 200) << qint64(10) << qint64(500) << missing
            << QRect(w - 200, 10, 986, 513);
        QTest::newRow("width past right edge moves left")
            << 0 << qint64(200) << qint64(10) << qint64(w - 100) << missing
            << QRect(100, 10, w - 100, 513);
        QTest::newRow("width wider than screen keeps left")
            << 0 << qint64(200) << qint64(10) << qint64(w + 500) << missing
            << QRect(200, 10, w, 513);
        QTest::newRow("short height keeps top") << 0 << qint64(10) << qint64(h - 100) << missing
                                                << qint64(100) << QRect(10, h - 100, 986, 513);
        QTest::newRow("height past bottom moves up")
            << 0 << qint64(10) << qint64(200) << missing << qint64(h - 100)
            << QRect(10, 100, 986, h - 100);
        QTest::newRow("beyond right and bottom")
            << 0 << qint64(w - 200) << qint64(h - 100) << qint64(1000) << qint64(560)
            << QRect(w - 1000, h - 560, 1000, 560);
        QTest::newRow("taller than screen keeps top")
            << 0 << qint64(10) << qint64(50) << missing << qint64(h + 300) << QRect(10, 50, 986, h);
        QTest::newRow("1024 screen, nothing stored")
            << 1024 << missing << missing << missing << missing << QRect(38, 100, 986, 513);
        QTest::newRow("1920 screen, 1200 wide at 900")
            << 1920 << qint64(900) << qint64(100) << qint64(1200) << missing
            << QRect(720, 100, 1200, 513);
    }

    void geometry() {
        QFETCH(int, screen);
        QFETCH(qint64, posX);
        QFETCH(qint64, posY);
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        QFETCH(QRect, expected);
        if (screen == 0 && (screenWidth() < 1086 || screenHeight() < 613))
            QSKIP("needs a screen of at least 1086 by 613");
        if (screen != 0 && screen != screenWidth())
            QSKIP("needs another screen width");
        store(L"posX", posX);
        store(L"posY", posY);
        store(L"width", width);
        store(L"height", height);
        window = std::make_unique<MainWindow>();
        QCOMPARE(window->geometry(), expected);
    }

    void designerObjectsAndTitle() {
        window = std::make_unique<MainWindow>();
        QCOMPARE(window->objectName(), QString("MainWindow"));
        QCOMPARE(window->windowTitle(), QString("PC-Vigilor"));
        QVERIFY(window->findChild<QWidget*>("centralwidget"));
        QCOMPARE(window->centralWidget()->objectName(), QString("centralwidget"));
        QCOMPARE(window->menuBar()->objectName(), QString("menubar"));
        QCOMPARE(window->statusBar()->objectName(), QString("statusbar"));
        auto* form = window->findChild<VigilorForm*>();
        QVERIFY(form);
        QVERIFY(window->centralWidget()->isAncestorOf(form));
    }

    void closingSavesGeometryAndReopensThere() {
        store(L"posX", 210);
        store(L"posY", 120);
        store(L"width", 1010);
        store(L"height", 560);
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->resize(1020, 570);
        QTRY_COMPARE(window->geometry().size(), QSize(1020, 570));
        const QRect shown = window->geometry();
        DebugLog log;
        QVERIFY(window->close());
        QCOMPARE(log.lines(), QStringList({"true", "true", "true", "true"}));
        QCOMPARE(readDword(settingsKey, L"posX"), std::optional<DWORD>(shown.left()));
        QCOMPARE(readDword(settingsKey, L"posY"), std::optional<DWORD>(shown.top()));
        QCOMPARE(readDword(settingsKey, L"width"), std::optional<DWORD>(shown.width()));
        QCOMPARE(readDword(settingsKey, L"height"), std::optional<DWORD>(shown.height()));

        window = std::make_unique<MainWindow>();
        QCOMPARE(window->geometry(), shown);
    }

    void agentStateReachesTheForm() {
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        auto* start = window->findChild<QToolButton*>("startButton");

        post(state, 545);
        QTRY_COMPARE(note(), QString("Vigilor session will be ended at 09:05"));
        QVERIFY(!start->isEnabled());

        // Only the low 32 bits count.
        post(state, (WPARAM(1) << 32) | 600);
        QTRY_COMPARE(note(), QString("Vigilor session will be ended at 10:00"));

        // Other messages leave the form alone.
        post(WM_USER + 703, 545);
        post(WM_USER + 705, 545);
        QTest::qWait(300);
        QCOMPARE(note(), QString("Vigilor session will be ended at 10:00"));

        post(state, 0xffffffffu); // -1: no session
        QTRY_VERIFY(start->isEnabled());
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
    }

    void agentStateWithoutFormChangesNothing() {
        window = std::make_unique<MainWindow>();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        delete window->findChild<VigilorForm*>();
        post(state, 545);
        QTest::qWait(300);
        QVERIFY(window->isVisible());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::nullopt);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
