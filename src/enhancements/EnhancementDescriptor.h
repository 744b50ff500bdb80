#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace vz {

// An enhancement descriptor (".hmp") is a short text file of lines:
//   1 "PLUG-IN"
//   2 the lowest program version the enhancement needs ("3.20.2")
//   3 the library file, relative to "Enhancements/Dll/"
//   4 the display name
//   5 a free field carried into the list entry
//   6 the entry procedure the library exports
// Further lines are ignored.

inline const QString kDescriptorMarker = QStringLiteral("PLUG-IN");
inline const QString kDescriptorExtension = QStringLiteral("hmp");
// Anything longer is not a descriptor.
inline constexpr qsizetype kMaxDescriptorBytes = 64 * 1024;

// Version texts: numbers joined by single dots, optionally ending in one
// ASCII letter ("3.20.2", "3", "3.20.2a"). Nothing else, no blanks.
bool isVersionText(QStringView text);
// Orders two version texts: numbers by value (any length), missing parts
// count as 0, and a trailing letter sorts after none ("3.20.2" < "3.20.2a").
// Negative, zero or positive. Both texts must be version texts.
int compareVersions(QStringView a, QStringView b);
// Whether an enhancement needing `required` runs on `host`: `required` is a
// version text not above `host`.
bool versionAccepted(QStringView required, QStringView host);

// The library field with "\" read as "/" (descriptors come from Windows).
QString normalizedLibraryPath(const QString &field);
// Whether the library field names a file below the library folder: not
// blank, not absolute, no ".." component, with "\" read as "/", and no
// control or format characters.
bool isSafeLibraryPath(const QString &field);

// Text of a descriptor or of the enhancement list: a UTF-8 byte order mark
// is skipped; UTF-8 when valid, otherwise Windows-1252.
QString decodeEnhancementText(const QByteArray &bytes);
// The lines of such a text (CR LF, CR or LF ends, nothing trimmed).
QStringList enhancementLines(const QByteArray &bytes);

// Reads a descriptor file into lines. False when it cannot be read or is
// larger than kMaxDescriptorBytes.
bool readDescriptorFile(const QString &path, QStringList *lines);

enum class DescriptorVerdict {
    Passed,      // the entry is good to add
    NeedsUpdate, // not a descriptor of this program, or it needs a newer one
    Damaged,     // cannot be installed as it stands
};

struct DescriptorCheck
{
    DescriptorVerdict verdict = DescriptorVerdict::Damaged;
    QString entry; // the list entry, when passed
};

// Checks a descriptor's lines against the host version, in this order: no
// line 1 is damage; a wrong marker asks for an update; no line 2 is damage;
// a line 2 that is no version text or is above the host asks for an update;
// then fewer than 6 lines, "=" in lines 3-6, a blank line 3 or 6 or an unsafe
// library path are damage.
DescriptorCheck checkDescriptorLines(const QStringList &lines, QStringView hostVersion);

// The list entry of a descriptor: library "=  " display "=" third "=" entry
// procedure. Its display field starts with two blanks.
QString makeListEntry(const QString &library, const QString &display, const QString &third,
                      const QString &procedure);

} // namespace vz
