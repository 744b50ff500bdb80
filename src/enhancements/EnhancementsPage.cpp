#include "enhancements/EnhancementsPage.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"
#include "enhancements/EnhancementScan.h"

#include <QListWidget>

namespace vz {

EnhancementsPage::EnhancementsPage(QWidget *pluginsPage, QWidget *flashPage, QObject *parent)
    : QObject(parent)
{
    auto *layout = new AlignLayout(pluginsPage);
    m_pluginListbox = new QListWidget(pluginsPage);
    m_pluginListbox->setObjectName(QStringLiteral("PluginListbox"));
    QPalette lp = m_pluginListbox->palette();
    lp.setColor(QPalette::Base, palette::listBack);
    m_pluginListbox->setPalette(lp);
    layout->addWidget(m_pluginListbox, Align::Left, QRect(0, 0, 160, 0));
    auto *host = new QWidget(pluginsPage);
    host->setObjectName(QStringLiteral("pnlPlugin"));
    layout->addWidget(host, Align::Client);
    // The text effects page is built by TextEffectsPage.
    Q_UNUSED(flashPage);
}

void EnhancementsPage::scanEnhancements(const QString &folder) { ScanEnhancements(folder, m_pluginListbox, m_pluginListbox->window()); }
void EnhancementsPage::shutdown() {}

} // namespace vz
