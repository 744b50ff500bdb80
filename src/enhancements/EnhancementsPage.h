#pragma once

#include <QObject>

class QListWidget;
class QWidget;

namespace vz {

// The enhancements page "VZPlugins" with the list of installed enhancements,
// and the (unreachable) text effects page "VZFlash".
class EnhancementsPage : public QObject
{
    Q_OBJECT
public:
    EnhancementsPage(QWidget *pluginsPage, QWidget *flashPage, QObject *parent = nullptr);

    QListWidget *pluginListbox() const { return m_pluginListbox; }

    // Looks for new and installed enhancements below `folder`.
    void scanEnhancements(const QString &folder);
    // Lets a running enhancement clean up before the program ends.
    void shutdown();

private:
    QListWidget *m_pluginListbox;
};

} // namespace vz
