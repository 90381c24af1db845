#include "vigilorform.h"
#include "ui_vigilorform.h"

#include "aboutdialog.h"
#include "agentprotocol.h"
#include "hotkeyvalue.h"
#include "otherappsdialog.h"

#include <QBrush>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QHBoxLayout>
#include <QLayout>
#include <QMessageBox>
#include <QPalette>
#include <QTimer>
#include <QVBoxLayout>

#include <shellapi.h>

#include <algorithm>

namespace {

constexpr int agentPollInterval = 2000;
// Polls that may fail silently before the user is told the agent did not come up.
constexpr int agentPollLimit = 10;

// Widgets clamp what they are given, but as signed ints: a huge unsigned
// registry value would wrap to a negative and land on the wrong bound.
int clampToRange(DWORD value, int minimum, int maximum) {
    if (value < DWORD(minimum))
        return minimum;
    if (value > DWORD(maximum))
        return maximum;
    return int(value);
}

// The longest duration the form offers in either unit.
constexpr int longestDuration = 1000;

// The widgets of `layout` and its inner layouts, in the order they show:
// each row left to right, the rows top to bottom.
void widgetsInLayoutOrder(QLayout* layout, QList<QWidget*>& widgets) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (QWidget* widget = item->widget())
            widgets.append(widget);
        else if (QLayout* inner = item->layout())
            widgetsInLayoutOrder(inner, widgets);
    }
}

// A combo box given an index it does not have shows nothing and reports -1,
// which the next save would store; an unknown stored index means the default.
int indexOrDefault(DWORD value, int count, int fallback) {
    return value < DWORD(count) ? int(value) : fallback;
}

} // namespace

VigilorForm::VigilorForm(QWidget* parent) : QWidget(parent), ui(new Ui::VigilorForm) {
    ui->setupUi(this);
    buildLayouts();
    nameInputsForScreenReaders();
    followScreenOrderWithTab();

    ui->keepAwakeComboBox->addItem(QIcon(), tr("Minute(s)"), QVariant());
    ui->keepAwakeComboBox->addItem(QIcon(), tr("Hour(s)"), QVariant());
    ui->powerSchemeComboBox->addItem(QIcon(), tr("Power saver"), QVariant());
    ui->powerSchemeComboBox->addItem(QIcon(), tr("Balanced"), QVariant());
    ui->powerSchemeComboBox->addItem(QIcon(), tr("High performance"), QVariant());

    ui->cancelButton->setEnabled(false);
    readSettings();
    ui->vigilorNoteLabel->setText(QString());
    taskbarAppTitle = Vigilor::agentWindowTitle;
    taskbarAppClass = Vigilor::agentWindowClass;
    // Filling the lists and loading the options went through the change
    // slots; nothing has been edited yet.
    ui->saveButton->setEnabled(false);

    QPalette palette = ui->shutdownCheckBox->palette();
    palette.setBrush(QPalette::Active, QPalette::WindowText,
                     QBrush(QColor(Qt::red), Qt::SolidPattern));
    ui->shutdownCheckBox->setPalette(palette);
}

VigilorForm::~VigilorForm() {
    delete ui;
}

