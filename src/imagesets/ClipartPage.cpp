#include "imagesets/ClipartPage.h"

#include "common/AlignLayout.h"
#include "common/Palette.h"
#include "shell/AppState.h"

#include <QLabel>
#include <QListWidget>

namespace vz {

ClipartPage::ClipartPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    auto *mainLayout = new AlignLayout(mainPage);
    auto *categories = new QListWidget(mainPage);
    categories->setObjectName(QStringLiteral("ListBoxClip"));
    QPalette lp = categories->palette();
    lp.setColor(QPalette::Base, palette::listBack);
    categories->setPalette(lp);
    mainLayout->addWidget(categories, Align::Left, QRect(0, 0, 160, 0));
    auto *grid = new QWidget(mainPage);
    grid->setObjectName(QStringLiteral("DBClipGrid"));
    grid->setAutoFillBackground(true);
    QPalette white = grid->palette();
    white.setColor(QPalette::Window, Qt::white);
    grid->setPalette(white);
    mainLayout->addWidget(grid, Align::Client);

    auto *lowerLayout = new AlignLayout(lowerPage);
    m_panelImageInner = new QWidget(lowerPage);
    m_panelImageInner->setObjectName(QStringLiteral("PanelImageInner"));
    m_panelImageInner->setAutoFillBackground(true);
    m_panelImageInner->setPalette(white);
    lowerLayout->addWidget(m_panelImageInner, Align::Left, QRect(0, 0, 160, 0));
    m_mainImage = new QLabel(m_panelImageInner);
    m_mainImage->setObjectName(QStringLiteral("MainImage"));
    m_mainImage->setGeometry(3, 3, 150, 100);
}

// Browsing and search come with the clip-art page.
void ClipartPage::ShowClipart() {}
void ClipartPage::reload() {}

} // namespace vz
