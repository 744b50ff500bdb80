#pragma once

#include "common/Version.h"

#include <QString>

namespace vz {

// The settings key below HKEY_LOCAL_MACHINE.
inline const QString kSettingsKey = QStringLiteral("Software\\Corvanta\\VZ Ririraz");

// The version text shown by the About box: what start-up read from the
// settings; empty when the program runs with "local".
QString versionText();
void setVersionText(const QString &text);

// The long-lived state of a run that several pages share (the main window
// owns it; pages read and write it).
struct AppState
{
    QString programFolder;
    QString imageFolder;
    int alphabetRow = 0;         // remembered row of ListAlpha
    int categoryRow = -1;        // remembered row of the clip-art category list (-1: none yet)
    bool blackAndWhite = false;  // clip-art tree last shown
    QString alphabetName;        // fields 0, 1 and 2 of the chosen alphabet entry
    QString alphabetType;
    QString alphabetFolder;
    int bitmapLetters = 1;       // 1 raster letters, 0 metafile letters
    int mixLineCount = 1;        // Mix & Match line count
    QString clipartPath;         // the clip-art image last shown in MainImage
    QString clipartMetafilePath; // the last of those that was a metafile (copied from its file)
    QString clipartName;         // its name, also the preview window's caption
    // Armed while the program is not the active one, which it is not before
    // its first activation: a picture already on the system clipboard at
    // start is taken then.
    bool clipboardRecheck = true;
    bool usedRegistry = false;   // start-up worked with the settings store (not "local")
    bool updatePending = false;  // the start-up check asked for a catalog update
    bool updateRunning = false;  // a catalog update is under way
    bool restarting = false;     // the program starts again when it ends
};

} // namespace vz
