#include "common/SplitFields.h"

namespace vz {

void SplitFields(const QString &text, QChar separator, QStringList &result)
{
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (;;) {
        const qsizetype pos = text.indexOf(separator, start);
        // A separator found in the very last position belongs to the field.
        if (pos < 0 || pos == n - 1) {
            result.append(text.mid(start));
            return;
        }
        result.append(text.mid(start, pos - start));
        start = pos + 1;
    }
}

QStringList SplitFields(const QString &text, QChar separator)
{
    QStringList fields;
    SplitFields(text, separator, fields);
    return fields;
}

} // namespace vz
