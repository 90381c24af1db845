#include "testsupport.h"
#include "vigilorform.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QKeySequenceEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

constexpr UINT start = WM_USER + 700, cancel = WM_USER + 701, reload = WM_USER + 702,
               query = WM_USER + 703;

const char* const optionNames[] = {
    "duration",      "durationUnit",         "monitorOn",      "powerSchemeOn", "powerSchemeIndex",
    "simulatePress", "simulatePressTimeOut", "shutdownWindows"};

template <typename T> T* child(QWidget* form, const char* name) {
    T* w = form->findChild<T*>(name);
    if (!w)
        qFatal("no %s", name);
    return w;
}

QStringList optionWidgets() {
    return {"keepAwakeLabel",       "keepAwakeComboBox",
            "keepAwakeSpinBox",     "actionLabel",
            "monitorOnCheckBox",    "powerSchemeCheckBox",
            "powerSchemeComboBox",  "simulatePressCheckBox",
            "simulatePressSpinBox", "simulatePressUnitLabel",
            "simulatePressLabel",   "shutdownCheckBox"};
}

std::optional<DWORD> option(const char* name) {
    return readDword(settingsKey, reinterpret_cast<const wchar_t*>(QString(name).utf16()));
}

void storeOption(const char* name, DWORD value) {
    writeDword(settingsKey, reinterpret_cast<const wchar_t*>(QString(name).utf16()), value);
}

void setPolicy(HKEY root, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(root, policyKey, name, REG_DWORD, &value, sizeof(value));
}

} // namespace

class TestVigilorForm : public QObject {
    Q_OBJECT

    std::unique_ptr<VigilorForm> form;

    void makeForm() { form = std::make_unique<VigilorForm>(nullptr); }
    QToolButton* button(const char* name) { return child<QToolButton>(form.get(), name); }
    QString note() { return child<QLabel>(form.get(), "vigilorNoteLabel")->text(); }

    // Idle: Start on, Cancel off, options on; Running the opposite.
    void verifyDisplay(bool running) {
        QCOMPARE(button("startButton")->isEnabled(), !running);
        QCOMPARE(button("cancelButton")->isEnabled(), running);
        for (const QString& name : optionWidgets())
            QVERIFY2(form->findChild<QWidget*>(name)->isEnabled() == !running, qPrintable(name));
    }

  private slots:
    void init() { clearApplicationValues(); }
    void cleanup() {
        form.reset();
        clearApplicationValues();
    }

    void widgetTreeInCreationOrder() {
        makeForm();
        const QList<QPair<QString, QString>> expected = {{"keepAwakeLabel", "QLabel"},
                                                         {"keepAwakeSpinBox", "QSpinBox"},
                                                         {"keepAwakeComboBox", "QComboBox"},
                                                         {"actionLabel", "QLabel"},
                                                         {"monitorOnCheckBox", "QCheckBox"},
                                                         {"simulatePressCheckBox", "QCheckBox"},
                                                         {"simulatePressSpinBox", "QSpinBox"},
                                                         {"simulatePressLabel", "QLabel"},
                                                         {"line1", "QFrame"},
                                                         {"websiteButton", "QToolButton"},
                                                         {"halvernButton", "QToolButton"},
                                                         {"aboutButton", "QToolButton"},
                                                         {"startButton", "QToolButton"},
                                                         {"cancelButton", "QToolButton"},
                                                         {"line2", "QFrame"},
                                                         {"simulatePressUnitLabel", "QLabel"},
                                                         {"vigilorNoteLabel", "QLabel"},
                                                         {"trayIconImageLabel", "QLabel"},
                                                         {"trayIconInfoLabel", "QLabel"},
                                                         {"powerSchemeCheckBox", "QCheckBox"},
                                                         {"powerSchemeComboBox", "QComboBox"},
                                                         {"line3", "QFrame"},
                                                         {"saveButton", "QToolButton"},
                                                         {"shutdownCheckBox", "QCheckBox"},
                                                         {"hotkeyLabel", "QLabel"},
                                                         {"hotkeyEdit", "QKeySequenceEdit"},
                                                         {"hotkeyClearButton", "QPushButton"}};
        QList<QPair<QString, QString>> actual;
        for (QObject* o : form->children())
            if (o->isWidgetType())
                actual.append({o->objectName(), o->metaObject()->className()});
        QCOMPARE(actual, expected);
        QCOMPARE(form->objectName(), QString("VigilorForm"));
    }

