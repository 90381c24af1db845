#pragma once

#include <QMainWindow>
#include <QPointer>

class QStackedLayout;
class VigilorForm;

namespace Ui {
class MainWindow;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;

  private:
    void readGeometry();

    Ui::MainWindow* ui;
    // Guarded: the agent's report may arrive at any time, also when no form
    // is there to take it.
    QPointer<VigilorForm> form;
    QStackedLayout* stack = nullptr;
};
