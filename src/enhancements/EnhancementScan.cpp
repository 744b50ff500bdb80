#include "enhancements/EnhancementScan.h"

#include "common/Dialogs.h"
#include "common/ProgramFolder.h"
#include "enhancements/EnhancementDescriptor.h"
#include "enhancements/EnhancementList.h"
#include "platform/ShellOpen.h"
#include "common/Version.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>

namespace vz {

namespace {

QString updateQuestion()
{
    QString page = kUpdatePage;
    page.remove(QStringLiteral("https://"));
    return QStringLiteral("This Enhancement file requires a new browser. To download the lates update goto \r\n") + page
           + QStringLiteral(" Would you like to go there now?");
}

const QString kGiveUpQuestion = QStringLiteral(
    "Would you like to stop trying to install this Enhancement?\r\n\r\nIf so click yes to remove the Enhancement. "
    "\r\n\r\nClick no to do nothing.");

enum class Outcome { Stays, Passed, GivenUp };

// One scan's view of the list: `entries` mirrors the list box's items, so
// each pass writes the file without reading the rows back.
class ListSession
{
public:
    ListSession(const QString &folder, QListWidget *list, QWidget *owner, const QString &hostVersion)
        : m_listPath(withTrailingSlash(folder) + kEnhancementListFile), m_list(list), m_owner(owner),
          m_hostVersion(hostVersion)
    {
    }

    QStringList &entries() { return m_entries; }

    void loadFromList()
    {
        m_entries.clear();
        for (int i = 0; i < m_list->count(); ++i)
            m_entries.append(m_list->item(i)->text());
    }

    Outcome check(const QString &path)
    {
        const QString name = QFileInfo(path).fileName();
        QStringList lines;
        DescriptorCheck result;
        if (readDescriptorFile(path, &lines))
            result = checkDescriptorLines(lines, m_hostVersion);

        switch (result.verdict) {
        case DescriptorVerdict::Passed:
            return enter(result.entry) ? Outcome::Passed : Outcome::Stays;
        case DescriptorVerdict::Damaged:
            dialogs::message(QStringLiteral("The Enhancement file ") + name
                                 + QStringLiteral(" is damaged and cannot be installed."),
                             MsgIcon::Error, MsgButtons::OK, m_owner);
            return askGiveUp();
        case DescriptorVerdict::NeedsUpdate:
            if (dialogs::message(updateQuestion(), MsgIcon::Information, MsgButtons::YesNo, m_owner) == MsgResult::Yes) {
                shellOpen(kUpdatePage);
                return Outcome::Stays;
            }
            return askGiveUp();
        }
        return Outcome::Stays;
    }

private:
    Outcome askGiveUp()
    {
        return dialogs::message(kGiveUpQuestion, MsgIcon::Confirmation, MsgButtons::YesNo, m_owner) == MsgResult::Yes
                   ? Outcome::GivenUp
                   : Outcome::Stays;
    }

    // Adds or updates the row, then saves; a failed save takes the change
    // back so the list box and the file agree, and the descriptor stays.
    bool enter(const QString &entry)
    {
        const qsizetype same = findSameEnhancement(m_entries, entry);
        QString previous;
        if (same >= 0) {
            previous = m_entries.at(same);
            m_entries[same] = entry;
        } else {
            m_entries.append(entry);
        }
        QString error;
        if (!writeEnhancementList(m_listPath, m_entries, &error)) {
            if (same >= 0)
                m_entries[same] = previous;
            else
                m_entries.removeLast();
            dialogs::message(QStringLiteral("Unable to save the Enhancement list ") + QDir::toNativeSeparators(m_listPath)
                                 + QStringLiteral(": ") + error,
                             MsgIcon::Error, MsgButtons::OK, m_owner);
            return false;
        }
        if (same >= 0)
            m_list->item(int(same))->setText(entry);
        else
            m_list->addItem(entry);
        return true;
    }

    QString m_listPath;
    QListWidget *m_list;
    QWidget *m_owner;
    QString m_hostVersion;
    QStringList m_entries;
};

} // namespace

void ScanEnhancements(const QString &folder, QListWidget *list, QWidget *owner, const QString &hostVersion)
{
    const QString dir = withTrailingSlash(folder);
    ListSession session(dir, list, owner, hostVersion);

    QString error;
    const ListRead read = readEnhancementList(dir + kEnhancementListFile, &session.entries(), &error);
    list->clear();
    list->addItems(session.entries());
    if (list->count() == 0)
        list->addItem(kPlaceholderEntry);
    if (read == ListRead::Unreadable) {
        // Saving a list that could not be read would lose its entries.
        dialogs::message(QStringLiteral("Unable to read the Enhancement list ")
                             + QDir::toNativeSeparators(dir + kEnhancementListFile) + QStringLiteral(": ") + error,
                         MsgIcon::Error, MsgButtons::OK, owner);
        return;
    }
    // Nothing offered could be entered or moved.
    const QFileInfo folderInfo(dir);
    if (!folderInfo.isDir() || !folderInfo.isWritable())
        return;

    const QStringList descriptors = findDescriptors(dir);
    if (descriptors.isEmpty())
        return;
    if (list->item(0)->text() == kPlaceholderEntry)
        delete list->takeItem(0);
    session.loadFromList();

    for (const QString &name : descriptors) {
        const MsgResult answer = dialogs::message(
            QStringLiteral("VE Zaraz has found a new VZ Enhancenet by the name of \r\n") + name
                + QStringLiteral(". Would you like to install it now?"),
            MsgIcon::Confirmation, MsgButtons::YesNo, owner);
        if (answer != MsgResult::Yes)
            continue;
        const Outcome outcome = session.check(dir + name);
        if (outcome == Outcome::Stays)
            continue;
        // A failed move shows nothing: the descriptor is simply offered again.
        if (moveToInstalled(dir, name) && outcome == Outcome::Passed)
            dialogs::message(QStringLiteral("The Enhancement ") + name + QStringLiteral(" has been installed successfuly."),
                             MsgIcon::Information, MsgButtons::OK, owner);
    }
    if (list->count() == 0)
        list->addItem(kPlaceholderEntry);
}

void ScanEnhancements(const QString &folder, QListWidget *list, QWidget *owner)
{
    ScanEnhancements(folder, list, owner, kProgramVersion);
}

bool CheckDescriptor(const QString &descriptorPath, QListWidget *list, QWidget *owner, const QString &hostVersion)
{
    ListSession session(QFileInfo(descriptorPath).absolutePath(), list, owner, hostVersion);
    session.loadFromList();
    return session.check(descriptorPath) != Outcome::Stays;
}

bool CheckDescriptor(const QString &descriptorPath, QListWidget *list, QWidget *owner)
{
    return CheckDescriptor(descriptorPath, list, owner, kProgramVersion);
}

} // namespace vz
