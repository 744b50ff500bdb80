#include "common/VzApplication.h"

#include "common/Dialogs.h"
#include "common/VzError.h"

namespace vz {

VzApplication::VzApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

void VzApplication::reportError(const QString &text)
{
    dialogs::message(text, MsgIcon::Error, MsgButtons::OK);
}

bool runReported(const std::function<void()> &step)
{
    try {
        step();
        return true;
    } catch (const VzError &e) {
        VzApplication::reportError(e.message());
    } catch (const std::exception &e) {
        VzApplication::reportError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool VzApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    runReported([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

} // namespace vz
