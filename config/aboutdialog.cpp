#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include "agentprotocol.h"

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::AboutDialog) {
    ui->setupUi(this);

    QString shown = Vigilor::makerWebSite;
    shown.remove(QStringLiteral("https://")).remove(QLatin1Char('/'));
    ui->webLabel->setText(
        QStringLiteral("<a href=\"%1\">%2</a>").arg(Vigilor::makerWebSite, shown));
    ui->webLabel->setTextFormat(Qt::RichText);
    ui->webLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    ui->webLabel->setOpenExternalLinks(true);

    ui->label->setText(QStringLiteral("PC-Vigilor"));
}

AboutDialog::~AboutDialog() {
    delete ui;
}

void AboutDialog::on_closeButton_clicked() {
    // A fresh dialog is made for every click, so a closed one is freed.
    deleteLater();
}