void VigilorForm::buildLayouts() {
    toolbarLayout = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->startButton, ui->cancelButton, ui->line1, ui->saveButton, ui->line2,
             ui->halvernButton, ui->websiteButton, ui->line3, ui->aboutButton})
        toolbarLayout->addWidget(w);
    toolbarLayout->setAlignment(Qt::AlignLeft);
    toolbarLayout->setContentsMargins(0, 0, 0, 0);

    auto* durationRow = new QHBoxLayout;
    durationRow->addWidget(ui->keepAwakeLabel);
    durationRow->addWidget(ui->keepAwakeSpinBox);
    durationRow->addWidget(ui->keepAwakeComboBox);
    durationRow->setAlignment(Qt::AlignLeft);

    auto* keyPressRow = new QHBoxLayout;
    keyPressRow->addWidget(ui->simulatePressCheckBox);
    keyPressRow->addWidget(ui->simulatePressSpinBox);
    keyPressRow->addWidget(ui->simulatePressUnitLabel);
    keyPressRow->setAlignment(Qt::AlignLeft);

    auto* powerSchemeRow = new QHBoxLayout;
    powerSchemeRow->addWidget(ui->powerSchemeCheckBox);
    powerSchemeRow->addWidget(ui->powerSchemeComboBox);
    powerSchemeRow->setAlignment(Qt::AlignLeft);

    optionsLayout = new QVBoxLayout;
    optionsLayout->addWidget(ui->vigilorNoteLabel);
    optionsLayout->addLayout(durationRow);
    optionsLayout->addSpacing(10);
    optionsLayout->addWidget(ui->actionLabel);
    optionsLayout->addWidget(ui->monitorOnCheckBox);
    optionsLayout->addLayout(powerSchemeRow);
    optionsLayout->addLayout(keyPressRow);
    optionsLayout->addWidget(ui->simulatePressLabel);
    optionsLayout->addWidget(ui->shutdownCheckBox);
    optionsLayout->addLayout(buildHotkeyRow());
    optionsLayout->addSpacing(20);
    optionsLayout->addWidget(ui->trayIconImageLabel);
    optionsLayout->addWidget(ui->trayIconInfoLabel);
    optionsLayout->setAlignment(Qt::AlignTop);

    outerLayout = new QVBoxLayout;
    outerLayout->addLayout(toolbarLayout);
    outerLayout->addLayout(optionsLayout);
    setLayout(outerLayout);
}

QHBoxLayout* VigilorForm::buildHotkeyRow() {
    auto* row = new QHBoxLayout;
    row->addWidget(ui->hotkeyLabel);
    row->addWidget(ui->hotkeyEdit);
    row->addWidget(ui->hotkeyClearButton);
    // The editor and the button would otherwise share the width of the form.
    row->addStretch();
    return row;
}

std::array<std::pair<const char*, DWORD*>, 8> VigilorForm::options() {
    // The order in which the agent and the store expect them.
    const auto& names = Vigilor::optionValues;
    return {{{names[0].name, &duration},
             {names[1].name, &durationUnit},
             {names[2].name, &monitorOn},
             {names[3].name, &powerSchemeOn},
             {names[4].name, &powerSchemeIndex},
             {names[5].name, &simulatePress},
             {names[6].name, &simulatePressTimeOut},
             {names[7].name, &shutdownWindows}}};
}

std::vector<std::pair<const char*, DWORD*>> VigilorForm::savedValues() {
    const auto eight = options();
    std::vector<std::pair<const char*, DWORD*>> values(eight.begin(), eight.end());
    values.emplace_back(Vigilor::hotkeyValue, &hotkey);
    return values;
}

void VigilorForm::readHotkey() {
    RegistryAccess().readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, Vigilor::hotkeyValue,
                               &hotkey);
    acceptedHotkey = HotkeyValue::toKeySequence(hotkey);
    ui->hotkeyEdit->setKeySequence(acceptedHotkey);
}

void VigilorForm::readSettings() {
    RegistryAccess registry;
    for (const auto& [name, field] : options())
        registry.readDword(HKEY_CURRENT_USER, Vigilor::settingsKey, name, field);

    QSpinBox* spin = ui->keepAwakeSpinBox;
    spin->setValue(clampToRange(duration, spin->minimum(), spin->maximum()));
    ui->keepAwakeComboBox->setCurrentIndex(
        indexOrDefault(durationUnit, ui->keepAwakeComboBox->count(), 0));
    ui->monitorOnCheckBox->setChecked(monitorOn == 1);
    ui->powerSchemeCheckBox->setChecked(powerSchemeOn == 1);
    ui->powerSchemeComboBox->setCurrentIndex(
        indexOrDefault(powerSchemeIndex, ui->powerSchemeComboBox->count(), 1));
    ui->simulatePressCheckBox->setChecked(simulatePress == 1);
    spin = ui->simulatePressSpinBox;
    spin->setValue(clampToRange(simulatePressTimeOut, spin->minimum(), spin->maximum()));
    ui->shutdownCheckBox->setChecked(shutdownWindows == 1);
    showPolicy();
    readHotkey();
}

