#pragma once

#include <QByteArray>
#include <QString>

namespace vz::mf {

// Windows-1252 ("ANSI") text as metafiles store it. Bytes 0x80-0x9F take
// their 1252 meanings; the undefined five map to the same code points.
QString decodeAnsi(const char *bytes, qsizetype length);
// Characters outside Windows-1252 become '?'.
QByteArray encodeAnsi(const QString &text);

} // namespace vz::mf
