#pragma once

// Small helpers shared by the test programs.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

namespace vztest {

// A scratch folder that disappears with the test.
class Sandbox
{
public:
    Sandbox() { QVERIFY2(m_dir.isValid(), "temporary folder"); }
    QString path(const QString &rel = QString()) const
    {
        return rel.isEmpty() ? m_dir.path() + QLatin1Char('/') : m_dir.filePath(rel);
    }
    // Writes a file (creating its folders) and returns its full path.
    QString write(const QString &rel, const QByteArray &bytes) const
    {
        const QString p = m_dir.filePath(rel);
        QDir().mkpath(QFileInfo(p).absolutePath());
        QFile f(p);
        if (!f.open(QIODevice::WriteOnly))
            qFatal("cannot write %s", qPrintable(p));
        f.write(bytes);
        return p;
    }
    void mkdir(const QString &rel) const { QDir().mkpath(m_dir.filePath(rel)); }

private:
    QTemporaryDir m_dir;
};

// Replaces the file at `path` with one that opens but cannot be read, also
// for root (who reads whatever the permissions say): a link to the process's
// own memory file, whose first page is never mapped. False when the system
// has no such file.
inline bool makeUnreadable(const QString &path)
{
    QFile::remove(path);
    if (!QFile::link(QStringLiteral("/proc/self/mem"), path))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return true;
    f.readAll();
    return f.error() != QFileDevice::NoError;
}

// The folder of shared real-world sample files, or empty when absent.
inline QString testDataDir()
{
    const QString d = QString::fromLocal8Bit(qgetenv("VZ_TESTDATA_DIR"));
    return !d.isEmpty() && QDir(d).exists() ? QDir(d).absolutePath() + QLatin1Char('/') : QString();
}

// The folder of the shared sample metafiles (with a trailing slash), or empty
// when absent.
inline QString sampleMetafileDir()
{
    const QString d = testDataDir();
    return d.isEmpty() || !QDir(d + QStringLiteral("metafiles")).exists() ? QString() : d + QStringLiteral("metafiles/");
}

// One data row per sample metafile (WMF and EMF), in name order, in a column
// "path"; skips the test when the samples are absent.
#define VZ_SAMPLE_METAFILE_ROWS()                                                                                    \
    do {                                                                                                             \
        QTest::addColumn<QString>("path");                                                                           \
        const QString dir_ = vztest::sampleMetafileDir();                                                            \
        if (dir_.isEmpty())                                                                                          \
            QSKIP("the shared sample metafiles are not present");                                                    \
        QStringList files_ = QDir(dir_).entryList({QStringLiteral("*.wmf"), QStringLiteral("*.emf")}, QDir::Files); \
        files_.sort();                                                                                               \
        for (const QString &f : files_)                                                                              \
            QTest::newRow(qPrintable(f)) << dir_ + f;                                                                \
    } while (false)

// Largest per-channel difference between two images of the same size, or
// 256 when the sizes differ.
inline int maxChannelDiff(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 256;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            worst = qMax(worst, qAbs(qRed(p[col]) - qRed(q[col])));
            worst = qMax(worst, qAbs(qGreen(p[col]) - qGreen(q[col])));
            worst = qMax(worst, qAbs(qBlue(p[col]) - qBlue(q[col])));
        }
    }
    return worst;
}

} // namespace vztest
