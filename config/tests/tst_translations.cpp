// The application in the user's language, in a Wine session whose language
// the test runner sets (LANG); the language expected is given to the test as
// VIGILOR_TEST_LANGUAGE. Every text of the form and both dialogs is checked
// to show whole, and pictures of them are left for review.
#include "aboutdialog.h"
#include "mainwindow.h"
#include "otherappsdialog.h"
#include "testsupport.h"
#include "translation.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

namespace {

const QString language = qEnvironmentVariable("VIGILOR_TEST_LANGUAGE", QStringLiteral("en"));
// The pictures' names begin with the session's name ("it" shows English).
const QString pictures = qEnvironmentVariable("VIGILOR_TEST_PICTURES", language);

// One text of each kind per language: ours, and Qt's own standard button.
struct Sample {
    QString startButton;
    QString qtCancel;
};
const QMap<QString, Sample> samples = {
    {"en", {"Start", "Cancel"}},
    {"de", {"Starten", "Abbrechen"}},
    {"fr", {"Démarrer", "Annuler"}},
    {"es", {"Iniciar", "Cancelar"}},
};

// Where the ink of a label's text lies inside the label, as the label lays
// it out: trailing line feeds take room (and so move centred text up) but
// show nothing.
QRect inkOfLabel(const QLabel* label) {
    const QRect box = label->contentsRect();
    const QFontMetrics fm(label->font());
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QString shown = label->text().trimmed();
    const int blockTop = fm.boundingRect(box, flags, label->text()).top();
    const QRect lines =
        fm.boundingRect(box, (flags & ~Qt::AlignVertical_Mask) | Qt::AlignTop, shown);
    // The highest and lowest ink of any glyph, from the baseline.
    const QRect ink = fm.tightBoundingRect(shown);
    return QRect(QPoint(lines.left(), blockTop + fm.ascent() + ink.top()),
                 QPoint(lines.right(), blockTop + lines.height() - fm.descent() + ink.bottom()));
}

// Every text of a widget with fixed rectangles shows whole.
void verifyTextsFit(QWidget* top) {
    for (QLabel* label : top->findChildren<QLabel*>()) {
        if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
            continue;
        const QRect ink = inkOfLabel(label);
        const QRect box = label->contentsRect();
        QVERIFY2(box.contains(ink),
                 qPrintable(QStringLiteral("%1 \"%2\": text at %3,%4 %5x%6 in %7x%8")
                                .arg(label->objectName(), label->text())
                                .arg(ink.x())
                                .arg(ink.y())
                                .arg(ink.width())
                                .arg(ink.height())
                                .arg(box.width())
                                .arg(box.height())));
        // Nor does it run under a widget beside it (the web address after
        // "Website:", say).
        const QRect inkInDialog = ink.translated(label->pos());
        for (QWidget* other : top->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QVERIFY2(other == label || !other->geometry().intersects(inkInDialog),
                     qPrintable(QStringLiteral("%1 \"%2\" runs under %3")
                                    .arg(label->objectName(), label->text(), other->objectName())));
        }
    }
    for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
        if (button->text().isEmpty() || !button->isVisible())
            continue;
        QVERIFY2(button->width() >= button->sizeHint().width(),
                 qPrintable(QStringLiteral("%1 \"%2\": %3 wide, needs %4")
                                .arg(button->objectName(), button->text())
                                .arg(button->width())
                                .arg(button->sizeHint().width())));
    }
}

void savePicture(QWidget* widget, const char* what) {
    const QString file =
        QStringLiteral(VIGILOR_SCREENSHOT_DIR "/%1-%2.png").arg(pictures, QLatin1String(what));
    QVERIFY(widget->grab().save(file));
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        clearApplicationValues();
        QCOMPARE(installTranslations(qApp), language);
    }

    void formInUserLanguage() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        savePicture(&window, "form");
        auto* start = window.findChild<QAbstractButton*>("startButton");
        QVERIFY(start);
        QCOMPARE(start->text(), samples[language].startButton);
        // The agent finds the window by this title, in every language.
        QCOMPARE(window.windowTitle(), QStringLiteral("PC-Vigilor"));
        QDialogButtonBox buttons(QDialogButtonBox::Cancel);
        QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), samples[language].qtCancel);

        // The form is laid out: every text gets the room it asks for.
        for (QWidget* w : window.findChildren<QWidget*>()) {
            auto* label = qobject_cast<QLabel*>(w);
            if (!(label && !label->text().isEmpty()) && !qobject_cast<QAbstractButton*>(w))
                continue;
            QVERIFY2(w->width() >= w->minimumSizeHint().width() &&
                         w->geometry().right() < window.width(),
                     qPrintable(w->objectName()));
        }
    }

    void dialogTextsShowWhole_data() {
        QTest::addColumn<QString>("which");
        QTest::newRow("about") << "about";
        QTest::newRow("other-product") << "other-product";
    }

    void dialogTextsShowWhole() {
        QFETCH(QString, which);
        std::unique_ptr<QDialog> dialog;
        if (which == "about")
            dialog.reset(new AboutDialog(nullptr));
        else
            dialog.reset(new OtherAppsDialog(nullptr));
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        savePicture(dialog.get(), qPrintable(which));
        verifyTextsFit(dialog.get());
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
