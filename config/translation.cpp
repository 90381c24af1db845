#include "translation.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace {

const QString sourceLanguage = QStringLiteral("en");
const QStringList translatedLanguages = {QStringLiteral("de"), QStringLiteral("fr"),
                                         QStringLiteral("es")};

// "de-CH" and "de" both mean German to us.
QString baseLanguage(const QString& uiLanguage) {
    return uiLanguage.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
}

void installTranslator(QCoreApplication* app, const QString& file) {
    auto* translator = new QTranslator(app);
    if (translator->load(file, QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

QString installTranslations(QCoreApplication* app) {
    // The user's order decides: an English user who also reads German gets
    // English, not the first translation on the list.
    for (const QString& uiLanguage : QLocale::system().uiLanguages()) {
        const QString language = baseLanguage(uiLanguage);
        if (language == sourceLanguage)
            return sourceLanguage;
        if (translatedLanguages.contains(language)) {
            installTranslator(app, QStringLiteral("pcvigilor_") + language);
            installTranslator(app, QStringLiteral("qtbase_") + language);
            return language;
        }
    }
    return sourceLanguage;
}
