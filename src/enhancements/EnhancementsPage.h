#pragma once

#include "enhancements/ClipboardRecovery.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class QLibrary;
class QListWidget;
class QListWidgetItem;
class QWidget;
struct VzHostType;

namespace vz {

class ClipboardPanel;
class PictureView;

// The holder through which an enhancement hands a picture back. Its layout is
// part of the enhancement interface (plugins/sdk/vzenhancement.h) and checked
// against it where the host is built.
struct THasDllImage
{
    const ::VzHostType *type = nullptr;
    PictureView *Image = nullptr; // no owner, no parent, never shown
    std::uint8_t HasImage = 0;
};

// The enhancements page "VZPlugins": the list of installed enhancements, the
// panel a running enhancement embeds its window into, and the runtime that
// loads, calls and closes enhancement libraries. Also holds the (unreachable)
// text effects page "VZFlash".
class EnhancementsPage : public QObject
{
    Q_OBJECT
public:
    // The messages an enhancement posts (as event types) to the application.
    static constexpr int kFinishedMessage = 0x8190;
    static constexpr int kImageMessage = 0x8191;

    EnhancementsPage(QWidget *pluginsPage, QWidget *flashPage, ClipboardPanel *clipboards, QObject *parent = nullptr);
    ~EnhancementsPage() override;

    QListWidget *pluginListbox() const { return m_pluginListbox; }
    QWidget *pnlEmbed() const { return m_pnlEmbed; }
    PictureView *imgPlugin() const { return m_imgPlugin; }
    THasDllImage &holder() { return m_holder; }
    ClipboardPanel *clipboards() const { return m_clipboards; }

    // The running enhancement: its library path and entry procedure; empty
    // while none runs.
    bool running() const { return !m_runningPath.isEmpty(); }
    QString runningPath() const { return m_runningPath; }
    QString runningProc() const { return m_runningProc; }

    // Looks for new and installed enhancements below `folder`.
    void scanEnhancements(const QString &folder);
    // Lets a running enhancement clean up before the program ends.
    void shutdown();

    // Starts the enhancement of a list entry (a click on it).
    void startEnhancement(const QString &entry);
    // Calls the running enhancement's "MyDLLProc" and forgets it; nothing
    // when none runs.
    void closeEnhancement();
    // The application's message hook sees every event; these two react to
    // the enhancement messages.
    void enhancementMessage(int type);
    // The host export: takes the holder's picture onto the "Windows"
    // clipboard.
    void DllImage(THasDllImage *holder);

    // Where the clipboards are copied while an enhancement runs; empty: no copy.
    void setRecoveryFolder(const QString &folder);
    // At start: offers to restore the copy a crashed run left, then deletes it.
    void offerRecovery();
    // The page was shown: a running enhancement may have changed the clipboards.
    void pageShown();

    // The page of the running program, for the exported functions.
    static EnhancementsPage *current();

public Q_SLOTS:
    void PluginListboxClick(QListWidgetItem *item);

private:
    void relayoutEmbed();
    void saveRecovery();
    QLibrary *library(const QString &path);
    template<typename F> void callReported(F &&call);

    QListWidget *m_pluginListbox;
    QWidget *m_pnlEmbed;
    PictureView *m_imgPlugin;
    QWidget *m_notice;
    ClipboardPanel *m_clipboards;
    std::unique_ptr<PictureView> m_holderImage;
    THasDllImage m_holder;
    QString m_runningPath;
    QString m_runningProc;
    ClipboardRecovery m_recovery;
    // Libraries once loaded stay loaded: their windows and code may live on.
    QHash<QString, QLibrary *> m_libraries;
};

} // namespace vz