VigilorForm::SaveOutcome VigilorForm::writeSettings() {
    qDebug() << "writeSettings";
    duration = durationToStore();
    durationUnit = DWORD(ui->keepAwakeComboBox->currentIndex());
    // A switch the organisation decides shows its rule; the user's own
    // option stays as it is stored.
    if (policy.allowDisplayOn)
        monitorOn = ui->monitorOnCheckBox->isChecked() ? 1 : 0;
    if (policy.allowPowerScheme)
        powerSchemeOn = ui->powerSchemeCheckBox->isChecked() ? 1 : 0;
    powerSchemeIndex = DWORD(ui->powerSchemeComboBox->currentIndex());
    if (policy.allowKeyPress)
        simulatePress = ui->simulatePressCheckBox->isChecked() ? 1 : 0;
    simulatePressTimeOut = DWORD(ui->simulatePressSpinBox->value());
    if (policy.allowShutdown)
        shutdownWindows = ui->shutdownCheckBox->isChecked() ? 1 : 0;
    hotkey = acceptedHotkey.isEmpty() ? 0 : HotkeyValue::fromKeyCombination(acceptedHotkey[0]);

    // All or nothing: a set of options that the form never showed would be
    // what the next start from the tray uses.
    RegistryAccess registry;
    WrittenOptions written;
    for (const auto& [name, field] : savedValues()) {
        RegistryAccess::StoredValue before;
        if (!registry.readStored(HKEY_CURRENT_USER, Vigilor::settingsKey, name, &before) ||
            !registry.writeDword(HKEY_CURRENT_USER, Vigilor::settingsKey, name, *field)) {
            const DWORD error = GetLastError();
            qDebug().nospace() << "writeSettings: failed at " << name;
            return {error, putBack(written)};
        }
        written.emplace_back(name, std::move(before));
    }

    // Only now is the set complete, so the agent never reads half of it.
    postToAgent(Vigilor::WM_VIGILOR_RELOAD);
    return {};
}

bool VigilorForm::putBack(const WrittenOptions& written) {
    RegistryAccess registry;
    bool all = true;
    for (const auto& [name, before] : written)
        all = registry.restore(HKEY_CURRENT_USER, Vigilor::settingsKey, name, before) && all;
    return all;
}

void VigilorForm::tellSettingsNotSaved(const QString& outcome, const SaveOutcome& saved) {
    const QString reason =
        saved.error == ERROR_ACCESS_DENIED
            ? tr("Windows does not allow PC-Vigilor to change its settings in the registry.")
            : tr("Windows reported: %1").arg(qt_error_string(int(saved.error)));
    const QString stored = saved.putBack
                               ? tr("The stored settings are unchanged.")
                               : tr("Some stored settings were changed and could not be put back.");
    showMessageBox(QMessageBox::Warning, QStringLiteral("PC-Vigilor"),
                   outcome + QLatin1Char(' ') + reason + QLatin1Char(' ') + stored);
}

void VigilorForm::showMessageBox(QMessageBox::Icon icon, const QString& title,
                                 const QString& text) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, this);
    box.exec();
    // A message box is a top-level window of the main window's class, some
    // with its title too: while it was open, the agent's reports may have
    // gone to the box. The answer to this settles what the form shows.
    postToAgent(Vigilor::WM_VIGILOR_QUERY);
}

