// `cmake --install` of the build into a staging folder (DESTDIR, prefix
// /usr): the program folder as one tree, the links in bin/, the menu entry
// and its icons; the installed program found through its link starts on its
// own data, and a read-only program folder keeps its files when a write
// there fails.

#include "common/Version.h"
#include "enhancements/EnhancementDescriptor.h"
#include "enhancements/EnhancementList.h"

#include "testutils.h"

#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void programFolder_data();
    void programFolder();
    void enhancementsAlreadyInstalled();
    void relativeLinks_data();
    void relativeLinks();
    void desktopEntry();
    void desktopEntryValidates();
    void icons_data();
    void icons();
    void installedProgramStartsOnItsData();
    void readOnlyFolderLosesNothing();

private:
    bool hasDemoData() const { return QFile::exists(m_program + QStringLiteral("tips.dat")); }
    QString run(const QString &program, const QStringList &args, int *exitCode,
                const QProcessEnvironment &env = QProcessEnvironment::systemEnvironment());

    std::unique_ptr<vztest::Sandbox> m_box;
    QString m_stage;   // DESTDIR
    QString m_prefix;  // m_stage + "/usr"
    QString m_program; // the installed program folder, with "/"
};

static QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString TestInstall::run(const QString &program, const QStringList &args, int *exitCode,
                         const QProcessEnvironment &env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForFinished(240000)) {
        p.kill();
        p.waitForFinished();
        *exitCode = -1;
        return QStringLiteral("did not finish");
    }
    *exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

void TestInstall::initTestCase()
{
    const QString build = QStringLiteral(VZ_BUILD_DIR);
    if (!QFile::exists(build + QStringLiteral("/program/vellozine")))
        QSKIP("the program is not built");
    m_box = std::make_unique<vztest::Sandbox>();
    // Others (the read-only case's user) must reach the staged tree.
    QFile::setPermissions(m_box->path(), QFile::permissions(m_box->path()) | QFileDevice::ReadOther
                                             | QFileDevice::ExeOther | QFileDevice::ReadGroup | QFileDevice::ExeGroup);
    m_stage = m_box->path("stage");
    m_prefix = m_stage + QStringLiteral("/usr");
    // A folder given as an absolute path stands outside the prefix.
    const QString dir = QStringLiteral(VZ_INSTALL_PROGRAM_DIR);
    m_program = (dir.startsWith(QLatin1Char('/')) ? m_stage : m_prefix + QLatin1Char('/')) + dir + QLatin1Char('/');
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DESTDIR"), m_stage);
    int code = 0;
    const QString log = run(QStringLiteral(VZ_CMAKE_COMMAND), {QStringLiteral("--install"), build,
                                                            QStringLiteral("--prefix"), QStringLiteral("/usr")},
                            &code, env);
    QVERIFY2(code == 0, qPrintable(log));
}

void TestInstall::programFolder_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("executable");
    QTest::addColumn<bool>("needsData");
    QTest::newRow("program") << "vellozine" << true << false;
    QTest::newRow("vztool") << "vztool" << true << false;
    QTest::newRow("characters") << "characters" << false << false;
    QTest::newRow("help") << "Help/default.html" << false << false;
    QTest::newRow("banner library") << "Enhancements/Dll/BannerMaker.so" << false << false;
    QTest::newRow("frame library") << "Enhancements/Dll/FrameMaker.so" << false << false;
    QTest::newRow("sdk") << "Enhancements/SDK/vzenhancement.h" << false << false;
    QTest::newRow("tips") << "tips.dat" << false << true;
    QTest::newRow("tour") << "Tours/buttons.tor" << false << true;
    QTest::newRow("layout") << "PageLayout/Welcome.VZL" << false << true;
    QTest::newRow("alphabet") << "Alphabets/Color/Lobster Sunset/Images.catalog" << false << true;
    QTest::newRow("clip-art") << "Images/BW/Flowers and Plants/plants.catalog" << false << true;
}

