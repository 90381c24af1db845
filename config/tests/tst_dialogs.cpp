#include "aboutdialog.h"
#include "otherappsdialog.h"
#include "testsupport.h"
#include "vigilorform.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace TestSupport;

namespace {

struct Expected {
    QString name;
    QString className;
    QRect rect;
};

void verifyTree(QWidget* dialog, const QList<Expected>& expected) {
    QList<QObject*> widgets;
    for (QObject* o : dialog->children())
        if (o->isWidgetType())
            widgets << o;
    QCOMPARE(widgets.size(), expected.size());
    for (int i = 0; i < widgets.size(); ++i) {
        QCOMPARE(widgets[i]->objectName(), expected[i].name);
        QCOMPARE(widgets[i]->metaObject()->className(), expected[i].className);
        QCOMPARE(static_cast<QWidget*>(widgets[i])->geometry(), expected[i].rect);
    }
}

template <typename T> T* child(QWidget* dialog, const char* name) {
    T* w = dialog->findChild<T*>(name);
    if (!w)
        qFatal("no %s", name);
    return w;
}

void verifyFont(QWidget* w, int pointSize, int weight) {
    QCOMPARE(w->font().pointSize(), pointSize);
    QCOMPARE(w->font().weight(), QFont::Weight(weight));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

  private slots:
    void aboutDialogWidgets() {
        AboutDialog dialog(nullptr);
        QCOMPARE(dialog.objectName(), QString("AboutDialog"));
        QCOMPARE(dialog.windowTitle(), QString("About"));
        QCOMPARE(dialog.size(), QSize(534, 343));
        const QList<Expected> expected = {{"label", "QLabel", {180, 20, 291, 41}},
                                          {"versionLabel", "QLabel", {180, 110, 121, 16}},
                                          {"licenseLabel", "QLabel", {180, 130, 221, 16}},
                                          {"label_4", "QLabel", {20, 20, 128, 128}},
                                          {"closeButton", "QPushButton", {440, 300, 75, 24}},
                                          {"copyrightLabel", "QLabel", {180, 230, 341, 16}},
                                          {"line", "QFrame", {170, 200, 351, 20}},
                                          {"licenseLabel_2", "QLabel", {180, 150, 61, 16}},
                                          {"webLabel", "QLabel", {230, 150, 111, 16}},
                                          {"label_5", "QLabel", {180, 60, 181, 21}}};
        verifyTree(&dialog, expected);

        QCOMPARE(child<QLabel>(&dialog, "label")->text(), QString("PC-Vigilor"));
        verifyFont(child<QLabel>(&dialog, "label"), 18, 700);
        QCOMPARE(child<QLabel>(&dialog, "versionLabel")->text(), QString("Version: 1.2.0"));
        QCOMPARE(child<QLabel>(&dialog, "label_4")->pixmap().size(), QSize(128, 128));
        QCOMPARE(child<QPushButton>(&dialog, "closeButton")->text(), QString("Close"));
        QCOMPARE(child<QFrame>(&dialog, "line")->frameShape(), QFrame::HLine);
        QCOMPARE(child<QFrame>(&dialog, "line")->frameShadow(), QFrame::Sunken);
        QCOMPARE(child<QLabel>(&dialog, "licenseLabel_2")->text(), QString("Website:"));
        QCOMPARE(child<QLabel>(&dialog, "label_5")->text(), QString("for Windows 11/10"));
        verifyFont(child<QLabel>(&dialog, "label_5"), 16, 400);
        QVERIFY(child<QLabel>(&dialog, "copyrightLabel")->text().contains("Quorvex"));

        auto* web = child<QLabel>(&dialog, "webLabel");
        QVERIFY(web->text().contains("href=\"https://www.example.com/\""));
        QCOMPARE(web->textFormat(), Qt::RichText);
        QCOMPARE(web->textInteractionFlags(), Qt::TextBrowserInteraction);
        QVERIFY(web->openExternalLinks());
        QVERIFY(web->font().underline());

        // Fixed positions: resizing moves nothing.
        dialog.resize(900, 700);
        verifyTree(&dialog, expected);
    }

    void otherAppsDialogWidgets() {
        OtherAppsDialog dialog(nullptr);
        QCOMPARE(dialog.objectName(), QString("OtherAppsDialog"));
        QCOMPARE(dialog.windowTitle(), QString("Upgrade Now"));
        QCOMPARE(dialog.size(), QSize(790, 584));
        verifyTree(&dialog, {{"label", "QLabel", {200, 20, 361, 41}},
                             {"label_4", "QLabel", {10, 20, 150, 150}},
                             {"descLabel", "QLabel", {200, 70, 581, 61}},
                             {"closeButton", "QPushButton", {700, 550, 75, 24}},
                             {"toolButton", "QToolButton", {200, 480, 271, 41}},
                             {"line_2", "QFrame", {180, 530, 591, 20}},
                             {"upgradeToolButton", "QToolButton", {480, 480, 101, 41}},
                             {"descLabel_2", "QLabel", {200, 430, 381, 21}},
                             {"label_2", "QLabel", {200, 140, 581, 251}}});

        QCOMPARE(child<QLabel>(&dialog, "label")->text(), QString("Quorvex Halvern Plus!"));
        verifyFont(child<QLabel>(&dialog, "label"), 20, 700);
        auto* logo = child<QLabel>(&dialog, "label_4");
        QCOMPARE(logo->pixmap().size(), QSize(300, 300));
        QVERIFY(logo->hasScaledContents());
        auto* desc = child<QLabel>(&dialog, "descLabel");
        QCOMPARE(desc->text(), QString("It is an all-in-one application that comes with impressive "
                                       "number of modules for cleaning and optimizing Windows 11 "
                                       "and 10.\n\n\n"));
        verifyFont(desc, 12, 700);
        QVERIFY(desc->wordWrap());
        auto* price = child<QLabel>(&dialog, "descLabel_2");
        QCOMPARE(price->text(), QString("Price: $9.99"));
        verifyFont(price, 12, 700);
        QVERIFY(price->wordWrap());
        QCOMPARE(child<QToolButton>(&dialog, "toolButton")->text(),
                 QString("Visit Our Website to Download Trial Version"));
        QVERIFY(child<QToolButton>(&dialog, "toolButton")->icon().isNull());
        QCOMPARE(child<QToolButton>(&dialog, "upgradeToolButton")->text(), QString("Buy Now"));
        QCOMPARE(child<QPushButton>(&dialog, "closeButton")->text(), QString("Close"));
        QCOMPARE(child<QFrame>(&dialog, "line_2")->frameShape(), QFrame::HLine);
        auto* shot = child<QLabel>(&dialog, "label_2");
        QCOMPARE(shot->pixmap().size(), QSize(454, 375));
        QVERIFY(!shot->hasScaledContents());
        QCOMPARE(shot->alignment(), Qt::AlignLeft | Qt::AlignTop);
    }

    // Each click opens a new modal dialog over the form; its Close button
    // frees it and ends the modal run.
    void formOpensFreshDialogsThatCloseFrees_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("dialogClass");
        QTest::addColumn<QString>("picture");
        QTest::newRow("About") << "aboutButton"
                               << "AboutDialog"
                               << "about.png";
        QTest::newRow("other product") << "halvernButton"
                                       << "OtherAppsDialog"
                                       << "otherapps.png";
    }

    void formOpensFreshDialogsThatCloseFrees() {
        QFETCH(QString, button);
        QFETCH(QString, dialogClass);
        QFETCH(QString, picture);
        VigilorForm form(nullptr);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        auto* open = form.findChild<QToolButton*>(button);

        for (int round = 0; round < 2; ++round) {
            bool seen = false;
            onNextModal([&](QWidget* modal) {
                seen = true;
                QCOMPARE(modal->metaObject()->className(), dialogClass);
                QCOMPARE(modal->parentWidget(), &form);
                // A label changed in the first dialog must not show in the second.
                auto* title = modal->findChild<QLabel*>("label");
                QVERIFY(!title->text().startsWith("changed"));
                title->setText("changed");
                if (round == 0)
                    QVERIFY(screenshot(QString(VIGILOR_SCREENSHOT_DIR "/") + picture));
                QTest::mouseClick(modal->findChild<QPushButton*>("closeButton"), Qt::LeftButton);
            });
            QTest::mouseClick(open, Qt::LeftButton);
            QVERIFY(seen);
            QTRY_VERIFY(form.findChildren<QDialog*>().isEmpty());
        }
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
