// The smallest Qt Widgets program the benchmark compares the configuration
// application with: one main window of the same title, nothing in it.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("PC-Vigilor"));
    window.resize(400, 300);
    window.show();
    return app.exec();
}