    void widgetTextsAndProperties() {
        makeForm();
        QWidget* f = form.get();
        QCOMPARE(child<QLabel>(f, "keepAwakeLabel")->text(), QString("Keep your PC awake for"));
        QCOMPARE(child<QLabel>(f, "actionLabel")->text(), QString("Other actions:"));
        QCOMPARE(child<QCheckBox>(f, "monitorOnCheckBox")->text(),
                 QString("Tell Windows to keep the monitor on"));
        QCOMPARE(child<QCheckBox>(f, "simulatePressCheckBox")->text(),
                 QString("Simulate keyboard press action every   "));
        QCOMPARE(child<QLabel>(f, "simulatePressLabel")->text(),
                 QString("Simulating keyboard action will prevent screensaver from starting and "
                         "avoid app to change your status or availability."));
        QCOMPARE(child<QLabel>(f, "simulatePressUnitLabel")->text(), QString("minute(s)"));
        QCOMPARE(child<QLabel>(f, "trayIconInfoLabel")->text(),
                 QString("When running you can cancel the Vigilor session through icon in the "
                         "System Tray."));
        QCOMPARE(child<QCheckBox>(f, "powerSchemeCheckBox")->text(),
                 QString("Temporarily change power scheme to"));
        QCOMPARE(child<QCheckBox>(f, "shutdownCheckBox")->text(),
                 QString("Shut down Windows when finish"));
        QCOMPARE(note(), QString());

        const QList<QPair<const char*, QString>> buttons = {
            {"startButton", "Start"},     {"cancelButton", "Cancel"},
            {"saveButton", "Save"},       {"halvernButton", "Optimize Windows Performance"},
            {"websiteButton", "Website"}, {"aboutButton", "About"}};
        for (const auto& [name, text] : buttons) {
            QToolButton* b = button(name);
            QCOMPARE(b->text(), text);
            QCOMPARE(b->iconSize(), QSize(24, 24));
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            QVERIFY(b->autoRaise());
            QVERIFY2(!b->icon().isNull(), name);
        }
        for (const char* name : {"line1", "line2", "line3"}) {
            QCOMPARE(child<QFrame>(f, name)->frameShape(), QFrame::VLine);
            QCOMPARE(child<QFrame>(f, name)->frameShadow(), QFrame::Sunken);
        }
        QCOMPARE(child<QLabel>(f, "trayIconImageLabel")->pixmap().size(), QSize(582, 207));

        QPalette shutdown = child<QCheckBox>(f, "shutdownCheckBox")->palette();
        QCOMPARE(shutdown.color(QPalette::Active, QPalette::WindowText), QColor(Qt::red));
        QVERIFY(shutdown.color(QPalette::Inactive, QPalette::WindowText) != QColor(Qt::red));
    }

    void rangesAndListItems() {
        makeForm();
        QSpinBox* duration = child<QSpinBox>(form.get(), "keepAwakeSpinBox");
        QCOMPARE(duration->minimum(), 1);
        QCOMPARE(duration->maximum(), 1000);
        QSpinBox* interval = child<QSpinBox>(form.get(), "simulatePressSpinBox");
        QCOMPARE(interval->minimum(), 1);
        QCOMPARE(interval->maximum(), 10);

        auto items = [](QComboBox* box) {
            QStringList texts;
            for (int i = 0; i < box->count(); ++i) {
                texts << box->itemText(i);
                if (!box->itemIcon(i).isNull() || box->itemData(i).isValid())
                    texts << "(decorated)";
            }
            return texts;
        };
        QCOMPARE(items(child<QComboBox>(form.get(), "keepAwakeComboBox")),
                 QStringList({"Minute(s)", "Hour(s)"}));
        QCOMPARE(items(child<QComboBox>(form.get(), "powerSchemeComboBox")),
                 QStringList({"Power saver", "Balanced", "High performance"}));
    }

