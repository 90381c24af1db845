#pragma once

#include <QKeySequence>
#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "agentprotocol.h"
#include "registryaccess.h"
#include "sessionpolicy.h"

#include <windows.h>

#include <array>
#include <utility>
#include <vector>

class QHBoxLayout;
class QShowEvent;
class QTimer;
class QVBoxLayout;

namespace Ui {
class VigilorForm;
}

// The one page of the configuration application: edits the session options
// and starts, cancels and follows the tray agent's session.
class VigilorForm : public QWidget {
    Q_OBJECT

  public:
    explicit VigilorForm(QWidget* parent = nullptr);
    ~VigilorForm() override;

    // The agent's state report: its session end minute, 0 or less for none.
    void setVigilorSessionDuration(int endMinute);

  protected:
    void showEvent(QShowEvent* event) override;

  private slots:
    void handleWaitForTasbarApp();
    void on_startButton_clicked();
    void on_cancelButton_clicked();
    void on_websiteButton_clicked();
    void on_halvernButton_clicked();
    void on_aboutButton_clicked();
    void on_keepAwakeSpinBox_valueChanged(int arg1);
    void on_keepAwakeComboBox_currentIndexChanged(int index);
    void on_monitorOnCheckBox_toggled(bool checked);
    void on_powerSchemeCheckBox_toggled(bool checked);
    void on_powerSchemeComboBox_currentIndexChanged(int index);
    void on_simulatePressCheckBox_toggled(bool checked);
    void on_simulatePressSpinBox_valueChanged(int arg1);
    void on_saveButton_clicked();
    void on_shutdownCheckBox_toggled(bool checked);
    void on_hotkeyEdit_editingFinished();
    void on_hotkeyClearButton_clicked();

  private:
    void buildLayouts();
    QHBoxLayout* buildHotkeyRow();
    std::array<std::pair<const char*, DWORD*>, 8> options();
    // What Save writes: the options and the keyboard shortcut.
    std::vector<std::pair<const char*, DWORD*>> savedValues();
    void readSettings();
    void readHotkey();
    struct SaveOutcome {
        // ERROR_SUCCESS, or the registry's reason why the options could not
        // all be written.
        DWORD error = ERROR_SUCCESS;
        // After a failure: whether the options written before it are back
        // as they were.
        bool putBack = true;
    };
    SaveOutcome writeSettings();
    using WrittenOptions = std::vector<std::pair<const char*, RegistryAccess::StoredValue>>;
    static bool putBack(const WrittenOptions& written);
    void tellSettingsNotSaved(const QString& outcome, const SaveOutcome& saved);
    void showMessageBox(QMessageBox::Icon icon, const QString& title, const QString& text);
    void setOptionsEnabled(bool enable);
    void writeVigilorActive(int value);
    void checkVigilorSession();
    void showIdle();
    void showRunning();
    void launchAgent();
    QString agentFolder() const;
    HWND agentWindow() const;
    void postToAgent(UINT message) const;

    DWORD duration = Vigilor::optionValues[0].byDefault;
    DWORD durationUnit = Vigilor::optionValues[1].byDefault;
    DWORD monitorOn = Vigilor::optionValues[2].byDefault;
    DWORD powerSchemeOn = Vigilor::optionValues[3].byDefault;
    DWORD powerSchemeIndex = Vigilor::optionValues[4].byDefault;
    DWORD simulatePress = Vigilor::optionValues[5].byDefault;
    DWORD simulatePressTimeOut = Vigilor::optionValues[6].byDefault;
    DWORD shutdownWindows = Vigilor::optionValues[7].byDefault;
    DWORD hotkey = 0;
    // The shortcut last taken from the editor, which a combination the
    // agent would not register leaves as it was.
    QKeySequence acceptedHotkey;

    Ui::VigilorForm* ui;
    QVBoxLayout* outerLayout = nullptr;
    QHBoxLayout* toolbarLayout = nullptr;
    QVBoxLayout* optionsLayout = nullptr;

    // What the organisation decides, as read with the options: the controls
    // it decides show the rule, and Save keeps the user's own option.
    SessionPolicy policy;
    void showPolicy();
    void updateDurationMaximum();
    bool decidedByPolicy(const QWidget* widget) const;
    DWORD durationToStore() const;

    // For keyboard and screen-reader users.
    void nameInputsForScreenReaders();
    void followScreenOrderWithTab();

    QTimer* waitTimer = nullptr;
    QString taskbarAppTitle;
    QString taskbarAppClass;
    int waitCount = 0;
};
