#include "common/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace vz {

namespace {
int g_depth = 0;
}

WaitCursor::WaitCursor()
{
    ++g_depth;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        m_active = true;
    }
}

WaitCursor::~WaitCursor()
{
    --g_depth;
    if (m_active)
        QGuiApplication::restoreOverrideCursor();
}

int WaitCursor::depth() { return g_depth; }

} // namespace vz