    void imagesAtTheirPixelSizes() {
        const QList<QPair<QString, QSize>> images = {{"Play.png", {40, 40}},
                                                     {"IconNo24.png", {24, 24}},
                                                     {"Save24.png", {24, 24}},
                                                     {"rocket24.png", {24, 24}},
                                                     {"websiteIcon24.png", {24, 24}},
                                                     {"About24.png", {24, 24}},
                                                     {"VigilorTrayIcon.png", {582, 207}},
                                                     {"About.png", {128, 128}},
                                                     {"HalvernPlus.png", {300, 300}},
                                                     {"HalvernPlusScreenShot.png", {454, 375}}};
        for (const auto& [file, size] : images) {
            QImage image(":/resources/images/" + file);
            QVERIFY2(!image.isNull(), qPrintable(file));
            QCOMPARE(image.size(), size);
        }
    }

    void defaultsWithNothingStored() {
        makeForm();
        QCOMPARE(child<QSpinBox>(form.get(), "keepAwakeSpinBox")->value(), 60);
        QCOMPARE(child<QComboBox>(form.get(), "keepAwakeComboBox")->currentIndex(), 0);
        QVERIFY(child<QCheckBox>(form.get(), "monitorOnCheckBox")->isChecked());
        QVERIFY(!child<QCheckBox>(form.get(), "powerSchemeCheckBox")->isChecked());
        QCOMPARE(child<QComboBox>(form.get(), "powerSchemeComboBox")->currentIndex(), 1);
        QVERIFY(!child<QCheckBox>(form.get(), "simulatePressCheckBox")->isChecked());
        QCOMPARE(child<QSpinBox>(form.get(), "simulatePressSpinBox")->value(), 1);
        QVERIFY(!child<QCheckBox>(form.get(), "shutdownCheckBox")->isChecked());
        verifyDisplay(false);
        QVERIFY(!button("saveButton")->isEnabled());
    }

    void loadsStoredOptions() {
        const DWORD stored[] = {45, 1, 0, 1, 2, 1, 7, 1};
        for (int i = 0; i < 8; ++i)
            storeOption(optionNames[i], stored[i]);
        makeForm();
        QCOMPARE(child<QSpinBox>(form.get(), "keepAwakeSpinBox")->value(), 45);
        QCOMPARE(child<QComboBox>(form.get(), "keepAwakeComboBox")->currentIndex(), 1);
        QVERIFY(!child<QCheckBox>(form.get(), "monitorOnCheckBox")->isChecked());
        QVERIFY(child<QCheckBox>(form.get(), "powerSchemeCheckBox")->isChecked());
        QCOMPARE(child<QComboBox>(form.get(), "powerSchemeComboBox")->currentIndex(), 2);
        QVERIFY(child<QCheckBox>(form.get(), "simulatePressCheckBox")->isChecked());
        QCOMPARE(child<QSpinBox>(form.get(), "simulatePressSpinBox")->value(), 7);
        QVERIFY(child<QCheckBox>(form.get(), "shutdownCheckBox")->isChecked());
        // Loading went through the change slots, yet nothing has been edited.
        QVERIFY(!button("saveButton")->isEnabled());
    }

