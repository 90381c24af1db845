#pragma once

#include <QDialog>

namespace Ui {
class OtherAppsDialog;
}

// Presents the maker's optimisation suite, with its web page and shop.
class OtherAppsDialog : public QDialog {
    Q_OBJECT

  public:
    explicit OtherAppsDialog(QWidget* parent = nullptr);
    ~OtherAppsDialog() override;

  private slots:
    void on_closeButton_clicked();
    void on_toolButton_clicked();
    void on_upgradeToolButton_clicked();

  private:
    Ui::OtherAppsDialog* ui;
};