void VigilorForm::setOptionsEnabled(bool enable) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->keepAwakeLabel, ui->keepAwakeComboBox, ui->keepAwakeSpinBox, ui->actionLabel,
             ui->monitorOnCheckBox, ui->powerSchemeCheckBox, ui->powerSchemeComboBox,
             ui->simulatePressCheckBox, ui->simulatePressSpinBox, ui->simulatePressUnitLabel,
             ui->simulatePressLabel, ui->shutdownCheckBox})
        w->setEnabled(enable && !decidedByPolicy(w));
    if (!enable)
        ui->vigilorNoteLabel->setText(QString());
}

void VigilorForm::writeVigilorActive(int value) {
    RegistryAccess().writeDword(HKEY_CURRENT_USER, Vigilor::suiteKey, Vigilor::activeValue,
                                DWORD(value));
}

HWND VigilorForm::agentWindow() const {
    return FindWindowW(Vigilor::wide(taskbarAppClass), Vigilor::wide(taskbarAppTitle));
}

void VigilorForm::postToAgent(UINT message) const {
    // Looked up afresh each time: the agent may have been restarted.
    if (HWND agent = agentWindow())
        PostMessageW(agent, message, 0, 0);
}

void VigilorForm::showIdle() {
    ui->startButton->setEnabled(true);
    ui->cancelButton->setEnabled(false);
    setOptionsEnabled(true);
}

void VigilorForm::showRunning() {
    ui->startButton->setEnabled(false);
    ui->cancelButton->setEnabled(true);
    setOptionsEnabled(false);
}

void VigilorForm::showEvent(QShowEvent*) {
    checkVigilorSession();
}

void VigilorForm::checkVigilorSession() {
    qDebug() << "checkVigilorSession";
    if (HWND agent = agentWindow())
        PostMessageW(agent, Vigilor::WM_VIGILOR_QUERY, 0, 0); // the reply settles the display
    else
        showIdle();
}

void VigilorForm::setVigilorSessionDuration(int endMinute) {
    qDebug().nospace() << "setVigilorSessionDuration: " << endMinute;
    if (endMinute <= 0) {
        showIdle();
        ui->vigilorNoteLabel->setText(QString());
        writeVigilorActive(0);
        return;
    }
    showRunning();
    // The agent does not wrap past midnight, and neither does the display.
    ui->vigilorNoteLabel->setText(tr("Vigilor session will be ended at ") +
                                  QStringLiteral("%1:%2")
                                      .arg(endMinute / 60, 2, 10, QLatin1Char('0'))
                                      .arg(endMinute % 60, 2, 10, QLatin1Char('0')));
    writeVigilorActive(1);
}

void VigilorForm::on_startButton_clicked() {
    // Asked afresh: the agent would refuse the start all the same.
    if (SessionPolicy::read().disabled) {
        showMessageBox(QMessageBox::Information, QStringLiteral("PC-Vigilor"),
                       tr("PC-Vigilor is turned off by your organisation"));
        return;
    }
    // A session must not start with options other than those on the form.
    if (const SaveOutcome saved = writeSettings(); saved.error != ERROR_SUCCESS) {
        tellSettingsNotSaved(tr("The settings could not be saved, so the session was not started."),
                             saved);
        return;
    }
    writeVigilorActive(1);
    showRunning();
    launchAgent();
}

void VigilorForm::on_cancelButton_clicked() {
    writeVigilorActive(0);
    // The user's cancel is final: an agent that turns up later must not be
    // started behind their back.
    if (waitTimer)
        waitTimer->stop();
    postToAgent(Vigilor::WM_VIGILOR_CANCEL);
    showIdle();
    ui->vigilorNoteLabel->setText(QString());
}

void VigilorForm::on_saveButton_clicked() {
    if (const SaveOutcome saved = writeSettings(); saved.error != ERROR_SUCCESS) {
        // The form keeps what the user entered, and Save stays available to
        // try again.
        tellSettingsNotSaved(tr("The settings could not be saved."), saved);
        return;
    }
    ui->saveButton->setEnabled(false);
}

void VigilorForm::on_websiteButton_clicked() {
    ShellExecuteW(nullptr, nullptr, Vigilor::wide(Vigilor::makerWebSite), nullptr, nullptr,
                  SW_SHOW);
}

