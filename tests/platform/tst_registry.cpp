#include "platform/Registry.h"

#include "testutils.h"

using namespace vz;

class TestRegistry : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void typesRoundTrip();
    void wrongTypeFails();
    void parsesRegeditFiles();
    void unreadableFileIsNeverOverwritten_data();
    void unreadableFileIsNeverOverwritten();
    void rootsAreSeparate();

private:
    QTemporaryDir m_dir;
    QString file() const { return m_dir.path() + "/registry.reg"; }
};

void TestRegistry::init()
{
    QFile::remove(file());
    qputenv("VZ_REGISTRY_DIR", m_dir.path().toLocal8Bit());
}

void TestRegistry::typesRoundTrip()
{
    {
        RegistryKey reg(RegRoot::LocalMachine);
        QVERIFY(!reg.openKey("Software\\Test", false));
        QVERIFY(!QFile::exists(file()));
        QVERIFY(reg.openKey("Software\\Test", true));
        reg.writeString("Path", "C:\\Data \"quoted\"");
        reg.writeInteger("Count", -5);
        reg.writeBool("Flag", true);
        reg.writeExpandString("Expand", "%HOME%/x");
    }
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey("software\\test", false)); // keys compare without regard to case
    QCOMPARE(reg.readString("path"), QString("C:\\Data \"quoted\""));
    QCOMPARE(reg.readInteger("Count"), -5);
    QVERIFY(reg.readBool("Flag"));
    QCOMPARE(reg.readString("Expand"), QString("%HOME%/x"));
    QCOMPARE(reg.readString("Absent"), QString());
    QVERIFY(!reg.valueExists("Absent"));
    reg.writeInteger("Flag", 7);
    QVERIFY(reg.readBool("Flag")); // any non-zero value is true
    reg.writeBool("Flag", false);
    QVERIFY(!reg.readBool("Flag"));
    QVERIFY(reg.deleteValue("Flag"));
    QVERIFY(!reg.valueExists("Flag"));
}

void TestRegistry::wrongTypeFails()
{
    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey("Software\\Test", true));
    reg.writeString("Text", "1");
    reg.writeInteger("Number", 1);
    QVERIFY_THROWS_EXCEPTION(RegistryError, reg.readInteger("Text"));
    QVERIFY_THROWS_EXCEPTION(RegistryError, reg.readString("Number"));
    QVERIFY_THROWS_EXCEPTION(RegistryError, reg.readInteger("Missing"));
}

void TestRegistry::parsesRegeditFiles()
{
    // UTF-16 with a byte-order mark, as regedit exports, with a continued hex line.
    const QString text = QStringLiteral(
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_LOCAL_MACHINE\\Software\\Corvanta\\VZ Ririraz]\r\n"
        "\"ImageDir\"=\"C:\\\\Program Files\\\\VZ\\\\\"\r\n"
        "\"RunTour\"=dword:00000001\r\n"
        "\"Expand\"=hex(2):25,00,41,00,25,00,\\\r\n  00,00\r\n"
        "\"Binary\"=hex:01,02\r\n"
        "@=\"default\"\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QFile f(file());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();

    RegistryKey reg(RegRoot::LocalMachine);
    QVERIFY(reg.openKey("Software\\Corvanta\\VZ Ririraz", false));
    QCOMPARE(reg.readString("ImageDir"), QString("C:\\Program Files\\VZ\\"));
    QCOMPARE(reg.readInteger("RunTour"), 1);
    QCOMPARE(reg.readString("Expand"), QString("%A%"));
    QVERIFY_THROWS_EXCEPTION(RegistryError, reg.readString("Binary"));
    QCOMPARE(reg.readString(""), QString("default"));
    // Writing keeps values of other types as they were.
    reg.writeInteger("RunTour", 0);
    RegistryDocument doc;
    QFile back(file());
    QVERIFY(back.open(QIODevice::ReadOnly));
    QVERIFY(doc.parse(back.readAll()));
    const RegKeyData *k = doc.findKey("HKEY_LOCAL_MACHINE\\Software\\Corvanta\\VZ Ririraz");
    QVERIFY(k);
    QCOMPARE(k->values.size(), 5);
    QCOMPARE(k->values.at(3).raw, QString("hex:01,02"));
}

void TestRegistry::unreadableFileIsNeverOverwritten_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("not a registry file") << QByteArray("hello\n");
    QTest::newRow("old header") << QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n");
    QTest::newRow("value outside a key") << QByteArray("Windows Registry Editor Version 5.00\r\n\"A\"=\"b\"\r\n");
    QTest::newRow("unterminated string") << QByteArray("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"A\"=\"b\r\n");
    QTest::newRow("bad dword") << QByteArray("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n\"A\"=dword:xyz\r\n");
    // A continued binary value that runs into text is no binary value.
    QTest::newRow("bad hex") << QByteArray("Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n"
                                           "\"B\"=hex:01,02,\\\r\n  03s Registry\r\n");
}

void TestRegistry::unreadableFileIsNeverOverwritten()
{
    QFETCH(QByteArray, content);
    QFile f(file());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
    f.close();
    RegistryKey reg(RegRoot::CurrentUser);
    QVERIFY(!reg.openKey("A", true));
    QVERIFY_THROWS_EXCEPTION(RegistryError, reg.writeString("x", "y"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), content);
}

void TestRegistry::rootsAreSeparate()
{
    RegistryKey lm(RegRoot::LocalMachine);
    QVERIFY(lm.openKey("Software\\Halvenmoor\\Tessaline Image Browser", true));
    lm.writeBool("HasNewQNFile", true);
    RegistryKey cu(RegRoot::CurrentUser);
    QVERIFY(cu.openKey("Software\\Halvenmoor\\Tessaline Image Browser", true));
    QVERIFY(!cu.valueExists("HasNewQNFile"));
    QVERIFY(lm.readBool("HasNewQNFile"));
}

QTEST_GUILESS_MAIN(TestRegistry)
#include "tst_registry.moc"
