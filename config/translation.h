#ifndef TRANSLATION_H
#define TRANSLATION_H

#include <QString>

class QCoreApplication;

// Installs on the application the translations for the first of the user's
// UI languages that the program knows, ours and Qt's own; English, the
// language of the source texts, installs none. Returns the language chosen
// ("en" for English).
QString installTranslations(QCoreApplication* app);

#endif // TRANSLATION_H