void VigilorForm::on_halvernButton_clicked() {
    (new OtherAppsDialog(this))->exec();
}

void VigilorForm::on_aboutButton_clicked() {
    (new AboutDialog(this))->exec();
}

QString VigilorForm::agentFolder() const {
    QString folder;
    RegistryAccess().readString(HKEY_CURRENT_USER, Vigilor::settingsKey, Vigilor::pathValue,
                                folder);
    // A folder that leaves no room for the agent's file name within MAX_PATH
    // cannot name the agent; the shell may even fail hard on such a name
    // (Wine's crashes on one of 32,767 characters). It counts as missing, as
    // it does for the agent when it opens this program.
    if (folder.size() + Vigilor::agentProgram.size() >= MAX_PATH)
        folder.clear();
    // Without an installation record the agent is expected beside this
    // program, as the installer puts it, not in the root of the current drive.
    if (folder.isEmpty())
        folder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    return folder;
}

void VigilorForm::launchAgent() {
    // A wait left over from an earlier Start would post a second start
    // command once the agent is up.
    if (waitTimer)
        waitTimer->stop();
    HWND agent = agentWindow();
    qDebug().noquote().nospace() << "taskbarAppTitle: " << taskbarAppTitle;
    qDebug().noquote().nospace() << "taskbarAppClass: " << taskbarAppClass;
    const QString program = agentFolder() + Vigilor::agentProgram;
    qDebug().noquote().nospace() << "appFullPath: " << program;
    qDebug().noquote().nospace() << "appFullPath: " << program;

    if (agent) {
        PostMessageW(agent, Vigilor::WM_VIGILOR_START, 0, 0);
        return;
    }

    ShellExecuteW(reinterpret_cast<HWND>(winId()), L"open", Vigilor::wide(program), nullptr,
                  nullptr, SW_HIDE);

    // One timer serves every wait.
    if (!waitTimer) {
        waitTimer = new QTimer(this);
        connect(waitTimer, SIGNAL(timeout()), this, SLOT(handleWaitForTasbarApp()));
    }
    waitCount = 0;
    waitTimer->start(agentPollInterval);
}

void VigilorForm::handleWaitForTasbarApp() {
    qDebug() << "handleWaitForTasbarApp";
    if (HWND agent = agentWindow()) {
        PostMessageW(agent, Vigilor::WM_VIGILOR_START, 0, 0);
        waitTimer->stop();
        return;
    }
    if (++waitCount <= agentPollLimit)
        return;

    waitTimer->stop();
    // No session runs: say so before the box, so that a state report that
    // arrives while the box is open is not overwritten afterwards.
    writeVigilorActive(0);
    showIdle();
    showMessageBox(
        QMessageBox::Information, tr("Error"),
        tr("The Vigilor module cannot start properly. please try again in a few minutes."));
}

