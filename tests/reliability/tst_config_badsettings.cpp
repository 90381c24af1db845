// The configuration application over stored settings that only another tool
// could write: the form shows what it can use and saves only values of its
// own ranges; the launcher names the agent's program from any "Path"; the
// main window lands on the screen from any stored geometry; and the real
// PCVigilor.exe starts and closes over all of it at once.
#include "mainwindow.h"
#include "testsupport.h"
#include "vigilorform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <memory>

using namespace TestSupport;

namespace {

const wchar_t standInKey[] = L"Software\\Quorvex\\PC-Vigilor Tests";

// A path as CMake writes it, in the form Windows programs take; Wine shows
// the Linux root as drive Z:.
QString windowsPath(const QString& unixPath) {
    return QStringLiteral("Z:") + QString(unixPath).replace('/', '\\');
}

const wchar_t* wide(const QString& text) {
    return reinterpret_cast<const wchar_t*>(text.utf16());
}

// A stored value in one of the shapes another tool could leave.
enum class Shape { Missing, Text, Qword, ShortBinary, Dword };

void storeShaped(const wchar_t* name, Shape shape, DWORD value) {
    deleteValue(settingsKey, name);
    switch (shape) {
    case Shape::Missing:
        break;
    case Shape::Text:
        setString(settingsKey, name, QString::number(value));
        break;
    case Shape::Qword: {
        quint64 wideValue = value;
        writeValue(settingsKey, name, REG_QWORD, &wideValue, sizeof(wideValue));
        break;
    }
    case Shape::ShortBinary: {
        const BYTE bytes[2] = {BYTE(value), BYTE(value >> 8)};
        writeValue(settingsKey, name, REG_BINARY, bytes, sizeof(bytes));
        break;
    }
    case Shape::Dword:
        writeDword(settingsKey, name, value);
        break;
    }
}

struct Option {
    const char* name;
    DWORD fallback;
    // What the form makes of a value it could read.
    DWORD (*normalise)(DWORD);
};

DWORD durationShown(DWORD v) {
    return std::clamp<DWORD>(v, 1, 1000);
}
DWORD unitShown(DWORD v) {
    return v < 2 ? v : 0;
}
DWORD switchShown(DWORD v) {
    return v == 1 ? 1 : 0;
}
DWORD schemeShown(DWORD v) {
    return v < 3 ? v : 1;
}
DWORD intervalShown(DWORD v) {
    return std::clamp<DWORD>(v, 1, 10);
}

const Option options[] = {
    {"duration", 60, durationShown},
    {"durationUnit", 0, unitShown},
    {"monitorOn", 1, switchShown},
    {"powerSchemeOn", 0, switchShown},
    {"powerSchemeIndex", 1, schemeShown},
    {"simulatePress", 0, switchShown},
    {"simulatePressTimeOut", 1, intervalShown},
    {"shutdownWindows", 0, switchShown},
};

// The value a widget of the form shows for an option.
DWORD shown(VigilorForm* form, const QString& name) {
    auto spin = [form](const char* object) {
        return DWORD(form->findChild<QSpinBox*>(object)->value());
    };
    auto combo = [form](const char* object) {
        return DWORD(form->findChild<QComboBox*>(object)->currentIndex());
    };
    auto check = [form](const char* object) {
        return form->findChild<QCheckBox*>(object)->isChecked() ? DWORD(1) : DWORD(0);
    };
    if (name == "duration")
        return spin("keepAwakeSpinBox");
    if (name == "durationUnit")
        return combo("keepAwakeComboBox");
    if (name == "monitorOn")
        return check("monitorOnCheckBox");
    if (name == "powerSchemeOn")
        return check("powerSchemeCheckBox");
    if (name == "powerSchemeIndex")
        return combo("powerSchemeComboBox");
    if (name == "simulatePress")
        return check("simulatePressCheckBox");
    if (name == "simulatePressTimeOut")
        return spin("simulatePressSpinBox");
    return check("shutdownCheckBox");
}

HWND findMainWindow(DWORD processId) {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, nullptr, L"PC-Vigilor")) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId)
            return window;
    }
    return nullptr;
}

} // namespace