void TestInstall::programFolder()
{
    QFETCH(QString, path);
    QFETCH(bool, executable);
    QFETCH(bool, needsData);
    if (needsData && !QFile::exists(QStringLiteral(VZ_BUILD_DIR "/program/tips.dat")))
        QSKIP("the demo data is not built");
    const QFileInfo installed(m_program + path);
    QVERIFY2(installed.isFile() && !installed.isSymLink(), qPrintable(installed.filePath()));
    QCOMPARE(installed.isExecutable(), executable);
    // Every file is the build's own (the executables are installed from
    // their targets, the rest copied from the build's program folder).
    if (!executable && !path.startsWith(QLatin1String("Enhancements/")))
        QVERIFY(readAll(installed.filePath()) == readAll(QStringLiteral(VZ_BUILD_DIR "/program/") + path));
}

void TestInstall::enhancementsAlreadyInstalled()
{
    const QString folder = m_program + QStringLiteral("Enhancements/");
    QStringList expected;
    for (const char *descriptor : {"plugins/banner/BannerMaker.hmp", "plugins/frame/FrameMaker.hmp"}) {
        const QString source = QStringLiteral(VZ_SOURCE_DIR "/") + QLatin1String(descriptor);
        QStringList lines;
        QVERIFY(vz::readDescriptorFile(source, &lines));
        const vz::DescriptorCheck check = vz::checkDescriptorLines(lines, vz::kProgramVersion);
        QCOMPARE(check.verdict, vz::DescriptorVerdict::Passed);
        expected << check.entry;
        const QString name = QFileInfo(source).fileName();
        QVERIFY(readAll(folder + QStringLiteral("Installed/") + name) == readAll(source));
    }
    QStringList entries;
    QCOMPARE(vz::readEnhancementList(folder + vz::kEnhancementListFile, &entries), vz::ListRead::Ok);
    QCOMPARE(entries, expected);
    QCOMPARE(readAll(folder + vz::kEnhancementListFile), vz::encodeEnhancementList(expected));
    // Nothing is left to offer, whatever the build's own folder holds.
    QVERIFY(vz::findDescriptors(folder).isEmpty());
}

void TestInstall::relativeLinks_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("vellozine") << "vellozine";
    QTest::newRow("vztool") << "vztool";
}

void TestInstall::relativeLinks()
{
    QFETCH(QString, name);
    const QString link = m_prefix + QStringLiteral("/" VZ_INSTALL_BINDIR "/") + name;
    QVERIFY2(QFileInfo(link).isSymLink(), qPrintable(link));
    char target[4096];
    const ssize_t n = ::readlink(QFile::encodeName(link).constData(), target, sizeof target - 1);
    QVERIFY(n > 0);
    const QString raw = QFile::decodeName(QByteArray(target, int(n)));
    QVERIFY2(!raw.startsWith(QLatin1Char('/')), qPrintable(raw));
    QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(m_program + name).canonicalFilePath());
}

void TestInstall::desktopEntry()
{
    const QByteArray bytes = readAll(m_prefix + QStringLiteral("/share/applications/vellozine.desktop"));
    QVERIFY(!bytes.isEmpty());
    const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("[Desktop Entry]"));
    QMap<QString, QString> keys;
    for (const QString &line : lines.mid(1))
        keys.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    QCOMPARE(keys.value("Type"), QStringLiteral("Application"));
    QCOMPARE(keys.value("Name"), QStringLiteral("Vellozine Ririraz"));
    // The launcher's full path under the prefix given at install time, without DESTDIR.
    QCOMPARE(keys.value("Exec"), QStringLiteral("/usr/" VZ_INSTALL_BINDIR "/vellozine"));
    QCOMPARE(keys.value("Icon"), QStringLiteral("vellozine"));
    QCOMPARE(keys.value("Terminal"), QStringLiteral("false"));
    QCOMPARE(keys.value("Categories"), QStringLiteral("Graphics;2DGraphics;RasterGraphics;"));
}

void TestInstall::desktopEntryValidates()
{
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (desktop-file-utils)");
    int code = 0;
    const QString out = run(validator, {m_prefix + QStringLiteral("/share/applications/vellozine.desktop")}, &code);
    QVERIFY2(code == 0 && out.trimmed().isEmpty(), qPrintable(out));
}

