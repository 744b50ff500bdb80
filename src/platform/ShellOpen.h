#pragma once

#include <QString>
#include <functional>

namespace vz {

// The maker's web site; pages of the program link below it.
inline const QString kMakerSite = QStringLiteral("https://vellozine.example/");
// The page where newer versions of the program are offered.
inline const QString kUpdatePage = kMakerSite + QStringLiteral("VARidivEzerudi/");

// Opens a web address or a local file with the desktop's default handler
// (the desktop services, else xdg-open) and returns whether that started.
// Tests install a hook to see what would have been opened (always true).
bool shellOpen(const QString &urlOrPath);
void setShellOpenHook(std::function<void(const QString &)> hook);

} // namespace vz
