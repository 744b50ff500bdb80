#pragma once

// A private CUPS server for tests that print for real: its own cupsd on a
// local socket in a temporary folder, with one cups-pdf queue "PDF". Nothing
// of the system's own CUPS set-up is read or changed; cups-pdf writes its
// files to the job user's home (from the password database) + "/PDF".

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

namespace cupstest {

inline QString findTool(const QString &name)
{
    return QStandardPaths::findExecutable(name, {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/bin"),
                                                 QStringLiteral("/sbin"), QStringLiteral("/bin")});
}

// Why the server cannot run here, or empty when everything it needs is present.
inline QString missingRequirement()
{
    if (geteuid() != 0)
        return QStringLiteral("needs root (cupsd runs its backends as root)");
    for (const char *tool : {"cupsd", "lpadmin", "lpstat", "pdftoppm", "pdfinfo"})
        if (findTool(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed").arg(QLatin1String(tool));
    if (!QFileInfo::exists(QStringLiteral("/usr/lib/cups/backend/cups-pdf")))
        return QStringLiteral("the cups-pdf backend is not installed");
    return {};
}

class CupsServer
{
public:
    CupsServer() = default;
    CupsServer(const CupsServer &) = delete;
    CupsServer &operator=(const CupsServer &) = delete;
    ~CupsServer() { stop(); }

    // Starts cupsd and adds the queue "PDF"; sets CUPS_SERVER for this
    // process (do it before the first QPrinter). False with `error` set when
    // it fails.
    bool start(QString *error)
    {
        if (!m_dir.isValid())
            return fail(error, QStringLiteral("no temporary folder"));
        // Filters run as "lp" and must reach the spool below this folder.
        QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                | QFileDevice::ReadGroup | QFileDevice::ExeGroup
                                                | QFileDevice::ReadOther | QFileDevice::ExeOther);
        const QString root = path(QStringLiteral("root"));
        for (const char *sub : {"root", "spool", "spool/tmp", "state", "cache", "log"})
            QDir().mkpath(path(QLatin1String(sub)));
        m_socket = path(QStringLiteral("cups.sock"));

        const QString cupsd = QStringLiteral("LogLevel info\n"
                                             "Listen %1\n"
                                             "Browsing No\n"
                                             "WebInterface No\n"
                                             "DefaultAuthType None\n"
                                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                             "<Policy default>\n  <Limit All>\n    Order deny,allow\n"
                                             "    Allow all\n  </Limit>\n</Policy>\n")
                                  .arg(m_socket);
        const QString files = QStringLiteral("ServerRoot %1\nRequestRoot %2\nStateDir %3\nCacheDir %4\n"
                                             "TempDir %5\nErrorLog %6\nAccessLog %7\nPageLog %8\n"
                                             "SystemGroup root\nUser lp\nGroup lp\n")
                                  .arg(root, path(QStringLiteral("spool")), path(QStringLiteral("state")),
                                       path(QStringLiteral("cache")), path(QStringLiteral("spool/tmp")),
                                       errorLogPath(), path(QStringLiteral("log/access_log")),
                                       path(QStringLiteral("log/page_log")));
        if (!writeFile(root + QStringLiteral("/cupsd.conf"), cupsd.toUtf8())
            || !writeFile(root + QStringLiteral("/cups-files.conf"), files.toUtf8()))
            return fail(error, QStringLiteral("cannot write the server's configuration"));

        qputenv("CUPS_SERVER", m_socket.toLocal8Bit());
        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(findTool(QStringLiteral("cupsd")),
                      {QStringLiteral("-f"), QStringLiteral("-c"), root + QStringLiteral("/cupsd.conf"),
                       QStringLiteral("-s"), root + QStringLiteral("/cups-files.conf")});
        if (!m_cupsd.waitForStarted(10000))
            return fail(error, QStringLiteral("cupsd did not start"));

        // Ready once it answers on its socket.
        QDeadlineTimer ready(20000);
        while (!QFileInfo::exists(m_socket) || !run(QStringLiteral("lpstat"), {QStringLiteral("-r")})) {
            if (ready.hasExpired() || m_cupsd.state() != QProcess::Running)
                return fail(error, QStringLiteral("cupsd is not answering: %1 %2")
                                       .arg(QString::fromLocal8Bit(m_cupsd.readAll()), errorLog()));
            QThread::msleep(100);
        }
        QString out;
        if (!run(QStringLiteral("lpadmin"),
                 {QStringLiteral("-p"), QStringLiteral("PDF"), QStringLiteral("-v"), QStringLiteral("cups-pdf:/"),
                  QStringLiteral("-E"), QStringLiteral("-m"), QStringLiteral("lsb/usr/cups-pdf/CUPS-PDF_opt.ppd")},
                 &out))
            return fail(error, QStringLiteral("lpadmin failed: %1").arg(out));
        return true;
    }

    void stop()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(10000)) {
                m_cupsd.kill();
                m_cupsd.waitForFinished(5000);
            }
        }
    }

    QString socketPath() const { return m_socket; }

    // Where cups-pdf puts this process's jobs.
    static QString outputDir()
    {
        const passwd *pw = getpwuid(geteuid());
        return pw ? QString::fromLocal8Bit(pw->pw_dir) + QStringLiteral("/PDF") : QString();
    }

    // The PDF files cups-pdf has written so far (full paths).
    static QSet<QString> outputFiles()
    {
        QSet<QString> files;
        const QDir dir(outputDir());
        for (const QString &f : dir.entryList({QStringLiteral("*.pdf")}, QDir::Files))
            files.insert(dir.filePath(f));
        return files;
    }

    // How many jobs of the queue have finished (completed, cancelled or aborted).
    int finishedJobs()
    {
        QString out;
        if (!run(QStringLiteral("lpstat"), {QStringLiteral("-W"), QStringLiteral("completed"), QStringLiteral("-o"),
                                            QStringLiteral("PDF")},
                 &out))
            return -1;
        return int(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
    }

    // Waits until `finishedBefore` + 1 jobs have finished and none is
    // pending, then returns the one new file cups-pdf wrote since `before`.
    // Empty with `error` set when the job did not produce exactly one file.
    QString waitForJobFile(int finishedBefore, const QSet<QString> &before, QString *error, int timeoutMs = 60000)
    {
        QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            QString pending;
            run(QStringLiteral("lpstat"), {QStringLiteral("-o"), QStringLiteral("PDF")}, &pending);
            if (pending.trimmed().isEmpty() && finishedJobs() > finishedBefore)
                break;
            if (deadline.hasExpired()) {
                *error = QStringLiteral("the job did not finish: %1").arg(errorLog());
                return {};
            }
            QThread::msleep(100);
        }
        const QSet<QString> now = outputFiles();
        QStringList fresh = QSet<QString>(now).subtract(before).values();
        if (fresh.size() != 1) {
            *error = QStringLiteral("%1 new files in %2: %3").arg(fresh.size()).arg(outputDir(), errorLog());
            return {};
        }
        return fresh.first();
    }

    QString errorLog() const
    {
        QFile f(errorLogPath());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        const QByteArray all = f.readAll();
        return QString::fromLocal8Bit(all.right(3000));
    }

    // Runs a CUPS client against this server; true on exit code 0.
    bool run(const QString &tool, const QStringList &args, QString *output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(findTool(tool), args);
        const bool ok = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return ok;
    }

private:
    QString path(const QString &rel) const { return m_dir.filePath(rel); }
    QString errorLogPath() const { return m_dir.filePath(QStringLiteral("log/error_log")); }
    static bool writeFile(const QString &p, const QByteArray &bytes)
    {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    bool fail(QString *error, const QString &why)
    {
        if (error)
            *error = why;
        stop();
        return false;
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/vz-cups-XXXXXX")};
    QProcess m_cupsd;
    QString m_socket;
};

} // namespace cupstest
