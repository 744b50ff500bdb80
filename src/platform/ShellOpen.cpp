#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
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

void shellOpen(const QString &urlOrPath)
{
    if (hook()) {
        hook()(urlOrPath);
        return;
    }
    const QUrl url = QFileInfo::exists(urlOrPath) ? QUrl::fromLocalFile(urlOrPath) : QUrl(urlOrPath);
    QDesktopServices::openUrl(url);
}

} // namespace vz
