#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "agentprotocol.h"
#include "registryaccess.h"
#include "vigilorform.h"

#include <QCloseEvent>
#include <QStackedLayout>
#include <QVBoxLayout>

#include <windows.h>

namespace {
constexpr DWORD defaultLeft = 100;
constexpr DWORD defaultTop = 100;
constexpr DWORD smallestWidth = 986;
constexpr DWORD smallestHeight = 513;
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
    const DWORD screenWidth = DWORD(GetSystemMetrics(SM_CXFULLSCREEN));
    const DWORD screenHeight = DWORD(GetSystemMetrics(SM_CYFULLSCREEN));
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
