#include "testsupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QMutex>
#include <QProcess>
#include <QTest>
#include <QTimer>

namespace TestSupport {

const wchar_t settingsKey[] = L"Software\\Quorvex\\PC-Vigilor";
const wchar_t suiteKey[] = L"Software\\Quorvex Halvern Plus!";
const wchar_t policyKey[] = L"SOFTWARE\\Policies\\Quorvex\\PC-Vigilor";

void setString(const wchar_t* key, const wchar_t* name, const QString& value) {
    vigilor_test::writeText(key, name, value.toStdWString());
}

void clearApplicationValues() {
    for (const wchar_t* name :
         {L"duration", L"durationUnit", L"monitorOn", L"powerSchemeOn", L"powerSchemeIndex",
          L"simulatePress", L"simulatePressTimeOut", L"shutdownWindows", L"posX", L"posY", L"width",
          L"height", L"Path", L"VigilorActive", L"hotkey"})
        deleteValue(settingsKey, name);
    deleteValue(suiteKey, L"VigilorActive");
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER})
        RegDeleteTreeW(root, policyKey);
}

LockedKey::LockedKey(const wchar_t* key) {
    // The handle keeps the right to change the DACL after it is emptied.
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, READ_CONTROL | WRITE_DAC, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    RegGetKeySecurity(handle, DACL_SECURITY_INFORMATION, nullptr, &size);
    previous.resize(size);
    if (size == 0 || RegGetKeySecurity(handle, DACL_SECURITY_INFORMATION, previous.data(), &size) !=
                         ERROR_SUCCESS)
        return;
    ACL empty = {};
    SECURITY_DESCRIPTOR descriptor = {};
    InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, &empty, FALSE);
    isLocked = RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
}

LockedKey::~LockedKey() {
    if (isLocked)
        RegSetKeySecurity(handle, DACL_SECURITY_INFORMATION, previous.data());
    if (handle)
        RegCloseKey(handle);
}

namespace {
QMutex logMutex;
QStringList logLines;
QtMessageHandler previousHandler = nullptr;
std::function<void(const QString&)> lineHook;

void collect(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // Only the application's own lines: Qt warns about what Wine lacks.
    if (type == QtDebugMsg) {
        QMutexLocker lock(&logMutex);
        logLines.append(text);
    }
    if (type == QtDebugMsg && lineHook)
        lineHook(text);
    if (previousHandler)
        previousHandler(type, context, text);
}
} // namespace

DebugLog::DebugLog(std::function<void(const QString&)> onLine) {
    clear();
    lineHook = std::move(onLine);
    previousHandler = qInstallMessageHandler(collect);
}

DebugLog::~DebugLog() {
    qInstallMessageHandler(previousHandler);
    lineHook = nullptr;
}

QStringList DebugLog::lines() const {
    QMutexLocker lock(&logMutex);
    return logLines;
}

void DebugLog::clear() {
    QMutexLocker lock(&logMutex);
    logLines.clear();
}

int DebugLog::count(const QString& line) const {
    return int(lines().count(line));
}

namespace {
std::vector<PostedMessage> standInLog;

LRESULT CALLBACK standInProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_USER + 700 && message <= WM_USER + 704) {
        standInLog.push_back({message, wParam, lParam});
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
} // namespace

StandInAgent::StandInAgent() {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = standInProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VIGILORTASKBAR";
    RegisterClassExW(&wc);
    hwnd = CreateWindowExW(0, L"VIGILORTASKBAR", L"VigilorTaskbar", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                           100, nullptr, nullptr, wc.hInstance, nullptr);
    standInLog.clear();
}

StandInAgent::~StandInAgent() {
    DestroyWindow(hwnd);
    UnregisterClassW(L"VIGILORTASKBAR", GetModuleHandleW(nullptr));
}

std::vector<UINT> StandInAgent::messages() const {
    std::vector<UINT> numbers;
    for (const PostedMessage& m : standInLog)
        numbers.push_back(m.message);
    return numbers;
}

const std::vector<PostedMessage>& StandInAgent::received() const {
    return standInLog;
}

void StandInAgent::clear() {
    standInLog.clear();
}

void onNextModal(std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        action(modal);
    });
    poll->start(50);
}

bool screenshot(const QString& fileName) {
    // Wine runs a Unix program given by its path on drive Z:, but cannot tell
    // when it ends; the picture is done when it can be read back.
    const QString inWine = QStringLiteral("Z:") + fileName;
    QFile::remove(inWine);
    if (!QProcess::startDetached(QStringLiteral("Z:\\usr\\bin\\import"),
                                 {QStringLiteral("-window"), QStringLiteral("root"), fileName}))
        return false;
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QTest::qWait(200);
        if (!QImage(inWine).isNull())
            return true;
    }
    return false;
}

int inkPixels(const QString& fileName, const QWidget* widget) {
    const QImage shot(QStringLiteral("Z:") + fileName);
    const QRect area =
        QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()).adjusted(2, 2, -2, -2);
    if (shot.isNull() || !shot.rect().contains(area))
        return 0;
    QHash<QRgb, int> colours;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ++colours[shot.pixel(x, y)];
    QRgb background = 0;
    int most = 0;
    for (auto it = colours.cbegin(); it != colours.cend(); ++it) {
        if (it.value() > most) {
            most = it.value();
            background = it.key();
        }
    }
    const int level = qGray(background);
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAbs(qGray(shot.pixel(x, y)) - level) > 64)
                ++ink;
    return ink;
}

HWND realAgentWindow() {
    return FindWindowW(L"VIGILORTASKBAR", L"VigilorTaskbar");
}

void endAgents() {
    constexpr UINT closeCommand = 210; // the agent's tray menu "Close"
    for (int attempt = 0; attempt < 20; ++attempt) {
        HWND window = realAgentWindow();
        if (!window)
            return;
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        PostMessageW(window, WM_COMMAND, closeCommand, 0);
        if (process) {
            if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0)
                TerminateProcess(process, 1);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
}

} // namespace TestSupport
