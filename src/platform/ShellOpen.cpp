#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace vz {

namespace {
std::function<void(const QString &)> &hook()
{
    static std::function<void(const QString &)> h;
    return h;
}
} // namespace

void setShellOpenHook(std::function<void(const QString &)> h) { hook() = std::move(h); }

bool shellOpen(const QString &urlOrPath)
{
    if (hook()) {
        hook()(urlOrPath);
        return true;
    }
    if (urlOrPath.isEmpty())
        return false;
    const bool local = QFileInfo::exists(urlOrPath);
    const QUrl url = local ? QUrl::fromLocalFile(QFileInfo(urlOrPath).absoluteFilePath()) : QUrl(urlOrPath);
    if (!url.isValid())
        return false;
    if (QDesktopServices::openUrl(url))
        return true;
    // Without a desktop's services (or a handler for the address) the
    // freedesktop opener may still know one.
    return QProcess::startDetached(QStringLiteral("xdg-open"), {local ? url.toLocalFile() : url.toString()});
}

} // namespace vz