    // What a stored value becomes after loading and the next Save.
    // What a stored value shows as, and becomes on the next Save.
    void storedValueIsNormalisedOnSave_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<DWORD>("stored");
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QString>("property");
        QTest::addColumn<DWORD>("saved");
        QTest::newRow("switch stored as 2 is off") << "monitorOn" << DWORD(2) << "monitorOnCheckBox"
                                                   << "checked" << DWORD(0);
        QTest::newRow("shutdown stored as 2 is off")
            << "shutdownWindows" << DWORD(2) << "shutdownCheckBox"
            << "checked" << DWORD(0);
        QTest::newRow("duration above range") << "duration" << DWORD(5000) << "keepAwakeSpinBox"
                                              << "value" << DWORD(1000);
        QTest::newRow("duration 0") << "duration" << DWORD(0) << "keepAwakeSpinBox"
                                    << "value" << DWORD(1);
        QTest::newRow("duration near 2^32")
            << "duration" << DWORD(0xfffffff0u) << "keepAwakeSpinBox"
            << "value" << DWORD(1000);
        QTest::newRow("interval above range")
            << "simulatePressTimeOut" << DWORD(11) << "simulatePressSpinBox"
            << "value" << DWORD(10);
        QTest::newRow("unknown unit") << "durationUnit" << DWORD(5) << "keepAwakeComboBox"
                                      << "currentIndex" << DWORD(0);
        QTest::newRow("unknown scheme") << "powerSchemeIndex" << DWORD(7) << "powerSchemeComboBox"
                                        << "currentIndex" << DWORD(1);
        QTest::newRow("scheme near 2^32")
            << "powerSchemeIndex" << DWORD(0xffffffffu) << "powerSchemeComboBox"
            << "currentIndex" << DWORD(1);
    }

    void storedValueIsNormalisedOnSave() {
        QFETCH(QString, name);
        QFETCH(DWORD, stored);
        QFETCH(QString, widget);
        QFETCH(QString, property);
        QFETCH(DWORD, saved);
        storeOption(qPrintable(name), stored);
        makeForm();
        const QVariant shown = form->findChild<QWidget*>(widget)->property(qPrintable(property));
        QCOMPARE(DWORD(shown.toInt()), saved);
        QMetaObject::invokeMethod(form.get(), "on_saveButton_clicked");
        QCOMPARE(option(qPrintable(name)), std::optional<DWORD>(saved));
    }

    // The row below the shutdown check box: the stored shortcut shows; of what the user types,
    // the first combination is kept when the agent can register it, and stored by Save; Clear
    // stores none.
    void shortcutIsShownRecordedAndCleared() {
        storeOption("hotkey", 0x34B); // Ctrl+Alt+K
        makeForm();
        auto* label = child<QLabel>(form.get(), "hotkeyLabel");
        auto* edit = child<QKeySequenceEdit>(form.get(), "hotkeyEdit");
        QCOMPARE(label->text(), QString("Shortcut to start or stop a session:"));
        QCOMPARE(edit->keySequence(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
        QVERIFY(!button("saveButton")->isEnabled());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(label->y() > child<QCheckBox>(form.get(), "shutdownCheckBox")->geometry().bottom());

        QSignalSpy finished(edit, &QKeySequenceEdit::editingFinished);
        auto type = [&](std::initializer_list<QKeyCombination> keys) {
            for (QKeyCombination key : keys)
                QTest::keyClick(edit, key.key(), key.keyboardModifiers());
            QVERIFY(finished.wait(3000));
        };
        type({Qt::CTRL | Qt::SHIFT | Qt::Key_F5, Qt::CTRL | Qt::Key_L});
        QCOMPARE(edit->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
        QVERIFY(button("saveButton")->isEnabled());
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        QCOMPARE(option("hotkey"), std::optional<DWORD>(0x674)); // MOD_CONTROL | MOD_SHIFT, VK_F5
        for (QKeyCombination refused :
             {Qt::SHIFT | Qt::Key_K, QKeyCombination(Qt::Key_K), Qt::CTRL | Qt::Key_F12}) {
            type({refused});
            QCOMPARE(edit->keySequence(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F5));
        }
        QVERIFY(!button("saveButton")->isEnabled());

        QTest::mouseClick(child<QPushButton>(form.get(), "hotkeyClearButton"), Qt::LeftButton);
        QVERIFY(edit->keySequence().isEmpty());
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        QCOMPARE(option("hotkey"), std::optional<DWORD>(0));
    }

    void durationStoredAsTextIsIgnored() {
        setString(settingsKey, L"duration", "90");
        DebugLog log;
        makeForm();
        QCOMPARE(child<QSpinBox>(form.get(), "keepAwakeSpinBox")->value(), 60);
        QCOMPARE(log.count("\"Software\\\\Quorvex\\\\PC-Vigilor\"  :  \"duration\"  : Cannot read "
                           "DWORD from registry."),
                 1);
    }

    void anyOptionChangeEnablesSave() {
        makeForm();
        const QList<std::function<void()>> changes = {
            [&] { child<QSpinBox>(form.get(), "keepAwakeSpinBox")->setValue(61); },
            [&] { child<QComboBox>(form.get(), "keepAwakeComboBox")->setCurrentIndex(1); },
            [&] { child<QCheckBox>(form.get(), "monitorOnCheckBox")->toggle(); },
            [&] { child<QCheckBox>(form.get(), "powerSchemeCheckBox")->toggle(); },
            [&] { child<QComboBox>(form.get(), "powerSchemeComboBox")->setCurrentIndex(0); },
            [&] { child<QCheckBox>(form.get(), "simulatePressCheckBox")->toggle(); },
            [&] { child<QSpinBox>(form.get(), "simulatePressSpinBox")->setValue(3); },
            [&] { child<QCheckBox>(form.get(), "shutdownCheckBox")->toggle(); }};
        int i = 0;
        for (const auto& change : changes) {
            QVERIFY2(!button("saveButton")->isEnabled(), qPrintable(QString::number(i)));
            change();
            QVERIFY2(button("saveButton")->isEnabled(), qPrintable(QString::number(i)));
            QTest::mouseClick(button("saveButton"), Qt::LeftButton);
            ++i;
        }
        QVERIFY(!button("saveButton")->isEnabled());
    }

    void saveWritesAllOptionsThenAsksAgentToReload() {
        StandInAgent agent;
        makeForm();
        child<QSpinBox>(form.get(), "keepAwakeSpinBox")->setValue(120);
        child<QComboBox>(form.get(), "keepAwakeComboBox")->setCurrentIndex(1);
        child<QCheckBox>(form.get(), "monitorOnCheckBox")->setChecked(false);
        child<QCheckBox>(form.get(), "powerSchemeCheckBox")->setChecked(true);
        child<QComboBox>(form.get(), "powerSchemeComboBox")->setCurrentIndex(2);
        child<QCheckBox>(form.get(), "simulatePressCheckBox")->setChecked(true);
        child<QSpinBox>(form.get(), "simulatePressSpinBox")->setValue(4);
        child<QCheckBox>(form.get(), "shutdownCheckBox")->setChecked(true);

        DebugLog log;
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        // The eight options, then the keyboard shortcut.
        QCOMPARE(log.lines(), QStringList({"writeSettings", "true", "true", "true", "true", "true",
                                           "true", "true", "true", "true"}));
        const DWORD expected[] = {120, 1, 0, 1, 2, 1, 4, 1};
        for (int i = 0; i < 8; ++i)
            QCOMPARE(option(optionNames[i]), std::optional<DWORD>(expected[i]));
        QVERIFY(!button("saveButton")->isEnabled());

        QTRY_COMPARE(agent.received().size(), size_t(1));
        QCOMPARE(agent.received().front(), (PostedMessage{reload, 0, 0}));
    }

    // The settings key closed at the first value or the fourth: the user is told once, in a box,
    // what was written goes back, and then the form asks the agent for its state. Where the key
    // stays closed, nothing goes back, and the box says so.
    void failedWriteIsToldAndChangesNothing_data() {
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("lockAfter");
        QTest::addColumn<bool>("putBack");
        QTest::newRow("Save") << "saveButton"
                              << "The settings could not be saved. " << 0 << true;
        QTest::newRow("Start") << "startButton"
                               << "The settings could not be saved, so the session was not "
                                  "started. "
                               << 0 << true;
        QTest::newRow("Save, 4th fails") << "saveButton"
                                         << "The settings could not be saved. " << 3 << true;
        QTest::newRow("Save, 4th fails, put-back refused")
            << "saveButton"
            << "The settings could not be saved. " << 3 << false;
    }

    void failedWriteIsToldAndChangesNothing() {
        QFETCH(QString, pressed);
        QFETCH(QString, outcome);
        QFETCH(int, lockAfter);
        QFETCH(bool, putBack);
        storeOption("duration", 30);
        StandInAgent agent;
        makeForm();
        child<QSpinBox>(form.get(), "keepAwakeSpinBox")->setValue(77);
        child<QCheckBox>(form.get(), "shutdownCheckBox")->setChecked(true);
        std::optional<LockedKey> locked; // open again once the write has failed
        int written = 0;
        DebugLog log([&](const QString& line) {
            if (line == (lockAfter ? "true" : "writeSettings") &&
                written++ == qMax(lockAfter - 1, 0))
                locked.emplace(settingsKey);
            if (putBack && line.startsWith("writeSettings: failed at "))
                locked.reset();
        });

        QStringList boxes;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box->isVisible()) {
                locked.reset();
                boxes << box->windowTitle() + " | " + box->text();
                box->done(QMessageBox::Ok);
            }
        });
        closer.start(50);
        QTest::mouseClick(button(qPrintable(pressed)), Qt::LeftButton);
        QTest::qWait(500);

        QCOMPARE(boxes, QStringList("PC-Vigilor | " + outcome +
                                    "Windows does not allow PC-Vigilor to change its settings in "
                                    "the registry. " +
                                    (putBack ? "The stored settings are unchanged."
                                             : "Some stored settings were changed and could not "
                                               "be put back.")));
        QCOMPARE(option("duration"), std::optional<DWORD>(putBack ? 30 : 77));
        QVERIFY(button("saveButton")->isEnabled());
        QCOMPARE(child<QSpinBox>(form.get(), "keepAwakeSpinBox")->value(), 77);
        QVERIFY(child<QCheckBox>(form.get(), "shutdownCheckBox")->isChecked());
        verifyDisplay(false);
        QCOMPARE(agent.received(), std::vector<PostedMessage>({{query, 0, 0}}));
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::nullopt);
    }

    void sessionEndMinuteIsShown_data() {
        QTest::addColumn<int>("endMinute");
        QTest::addColumn<QString>("time");
        QTest::newRow("morning") << 545 << "09:05";
        QTest::newRow("full hour") << 600 << "10:00";
        QTest::newRow("past midnight") << 1470 << "24:30";
        QTest::newRow("first minute") << 1 << "00:01";
    }

    void sessionEndMinuteIsShown() {
        QFETCH(int, endMinute);
        QFETCH(QString, time);
        makeForm();
        DebugLog log;
        form->setVigilorSessionDuration(endMinute);
        QCOMPARE(note(), "Vigilor session will be ended at " + time);
        verifyDisplay(true);
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(1));
        QCOMPARE(log.lines().first(), "setVigilorSessionDuration: " + QString::number(endMinute));
        // The agent's key is the agent's to write.
        QCOMPARE(readDword(settingsKey, L"VigilorActive"), std::nullopt);
    }

    void noSessionReturnsToIdle_data() {
        QTest::addColumn<int>("endMinute");
        QTest::newRow("zero") << 0;
        QTest::newRow("negative") << -5;
    }

    void noSessionReturnsToIdle() {
        QFETCH(int, endMinute);
        makeForm();
        form->setVigilorSessionDuration(600);
        form->setVigilorSessionDuration(endMinute);
        verifyDisplay(false);
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
    }

    void startWithAgentRunning() {
        StandInAgent agent;
        makeForm();
        form->setVigilorSessionDuration(0);
        child<QCheckBox>(form.get(), "shutdownCheckBox")->setChecked(true);
        QTest::mouseClick(button("startButton"), Qt::LeftButton);

        verifyDisplay(true);
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(1));
        QCOMPARE(option("shutdownWindows"), std::optional<DWORD>(1));
        // Start saves, but Save stays available.
        QVERIFY(button("saveButton")->isEnabled());
        QTRY_COMPARE(agent.messages(), std::vector<UINT>({reload, start}));

        // The agent's report completes the picture.
        form->setVigilorSessionDuration(545);
        QCOMPARE(note(), QString("Vigilor session will be ended at 09:05"));
    }

    void cancelWithAgentRunning() {
        StandInAgent agent;
        makeForm();
        form->setVigilorSessionDuration(545);
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        verifyDisplay(false);
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
        QTRY_COMPARE(agent.received(), std::vector<PostedMessage>({{cancel, 0, 0}}));
    }

    void cancelWithoutAgent() {
        makeForm();
        form->setVigilorSessionDuration(545);
        QTest::mouseClick(button("cancelButton"), Qt::LeftButton);
        verifyDisplay(false);
        QCOMPARE(note(), QString());
        QCOMPARE(readDword(suiteKey, L"VigilorActive"), std::optional<DWORD>(0));
    }

    void showingAsksAgentForItsState() {
        StandInAgent agent;
        makeForm();
        form->setVigilorSessionDuration(545);
        form->hide();
        DebugLog log;
        form->show();
        QCOMPARE(log.lines().first(), QString("checkVigilorSession"));
        // Nothing changes until the agent answers.
        verifyDisplay(true);
        QTRY_COMPARE(agent.messages(), std::vector<UINT>({query}));
    }

    void showingWithoutAgentSetsIdleButKeepsNote() {
        makeForm();
        form->setVigilorSessionDuration(545);
        form->show();
        verifyDisplay(false);
        QCOMPARE(note(), QString("Vigilor session will be ended at 09:05"));
    }

    // The rows pack to the left and the options stay at the top however large
    // the window is made.
    void layoutPacksLeftAndTop() {
        makeForm();
        form->resize(1200, 1000);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        const char* toolbar[] = {"startButton",   "cancelButton",  "line1", "saveButton", "line2",
                                 "halvernButton", "websiteButton", "line3", "aboutButton"};
        int right = 0;
        const int row = button("startButton")->geometry().center().y();
        for (const char* name : toolbar) {
            const QRect g = form->findChild<QWidget*>(name)->geometry();
            QVERIFY2(g.left() >= right, name);
            QVERIFY2(qAbs(g.center().y() - row) <= 2, name);
            right = g.right();
        }
        QVERIFY(right < 800);
        QVERIFY(button("startButton")->geometry().left() < 20);

        auto rowOf = [&](QStringList names) {
            int end = 0;
            for (const QString& name : names) {
                const QRect g = form->findChild<QWidget*>(name)->geometry();
                QVERIFY2(g.left() >= end, qPrintable(name));
                end = g.right();
            }
            QVERIFY2(end < 600, qPrintable(names.first()));
        };
        rowOf({"keepAwakeLabel", "keepAwakeSpinBox", "keepAwakeComboBox"});
        rowOf({"powerSchemeCheckBox", "powerSchemeComboBox"});
        rowOf({"simulatePressCheckBox", "simulatePressSpinBox", "simulatePressUnitLabel"});

        const QStringList column = {"vigilorNoteLabel",    "keepAwakeLabel",
                                    "actionLabel",         "monitorOnCheckBox",
                                    "powerSchemeCheckBox", "simulatePressCheckBox",
                                    "simulatePressLabel",  "shutdownCheckBox",
                                    "trayIconImageLabel",  "trayIconInfoLabel"};
        int bottom = button("startButton")->geometry().bottom();
        for (const QString& name : column) {
            const QRect g = form->findChild<QWidget*>(name)->geometry();
            QVERIFY2(g.top() > bottom, qPrintable(name));
            bottom = g.bottom();
        }
        QVERIFY(bottom < 800);
        const QRect shutdown = form->findChild<QWidget*>("shutdownCheckBox")->geometry();
        const QRect picture = form->findChild<QWidget*>("trayIconImageLabel")->geometry();
        QVERIFY(picture.top() - shutdown.bottom() > 20);

        QVERIFY(screenshot(VIGILOR_SCREENSHOT_DIR "/form.png"));
        // The digits of both spin boxes reach the screen (without Wine's own
        // fonts their fields stay blank).
        for (const char* name : {"keepAwakeSpinBox", "simulatePressSpinBox"}) {
            const QLineEdit* digits = child<QSpinBox>(form.get(), name)->findChild<QLineEdit*>();
            QVERIFY2(digits, name);
            QVERIFY2(inkPixels(VIGILOR_SCREENSHOT_DIR "/form.png", digits) > 10, name);
        }
    }

    // What the organisation decides shows, and stays out of the stored
    // options: the machine's values first, values out of range ignored.
    void policyDecidesControlsNotOptions() {
        for (const char* name : {"duration", "durationUnit", "simulatePress", "shutdownWindows"})
            storeOption(name, name == QString("duration") ? 5 : 1);
        setPolicy(HKEY_LOCAL_MACHINE, L"AllowKeyPress", 0);
        setPolicy(HKEY_CURRENT_USER, L"AllowKeyPress", 1);
        setPolicy(HKEY_CURRENT_USER, L"AllowShutdown", 0);
        setPolicy(HKEY_LOCAL_MACHINE, L"AllowDisplayOn", 2);
        setPolicy(HKEY_LOCAL_MACHINE, L"MaxSessionHours", 2);
        makeForm();
        form->setVigilorSessionDuration(600);
        form->setVigilorSessionDuration(0);
        for (const char* name :
             {"simulatePressCheckBox", "simulatePressSpinBox", "shutdownCheckBox"}) {
            auto* decided = form->findChild<QWidget*>(name);
            auto* box = qobject_cast<QCheckBox*>(decided);
            QVERIFY2(!decided->isEnabled() && (!box || !box->isChecked()), name);
            QCOMPARE(decided->toolTip(), QString("Set by your organisation"));
        }
        QVERIFY(child<QCheckBox>(form.get(), "monitorOnCheckBox")->isEnabled());
        QCOMPARE(child<QSpinBox>(form.get(), "keepAwakeSpinBox")->value(), 2);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QVERIFY(screenshot(VIGILOR_SCREENSHOT_DIR "/en-form-policy.png"));
        QTest::mouseClick(button("saveButton"), Qt::LeftButton);
        for (const char* name : {"duration", "simulatePress", "shutdownWindows"})
            QCOMPARE(option(name), std::optional<DWORD>(name == QString("duration") ? 5 : 1));

        setPolicy(HKEY_LOCAL_MACHINE, L"Disabled", 1);
        StandInAgent agent;
        QString told;
        onNextModal([&](QWidget* box) {
            told = qobject_cast<QMessageBox*>(box)->text();
            box->close();
        });
        QTest::mouseClick(button("startButton"), Qt::LeftButton);
        QCOMPARE(told, QString("PC-Vigilor is turned off by your organisation"));
        QTRY_COMPARE(agent.messages(), std::vector<UINT>({query}));
    }

    void inputsHaveAccessibleNames() {
        makeForm();
        for (const auto& [name, text] : QList<QPair<const char*, QString>>{
                 {"keepAwakeSpinBox", "Keep your PC awake for"},
                 {"keepAwakeComboBox", "Keep your PC awake for (unit)"},
                 {"powerSchemeComboBox", "Temporarily change power scheme to"},
                 {"simulatePressSpinBox", "Simulate keyboard press action every minute(s)"}})
            QCOMPARE(QAccessible::queryAccessibleInterface(form->findChild<QWidget*>(name))
                         ->text(QAccessible::Name),
                     text);
    }
};

QTEST_MAIN(TestVigilorForm)
#include "tst_vigilorform.moc"
