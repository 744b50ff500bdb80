#pragma once

#include <QString>
#include <QStringList>

namespace vz {

// Appends the fields of `text` to `result`, cutting at every separator from
// left to right. A separator in the last character position is not a cut:
// it stays part of the last field ("a=" is one field). An empty text gives
// one empty field.
void SplitFields(const QString &text, QChar separator, QStringList &result);

// Convenience form returning the fields.
QStringList SplitFields(const QString &text, QChar separator = QLatin1Char('='));

} // namespace vz
