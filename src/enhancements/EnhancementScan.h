#pragma once

#include <QString>

class QListWidget;
class QWidget;

namespace vz {

// Runs once at start: reads "DllList.txt" of `folder` (the Enhancements
// folder) into `list`, then offers each new descriptor found there, checks
// the accepted ones, enters them into the list and its file, and moves them
// into "Installed". The boxes it shows are owned by `owner`. Descriptors need
// at most `hostVersion`.
void ScanEnhancements(const QString &folder, QListWidget *list, QWidget *owner, const QString &hostVersion);
void ScanEnhancements(const QString &folder, QListWidget *list, QWidget *owner);

// Checks one descriptor and, when it passes, enters it into `list` and saves
// the list to "DllList.txt" beside the descriptor. True when the caller is to
// move the descriptor into "Installed": it passed, or the user gave it up.
bool CheckDescriptor(const QString &descriptorPath, QListWidget *list, QWidget *owner, const QString &hostVersion);
bool CheckDescriptor(const QString &descriptorPath, QListWidget *list, QWidget *owner);

} // namespace vz
