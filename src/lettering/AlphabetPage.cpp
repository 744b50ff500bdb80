#include "lettering/AlphabetPage.h"

#include "common/AlignLayout.h"
#include "common/ListRowDelegate.h"
#include "common/Palette.h"
#include "common/SplitFields.h"
#include "common/WaitCursor.h"
#include "imagesets/AlphabetList.h"
#include "shell/AppState.h"

#include <QListWidget>
#include <QScrollArea>

namespace vz {

AlphabetPage::AlphabetPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent)
    : QObject(parent)
    , m_state(state)
{
    auto *mainLayout = new AlignLayout(mainPage);
    m_listAlpha = new QListWidget(mainPage);
    m_listAlpha->setObjectName(QStringLiteral("ListAlpha"));
    // ListAlphaDrawItem: the entry's name; the selected row in main blue.
    m_listAlpha->setItemDelegate(new ListRowDelegate(palette::listBack, 0, m_listAlpha));
    m_listAlpha->setFrameShape(QFrame::NoFrame);
    QPalette pal = m_listAlpha->palette();
    pal.setColor(QPalette::Base, palette::listBack);
    m_listAlpha->setPalette(pal);
    mainLayout->addWidget(m_listAlpha, Align::Left, QRect(0, 0, 160, 0));
    connect(m_listAlpha, &QListWidget::itemClicked, this, &AlphabetPage::ListAlphaClick);

    m_grid = new QWidget(mainPage);
    m_grid->setObjectName(QStringLiteral("DBAlphaGrid"));
    m_grid->setAutoFillBackground(true);
    QPalette gp = m_grid->palette();
    gp.setColor(QPalette::Window, Qt::white);
    m_grid->setPalette(gp);
    mainLayout->addWidget(m_grid, Align::Client);

    auto *lowerLayout = new AlignLayout(lowerPage);
    m_scrollBox = new QScrollArea(lowerPage);
    m_scrollBox->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollBox->setFrameShape(QFrame::NoFrame);
    m_paintBox = new QWidget;
    m_paintBox->setObjectName(QStringLiteral("PaintBox1"));
    m_paintBox->setAutoFillBackground(true);
    m_paintBox->setPalette(gp);
    m_scrollBox->setWidget(m_paintBox);
    m_scrollBox->setWidgetResizable(true);
    lowerLayout->addWidget(m_scrollBox, Align::Client);
}

void AlphabetPage::fillAlphabetList(const QString &treeFolder)
{
    QStringList list;
    LoadAlphabetList(list, treeFolder);
    list.append(moreAlphabetsEntry());
    m_entries = list;
    m_listAlpha->clear();
    for (const QString &e : std::as_const(m_entries)) {
        auto *item = new QListWidgetItem(SplitFields(e).value(0), m_listAlpha);
        item->setData(Qt::UserRole, e);
    }
}

void AlphabetPage::selectAndChoose(int row)
{
    if (row < 0 || row >= m_listAlpha->count())
        return;
    m_listAlpha->setCurrentRow(row);
    ListAlphaClick();
}

void AlphabetPage::reselectRemembered()
{
    if (m_state.alphabetRow >= 0 && m_state.alphabetRow < m_listAlpha->count())
        m_listAlpha->setCurrentRow(m_state.alphabetRow);
}

void AlphabetPage::reload() { AlphaChoose(); }

void AlphabetPage::ListAlphaClick() { AlphaChoose(); }

void AlphabetPage::AlphaChoose()
{
    const int row = m_listAlpha->currentRow();
    if (row < 0)
        return;
    const QStringList fields = SplitFields(m_entries.value(row));
    m_state.alphabetName = fields.value(0);
    m_state.alphabetType = fields.value(1);
    m_state.alphabetFolder = fields.value(2);
    // Loading the letters and the grid comes with the lettering pages.
    m_state.alphabetRow = row;
    Q_EMIT alphabetChosen(row);
}

} // namespace vz
