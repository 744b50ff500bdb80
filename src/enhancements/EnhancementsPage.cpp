#include "enhancements/EnhancementsPage.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"

#include <QLabel>
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

    auto *flashLayout = new AlignLayout(flashPage);
    auto *player = new QLabel(tr("Text effects are not available."), flashPage);
    player->setObjectName(QStringLiteral("ShockwaveFlash1"));
    player->setAlignment(Qt::AlignCenter);
    flashLayout->addWidget(player, Align::Client);
}

// Discovery, installation and the runtime protocol come with the
// enhancements subsystem.
void EnhancementsPage::scanEnhancements(const QString &) {}
void EnhancementsPage::shutdown() {}

} // namespace vz
