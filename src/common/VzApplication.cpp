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

bool VzApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const VzError &e) {
        reportError(e.message());
    } catch (const std::exception &e) {
        reportError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

} // namespace vz
