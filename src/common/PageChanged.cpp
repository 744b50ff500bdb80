#include "common/PageChanged.h"

#include "common/VzError.h"

#include <QRegularExpression>

namespace vz {

namespace {
bool g_pageChanged = false;
}

bool pageChanged() { return g_pageChanged; }
void setPageChanged(bool changed) { g_pageChanged = changed; }

int strToInt(const QString &s)
{
    static const QRegularExpression re(QStringLiteral("^[+-]?[0-9]+$"));
    bool ok = false;
    int v = 0;
    if (re.match(s).hasMatch())
        v = s.toInt(&ok, 10);
    if (!ok)
        throw ConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

} // namespace vz
