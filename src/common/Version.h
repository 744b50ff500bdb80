#pragma once

#include <QString>

namespace vz {

// The version this program writes to the settings, shows in its About box and
// compares enhancements against.
inline const QString kProgramVersion = QStringLiteral("3.20.2");

} // namespace vz
