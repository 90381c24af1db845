#include "otherappsdialog.h"
#include "ui_otherappsdialog.h"

#include <windows.h>

#include <shellapi.h>

namespace {
const wchar_t productPage[] = L"https://www.example.com/halvern-plus/";
const wchar_t storeCartPage[] = L"https://store.example.com/cart/add?product=halvern-plus";

void openInBrowser(const wchar_t* address) {
    // The shell reports failure only through the result; a page that cannot
    // be opened leaves the dialog as it was.
    ShellExecuteW(nullptr, nullptr, address, nullptr, nullptr, SW_SHOW);
}
} // namespace

OtherAppsDialog::OtherAppsDialog(QWidget* parent) : QDialog(parent), ui(new Ui::OtherAppsDialog) {
    ui->setupUi(this);
}

OtherAppsDialog::~OtherAppsDialog() {
    delete ui;
}

void OtherAppsDialog::on_closeButton_clicked() {
    deleteLater();
}

void OtherAppsDialog::on_toolButton_clicked() {
    openInBrowser(productPage);
}

void OtherAppsDialog::on_upgradeToolButton_clicked() {
    openInBrowser(storeCartPage);
}
