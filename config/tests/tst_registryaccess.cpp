#include "registryaccess.h"
#include "testsupport.h"

#include <QtTest>

using namespace TestSupport;

namespace {
const wchar_t testKey[] = L"Software\\Quorvex\\PC-Vigilor Tests";
const QString testKeyText = QString::fromWCharArray(testKey);
} // namespace

class TestRegistryAccess : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { RegDeleteTreeW(HKEY_CURRENT_USER, testKey); }

    void readDwordReadsStoredValue() {
        writeDword(testKey, L"number", 0xfffffff6u);
        DWORD value = 7;
        DebugLog log;
        QVERIFY(RegistryAccess().readDword(HKEY_CURRENT_USER, testKeyText, "number", &value));
        QCOMPARE(value, DWORD(0xfffffff6u));
        QVERIFY(log.lines().isEmpty());
    }

    void readDwordFailureKeepsDestinationAndLogs_data() {
        QTest::addColumn<bool>("asText");
        QTest::newRow("missing value") << false;
        QTest::newRow("value stored as text") << true;
    }

    void readDwordFailureKeepsDestinationAndLogs() {
        QFETCH(bool, asText);
        if (asText)
            setString(testKey, L"number", "60");
        DWORD value = 42;
        DebugLog log;
        QVERIFY(!RegistryAccess().readDword(HKEY_CURRENT_USER, testKeyText, "number", &value));
        QCOMPARE(value, DWORD(42));
        QCOMPARE(log.lines(),
                 QStringList{"\"Software\\\\Quorvex\\\\PC-Vigilor Tests\"  :  \"number\"  : "
                             "Cannot read DWORD from registry."});
    }

    void readDwordRejectsWrongSizedBinary() {
        const char bytes[2] = {1, 2};
        writeValue(testKey, L"number", REG_BINARY, bytes, sizeof(bytes));
        DWORD value = 42;
        QVERIFY(!RegistryAccess().readDword(HKEY_CURRENT_USER, testKeyText, "number", &value));
        QCOMPARE(value, DWORD(42));
    }

    void readStringReadsText() {
        setString(testKey, L"Path", "C:\\Program Files\\PC-Vigilor");
        QString text = "stale";
        DebugLog log;
        QVERIFY(RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text));
        QCOMPARE(text, QString("C:\\Program Files\\PC-Vigilor"));
        QVERIFY(log.lines().isEmpty());
    }

    void readStringMissingValueLogsError() {
        writeDword(testKey, L"other", 1);
        QString text = "stale";
        DebugLog log;
        QVERIFY(!RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text));
        QCOMPARE(text, QString());
        QCOMPARE(log.lines(), QStringList{"error"});
    }

    void readStringMissingKeyIsSilent() {
        QString text = "stale";
        DebugLog log;
        QVERIFY(!RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text));
        QCOMPARE(text, QString());
        QVERIFY(log.lines().isEmpty());
    }

    void readStringStopsAtEmbeddedNull() {
        const wchar_t data[] = L"C:\\one\0C:\\two";
        writeValue(testKey, L"Path", REG_SZ, data, sizeof(data));
        QString text;
        QVERIFY(RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text));
        QCOMPARE(text, QString("C:\\one"));
    }

    // Text written by another tool need not be terminated, nor have an even
    // number of bytes; the read must stay inside its buffer either way.
    void readStringOfUnterminatedOddSizedValue() {
        const char data[] = {'A', 0, 'B', 0, 'C'};
        writeValue(testKey, L"Path", REG_SZ, data, sizeof(data));
        QString text;
        RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text);
        QVERIFY(text.startsWith("AB"));
        QVERIFY(text.size() <= 3);
    }

    void readStringOfLongText() {
        const QString longText(5000, QChar('x'));
        setString(testKey, L"Path", longText);
        QString text;
        QVERIFY(RegistryAccess().readString(HKEY_CURRENT_USER, testKeyText, "Path", text));
        QCOMPARE(text, longText);
    }

    void writeDwordCreatesMissingKeys() {
        const QString nested = testKeyText + "\\a\\b";
        DebugLog log;
        QVERIFY(RegistryAccess().writeDword(HKEY_CURRENT_USER, nested, "VigilorActive", 1));
        QCOMPARE(log.lines(), QStringList{"true"});
        QCOMPARE(readDword(reinterpret_cast<const wchar_t*>(nested.utf16()), L"VigilorActive"),
                 std::optional<DWORD>(1));
    }

    // The key opens, but the value cannot be written: a failure all the same,
    // with the reason left for the caller.
    void writeDwordReportsValueThatCannotBeWritten() {
        writeDword(testKey, L"other", 1);
        DebugLog log;
        SetLastError(ERROR_SUCCESS);
        QVERIFY(
            !RegistryAccess().writeDword(HKEY_CURRENT_USER, testKeyText, QString(20000, 'v'), 1));
        QVERIFY(GetLastError() != ERROR_SUCCESS);
        QVERIFY(log.lines().isEmpty());
    }

    void writeDwordReportsKeyThatCannotBeCreated() {
        DebugLog log;
        // No root key, nothing to open or create.
        QVERIFY(!RegistryAccess().writeDword(HKEY(nullptr), testKeyText, "x", 1));
        QVERIFY(log.lines().isEmpty());
    }
};

QTEST_MAIN(TestRegistryAccess)
#include "tst_registryaccess.moc"
