#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "agentprotocol.h"
#include "registryaccess.h"
#include "vigilorform.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QtMath>

#include <windows.h>

namespace {
constexpr DWORD defaultLeft = 100;
constexpr DWORD defaultTop = 100;
constexpr DWORD smallestWidth = 986;
constexpr DWORD smallestHeight = 513;

// Qt 6 makes the process DPI aware, so GetSystemMetrics answers in physical
// pixels, while Qt's geometry, and so the stored one, is in logical pixels:
// at 150 % a metric is half as large again as the same stretch in Qt's terms.
// Rounded down, so that a window clamped to it stays on the screen.
DWORD logicalMetric(int metric) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    const qreal ratio = primary ? primary->devicePixelRatio() : 1.0;
    return DWORD(qFloor(GetSystemMetrics(metric) / ratio));
}
} // namespace

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent), ui(new Ui::MainWindow) {
    ui->setupUi(this);
    readGeometry();

    stack = new QStackedLayout;
    if (!form) {
        form = new VigilorForm(this);
        form->show();
        stack->addWidget(form);
    }
    auto* column = new QVBoxLayout;
    column->addLayout(stack);
    ui->centralwidget->setLayout(column);

    // The agent finds this window by its title.
    setWindowTitle(Vigilor::configWindowTitle);
}

MainWindow::~MainWindow() {
    delete ui;
}

void MainWindow::readGeometry() {
    // Unsigned on purpose: a window last seen on a monitor left of or above
    // the primary one has a negative coordinate, which compares as huge and
    // so is put back on the primary screen.
    DWORD left = defaultLeft;
    DWORD top = defaultTop;
    DWORD width = smallestWidth;
    DWORD height = smallestHeight;
    // The metrics are those of the primary monitor.
    const DWORD screenWidth = logicalMetric(SM_CXFULLSCREEN);
    const DWORD screenHeight = logicalMetric(SM_CYFULLSCREEN);
    RegistryAccess registry;

    registry.readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "posX", &left);
    if (left > screenWidth)
        left = defaultLeft;

    registry.readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "posY", &top);
    if (top > screenHeight)
        top = defaultTop;

    // One correction per dimension: a size that had to be changed keeps the
    // stored position.
    registry.readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "width", &width);
    if (width < smallestWidth)
        width = smallestWidth;
    else if (width > screenWidth)
        width = screenWidth;
    else if (left + width > screenWidth)
        left = screenWidth - width;

    registry.readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "height", &height);
    if (height < smallestHeight)
        height = smallestHeight;
    else if (height > screenHeight)
        height = screenHeight;
    else if (top + height > screenHeight)
        top = screenHeight - height;

    setGeometry(int(left), int(top), int(width), int(height));
}

void MainWindow::closeEvent(QCloseEvent* event) {
    const QRect g = geometry();
    RegistryAccess registry;
    registry.writeDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "posX", DWORD(g.left()));
    registry.writeDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "posY", DWORD(g.top()));
    registry.writeDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "width", DWORD(g.width()));
    registry.writeDword(HKEY_CURRENT_USER, Vigilor::settingsKey, "height", DWORD(g.height()));
    event->accept();
}

bool MainWindow::nativeEvent(const QByteArray&, void* message, qintptr*) {
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == Vigilor::WM_VIGILOR_STATE && form)
        form->setVigilorSessionDuration(int(quint32(msg->wParam)));
    // Qt still handles every message itself.
    return false;
}