void TestInstall::icons_data()
{
    QTest::addColumn<int>("size");
    for (int size : {48, 128, 256})
        QTest::addRow("%d", size) << size;
}

void TestInstall::icons()
{
    QFETCH(int, size);
    const QString hicolor = m_prefix + QStringLiteral("/share/icons/hicolor/");
    QVERIFY(readAll(hicolor + QStringLiteral("scalable/apps/vellozine.svg"))
            == readAll(QStringLiteral(VZ_SOURCE_DIR "/src/shell/icons/app.svg")));
    const QImage icon(hicolor + QStringLiteral("%1x%1/apps/vellozine.png").arg(size));
    QCOMPARE(icon.size(), QSize(size, size));
    QVERIFY(icon.hasAlphaChannel());
    // The rounded blue square: see-through corners, the blue at the middle
    // of the left edge, drawn to the icon's full size.
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0);
    const QRgb edge = icon.pixel(size / 10, size / 2);
    QCOMPARE(qAlpha(edge), 255);
    QVERIFY(qBlue(edge) > 150 && qRed(edge) < 40);
}

void TestInstall::installedProgramStartsOnItsData()
{
    vztest::Sandbox settings;
    const QString enhancements = m_program + QStringLiteral("Enhancements/");
    const QByteArray listBefore = readAll(enhancements + vz::kEnhancementListFile);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VZ_REGISTRY_DIR"), settings.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess program;
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(settings.path());
    program.start(m_prefix + QStringLiteral("/" VZ_INSTALL_BINDIR "/vellozine"), QStringList());
    QVERIFY(program.waitForStarted());
    // The first timer tick writes the store: the window came up, past the
    // "characters" check and the enhancement scan (which would ask first).
    const QString store = settings.path("registry.reg");
    QTRY_VERIFY_WITH_TIMEOUT(readAll(store).contains("HasNewQNFile"), 60000);
    const QString text = QString::fromUtf8(readAll(store));
    program.kill();
    program.waitForFinished();
    // Started through the link, it takes the installed folder as its own.
    const QString folder = QFileInfo(m_program).canonicalFilePath() + QLatin1Char('/');
    QVERIFY2(text.contains(QStringLiteral("\"ImageDir\"=\"%1\"").arg(folder)), qPrintable(text));
    QVERIFY(readAll(enhancements + vz::kEnhancementListFile) == listBefore);
    QVERIFY(vz::findDescriptors(enhancements).isEmpty());
}

void TestInstall::readOnlyFolderLosesNothing()
{
    if (!hasDemoData())
        QSKIP("the demo data is not built");
    // A system install's program folder belongs to root: others cannot
    // write there. Root itself writes anywhere, so it runs the tool as nobody.
    QString program = m_prefix + QStringLiteral("/" VZ_INSTALL_BINDIR "/vztool");
    QStringList args;
    const QString alphabet = m_program + QStringLiteral("Alphabets/Color/Lobster Sunset/");
    if (::geteuid() == 0) {
        const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
        if (setpriv.isEmpty())
            QSKIP("running as root without setpriv");
        args << QStringLiteral("--reuid=65534") << QStringLiteral("--regid=65534") << QStringLiteral("--clear-groups")
             << program;
        program = setpriv;
    } else {
        QFile::setPermissions(alphabet, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    // A catalog update asked for by a marker, in a folder it cannot write.
    const QByteArray catalog = readAll(alphabet + QStringLiteral("Images.catalog"));
    QVERIFY(!catalog.isEmpty());
    QFile marker(alphabet + QStringLiteral("Replace.catalog"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    args << QStringLiteral("catalog") << QStringLiteral("update") << m_program;
    int code = 0;
    const QString out = run(program, args, &code);
    QFile::setPermissions(alphabet, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY2(code == 1, qPrintable(out));
    QVERIFY2(out.contains(QStringLiteral("failed ")) && out.contains(QStringLiteral("Images.catalog")), qPrintable(out));
    QVERIFY(readAll(alphabet + QStringLiteral("Images.catalog")) == catalog);
    QVERIFY(QFile::exists(alphabet + QStringLiteral("Replace.catalog"))); // asked again next time
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