class TestConfigBadSettings : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        clearApplicationValues();
        RegDeleteTreeW(HKEY_CURRENT_USER, standInKey);
    }
    void cleanup() {
        clearApplicationValues();
        RegDeleteTreeW(HKEY_CURRENT_USER, standInKey);
    }

    // Every option in every shape and at every awkward number: the form
    // shows the stored value where it can, the default where it cannot
    // read it, and saves what it shows.
    void optionsInEveryShape_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<int>("shape");
        QTest::addColumn<DWORD>("value");
        const std::pair<const char*, DWORD> numbers[] = {{"0", 0},
                                                         {"1", 1},
                                                         {"2", 2},
                                                         {"1000", 1000},
                                                         {"1001", 1001},
                                                         {"5000", 5000},
                                                         {"0xFFFFFFFF", 0xFFFFFFFFu}};
        for (int i = 0; i < int(std::size(options)); ++i) {
            const char* name = options[i].name;
            QTest::addRow("%s missing", name) << i << int(Shape::Missing) << DWORD(0);
            QTest::addRow("%s text", name) << i << int(Shape::Text) << DWORD(5);
            QTest::addRow("%s QWORD", name) << i << int(Shape::Qword) << DWORD(5);
            QTest::addRow("%s 2-byte binary", name) << i << int(Shape::ShortBinary) << DWORD(5);
            for (const auto& [label, number] : numbers)
                QTest::addRow("%s %s", name, label) << i << int(Shape::Dword) << number;
        }
    }

    void optionsInEveryShape() {
        QFETCH(int, option);
        QFETCH(int, shape);
        QFETCH(DWORD, value);
        const Option& o = options[option];
        const QString name = QString::fromLatin1(o.name);
        storeShaped(wide(name), Shape(shape), value);
        const DWORD expected = o.normalise(Shape(shape) == Shape::Dword ? value : o.fallback);

        VigilorForm form(nullptr);
        QCOMPARE(shown(&form, name), expected);
        QVERIFY(QMetaObject::invokeMethod(&form, "on_saveButton_clicked"));
        QCOMPARE(readDword(settingsKey, wide(name)), std::optional<DWORD>(expected));
        // The other seven are written too, each at its default.
        for (const Option& other : options)
            if (&other != &o)
                QCOMPARE(readDword(settingsKey, wide(QString::fromLatin1(other.name))),
                         std::optional<DWORD>(other.fallback));
    }

    // Start without a running agent: the launcher starts the agent's program
    // from the folder "Path" names, whatever shape the value has. (Values
    // too long to name it count as missing: tst_launcher.) Cancel ends the
    // wait, so no error box follows.
    void launcherWithPathInEveryShape_data() {
        QTest::addColumn<QString>("folderName"); // made under a temporary folder,
                                                 // with the stand-in agent inside
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("stored"); // "%1": that folder
        QTest::addColumn<QString>("named");  // the folder the program is looked for in
        QTest::newRow("REG_EXPAND_SZ") << "expand" << int(REG_EXPAND_SZ) << "%VIGILOR_EXPAND_TEST%"
                                       << "%1";
        QTest::newRow("embedded null")
            << "plain" << int(REG_SZ) << QString("%1") + QChar(0) + "junk"
            << "%1";
        QTest::newRow("non-ASCII") << QString::fromUtf8("\xc3\x9cnic\xc3\xb6"
                                                        "de \xe6\x97\xa5")
                                   << int(REG_SZ) << "%1"
                                   << "%1";
        QTest::newRow("trailing backslash") << "plain" << int(REG_SZ) << "%1\\"
                                            << "%1\\";
        QTest::newRow("spaces") << "with  spaces in it" << int(REG_SZ) << "%1"
                                << "%1";
    }

    void launcherWithPathInEveryShape() {
        QFETCH(QString, folderName);
        QFETCH(int, type);
        QFETCH(QString, stored);
        QFETCH(QString, named);
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        QVERIFY(QDir(temp.path()).mkdir(folderName));
        const QString unixFolder = temp.path() + "/" + folderName;
        QVERIFY(QFile::copy(windowsPath(VIGILOR_STANDIN_AGENT_EXE),
                            unixFolder + "/VigilorTaskbar.exe"));
        const QString folder = QDir::toNativeSeparators(unixFolder);
        qputenv("VIGILOR_EXPAND_TEST", folder.toUtf8());
        const QString text = stored.arg(folder);
        writeValue(settingsKey, L"Path", DWORD(type), text.utf16(),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));

        VigilorForm form(nullptr);
        DebugLog log;
        QTest::mouseClick(form.findChild<QToolButton*>("startButton"), Qt::LeftButton);
        QCOMPARE(log.count("appFullPath: " + named.arg(folder) + "\\VigilorTaskbar.exe"), 2);
        QTRY_COMPARE_WITH_TIMEOUT(readDword(standInKey, L"agentStarts"), std::optional<DWORD>(1),
                                  15000);
        QTest::mouseClick(form.findChild<QToolButton*>("cancelButton"), Qt::LeftButton);
        QVERIFY(form.findChild<QToolButton*>("startButton")->isEnabled());
    }

    // Geometry at the extremes of 32 bits, one value at a time and all at
    // once: the window's corner lands on the screen and it is no smaller
    // than its least size. A width or height cut to the screen keeps the
    // stored corner (one correction per dimension), so the window may reach
    // past the screen's edge once; closing saves what was shown, and from
    // that the window reopens wholly on the screen.
    void geometryAtTheExtremes_data() {
        QTest::addColumn<QString>("names");
        QTest::addColumn<DWORD>("value");
        for (const char* names : {"posX", "posY", "width", "height", "posX posY width height"})
            for (DWORD value : {0u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0x80000001u})
                QTest::addRow("%s %#x", names, unsigned(value)) << QString(names) << value;
    }

    void geometryAtTheExtremes() {
        QFETCH(QString, names);
        QFETCH(DWORD, value);
        for (const QString& name : names.split(' '))
            writeDword(settingsKey, wide(name), value);
        const QRect screen(0, 0, GetSystemMetrics(SM_CXFULLSCREEN),
                           GetSystemMetrics(SM_CYFULLSCREEN));
        if (screen.width() < 986 || screen.height() < 513)
            QSKIP("needs a screen of at least 986 by 513");

        QRect placed;
        {
            MainWindow window;
            placed = window.geometry();
            QVERIFY2(screen.contains(placed.topLeft()), qPrintable(QDebug::toString(placed)));
            QVERIFY2(placed.width() >= 986 && placed.width() <= screen.width(),
                     qPrintable(QDebug::toString(placed)));
            QVERIFY2(placed.height() >= 513 && placed.height() <= screen.height(),
                     qPrintable(QDebug::toString(placed)));
            QVERIFY(window.close());
        }
        QCOMPARE(readDword(settingsKey, L"posX"), std::optional<DWORD>(placed.left()));
        QCOMPARE(readDword(settingsKey, L"posY"), std::optional<DWORD>(placed.top()));
        QCOMPARE(readDword(settingsKey, L"width"), std::optional<DWORD>(placed.width()));
        QCOMPARE(readDword(settingsKey, L"height"), std::optional<DWORD>(placed.height()));
        MainWindow reopened;
        QVERIFY2(screen.contains(reopened.geometry()),
                 qPrintable(QDebug::toString(reopened.geometry())));
        QCOMPARE(reopened.geometry().size(), placed.size());
    }

    // The real program over everything awkward at once: it shows its window
    // on the screen and closes with exit code 0.
    void realProgramOverEverythingAwkward() {
        for (const Option& o : options)
            writeDword(settingsKey, wide(QString::fromLatin1(o.name)), 0xFFFFFFFFu);
        setString(settingsKey, L"Path", "Z:\\" + QString(32764, 'p'));
        for (const wchar_t* name : {L"posX", L"posY", L"width", L"height"})
            writeDword(settingsKey, name, 0x80000000u);

        QProcess program;
        program.start(windowsPath(VIGILOR_CONFIG_PROGRAM), {});
        QVERIFY(program.waitForStarted(10000));
        HWND window = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((window = findMainWindow(DWORD(program.processId()))) &&
                                     IsWindowVisible(window),
                                 30000);
        RECT rect = {};
        GetWindowRect(window, &rect);
        QVERIFY(rect.left >= 0 && rect.top >= 0);
        QVERIFY(rect.left < GetSystemMetrics(SM_CXSCREEN));
        PostMessageW(window, WM_CLOSE, 0, 0);
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(readDword(settingsKey, L"posX").value_or(0x80000000u) < 0x80000000u);
        QVERIFY(readDword(settingsKey, L"width").value_or(0) >= 986u ||
                GetSystemMetrics(SM_CXFULLSCREEN) < 986);
    }
};

QTEST_MAIN(TestConfigBadSettings)
#include "tst_config_badsettings.moc"