void VigilorForm::on_keepAwakeSpinBox_valueChanged(int) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_keepAwakeComboBox_currentIndexChanged(int) {
    updateDurationMaximum();
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_monitorOnCheckBox_toggled(bool) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_powerSchemeCheckBox_toggled(bool) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_powerSchemeComboBox_currentIndexChanged(int) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_simulatePressCheckBox_toggled(bool) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_simulatePressSpinBox_valueChanged(int) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::on_shutdownCheckBox_toggled(bool) {
    ui->saveButton->setEnabled(true);
}

void VigilorForm::showPolicy() {
    policy = SessionPolicy::read();
    // What a session will do: a switch the organisation turns off shows off.
    const std::pair<QCheckBox*, bool> switches[] = {
        {ui->monitorOnCheckBox, policy.allowDisplayOn},
        {ui->simulatePressCheckBox, policy.allowKeyPress},
        {ui->shutdownCheckBox, policy.allowShutdown},
        {ui->powerSchemeCheckBox, policy.allowPowerScheme}};
    for (const auto& [box, allowed] : switches)
        if (!allowed)
            box->setChecked(false);
    for (QWidget* w : std::initializer_list<QWidget*>{
             ui->monitorOnCheckBox, ui->simulatePressCheckBox, ui->simulatePressSpinBox,
             ui->shutdownCheckBox, ui->powerSchemeCheckBox, ui->powerSchemeComboBox}) {
        if (decidedByPolicy(w)) {
            w->setEnabled(false);
            w->setToolTip(tr("Set by your organisation"));
        }
    }
    updateDurationMaximum();
}

void VigilorForm::updateDurationMaximum() {
    int most = longestDuration;
    if (policy.maxSessionHours != 0) {
        const int hours = policy.maxSessionHours;
        const bool inHours = ui->keepAwakeComboBox->currentIndex() == 1;
        most = std::min(most, inHours ? hours : hours * 60);
        ui->keepAwakeSpinBox->setToolTip(
            tr("Set by your organisation: at most %1 hour(s)").arg(hours));
    }
    ui->keepAwakeSpinBox->setMaximum(most);
}

bool VigilorForm::decidedByPolicy(const QWidget* widget) const {
    if (widget == ui->monitorOnCheckBox)
        return !policy.allowDisplayOn;
    if (widget == ui->simulatePressCheckBox || widget == ui->simulatePressSpinBox)
        return !policy.allowKeyPress;
    if (widget == ui->shutdownCheckBox)
        return !policy.allowShutdown;
    if (widget == ui->powerSchemeCheckBox || widget == ui->powerSchemeComboBox)
        return !policy.allowPowerScheme;
    return false;
}

DWORD VigilorForm::durationToStore() const {
    // Shown at the organisation's limit, a longer stored length in the same
    // unit is still what the user chose.
    const int shown = ui->keepAwakeSpinBox->value();
    if (policy.maxSessionHours != 0 && shown == ui->keepAwakeSpinBox->maximum() &&
        DWORD(ui->keepAwakeComboBox->currentIndex()) == durationUnit && duration > DWORD(shown))
        return duration;
    return DWORD(shown);
}

void VigilorForm::nameInputsForScreenReaders() {
    // An input without a text of its own is named after the words beside it
    // on screen.
    const QString length = ui->keepAwakeLabel->text();
    ui->keepAwakeSpinBox->setAccessibleName(length);
    ui->keepAwakeComboBox->setAccessibleName(tr("%1 (unit)").arg(length));
    ui->powerSchemeComboBox->setAccessibleName(ui->powerSchemeCheckBox->text());
    ui->simulatePressSpinBox->setAccessibleName(ui->simulatePressCheckBox->text().trimmed() +
                                                QLatin1Char(' ') +
                                                ui->simulatePressUnitLabel->text());
}

void VigilorForm::followScreenOrderWithTab() {
    // The designer's order of creation is not the order on screen.
    QList<QWidget*> shown;
    widgetsInLayoutOrder(outerLayout, shown);
    QWidget* previous = nullptr;
    for (QWidget* w : shown) {
        if (!(w->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
}

void VigilorForm::on_hotkeyEdit_editingFinished() {
    // A shortcut is one combination: the editor records up to four, and the
    // first is kept when the agent can register it. Otherwise the shortcut
    // stays as it was; the editor emptied itself when the typing began.
    const QKeySequence typed = ui->hotkeyEdit->keySequence();
    const QKeySequence kept = !typed.isEmpty() && HotkeyValue::fromKeyCombination(typed[0]) != 0
                                  ? QKeySequence(typed[0])
                                  : acceptedHotkey;
    ui->hotkeyEdit->setKeySequence(kept);
    if (kept != acceptedHotkey) {
        acceptedHotkey = kept;
        ui->saveButton->setEnabled(true);
    }
}

void VigilorForm::on_hotkeyClearButton_clicked() {
    ui->hotkeyEdit->clear();
    if (!acceptedHotkey.isEmpty()) {
        acceptedHotkey = QKeySequence();
        ui->saveButton->setEnabled(true);
    }
}
