#include "mainwindow.h"
#include "translation.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Before any window: texts are translated when widgets are made.
    installTranslations(&app);
    int result;
    {
        MainWindow window;
        window.show();
        result = app.exec();
    }
    return result;
}
