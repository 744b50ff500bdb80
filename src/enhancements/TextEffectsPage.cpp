#include "enhancements/TextEffectsPage.h"

#include "common/AlignLayout.h"
#include "common/Dialogs.h"
#include "common/Palette.h"
#include "common/ProgramFolder.h"
#include "common/SmallWidgets.h"
#include "common/VzApplication.h"
#include "enhancements/FlashPlayer.h"
#include "imaging/Picture.h"
#include "imaging/PictureView.h"
#include "platform/ShellOpen.h"

#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace vz {

namespace {

constexpr int kNoticeWidth = 478;
constexpr int kNoticeHeight = 121;

QFont listFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    f.setBold(true);
    return f;
}

} // namespace

TextEffectsPage::TextEffectsPage(QWidget *flashPage, std::function<PictureView *()> pluginImage, QObject *parent)
    : QObject(parent), m_pluginImage(std::move(pluginImage))
{
    auto *pageLayout = new AlignLayout(flashPage);
    // The blue 8-pixel border around the page.
    m_page = colouredPanel(flashPage, QStringLiteral("pnlTextEffects"), palette::mainBlue);
    pageLayout->addWidget(m_page, Align::Client);
    auto *layout = new AlignLayout(m_page);
    layout->setContentsMargins(8, 8, 8, 8);

    m_player = new FlashPlayer(m_page);
    m_player->setObjectName(QStringLiteral("swfPlayer"));
    layout->addWidget(m_player, Align::Left, QRect(0, 0, 483, 348));

    QWidget *column = colouredPanel(m_page, QStringLiteral("pnlTextEffectList"), palette::mainBlue);
    layout->addWidget(column, Align::Right, QRect(0, 0, 133, 0));
    auto *columnLayout = new AlignLayout(column);
    m_list = new QListWidget(column);
    m_list->setObjectName(QStringLiteral("ListBox1"));
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setFont(listFont());
    m_list->setUniformItemSizes(true);
    QPalette lp = m_list->palette();
    lp.setColor(QPalette::Base, palette::listBack);
    m_list->setPalette(lp);
    m_list->addItem(QStringLiteral("  None Found"));
    m_list->item(0)->setSizeHint(QSize(122, 26));
    columnLayout->addWidget(m_list, Align::Right, QRect(0, 0, 122, 0));
    // Mouse clicks only: the arrow keys just move the selection.
    connect(m_list, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });

    layout->addWidget(colouredPanel(m_page, QStringLiteral("pnlTextEffectFiller"), Qt::white), Align::Client);

    m_notice = colouredPanel(m_page, QStringLiteral("pnlTextEffectNotice"), Qt::white);
    m_notice->resize(kNoticeWidth, kNoticeHeight);
    auto *noticeLayout = new QVBoxLayout(m_notice);
    noticeLayout->setContentsMargins(2, 8, 2, 8);
    auto *text = new QLabel(QStringLiteral("You have not installed Text Effects yet. When they are avaliable, you can "
                                           "purchase\n and download Text Effects at:"),
                            m_notice);
    text->setObjectName(QStringLiteral("lblTextEffectNotice"));
    text->setAlignment(Qt::AlignCenter);
    text->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    noticeLayout->addWidget(text);
    m_link = new QLabel(kMakerSite, m_notice);
    m_link->setObjectName(QStringLiteral("lblTextEffectLink"));
    m_link->setAlignment(Qt::AlignCenter);
    QFont lf = m_link->font();
    lf.setPointSize(10);
    lf.setUnderline(true);
    m_link->setFont(lf);
    QPalette linkPalette = m_link->palette();
    linkPalette.setColor(QPalette::WindowText, Qt::blue);
    m_link->setPalette(linkPalette);
    m_link->setCursor(Qt::PointingHandCursor);
    m_link->installEventFilter(this);
    noticeLayout->addWidget(m_link);
    m_page->installEventFilter(this);
    m_notice->raise();
    centreNotice();
}

bool TextEffectsPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_page && event->type() == QEvent::Resize)
        centreNotice();
    else if (watched == m_link && event->type() == QEvent::MouseButtonRelease)
        shellOpen(kMakerSite);
    return QObject::eventFilter(watched, event);
}

void TextEffectsPage::centreNotice()
{
    m_notice->move((m_page->width() - m_notice->width()) / 2, (m_page->height() - m_notice->height()) / 2);
    m_notice->raise();
}

void TextEffectsPage::ListBox1Click()
{
    PictureView *target = m_pluginImage ? m_pluginImage() : nullptr;
    const QString path = programFolder() + QStringLiteral("CommingSoon.bmp");
    // A missing or unreadable file is reported; the picture shown stays.
    runReported([&] {
        const Picture picture = Picture::fromFile(path, Picture::Kind::Bitmap);
        if (target)
            target->setPicture(picture);
    });
}

void TextEffectsPage::btnLoadClick()
{
    const QString file = dialogs::openFileName(m_page->window(), QString(), QString(),
                                               QStringLiteral("Flash File (*.swf)"));
    if (!file.isEmpty())
        m_player->setMovie(file);
}

void TextEffectsPage::btnPlayClick()
{
    if (!m_player->movie().isEmpty())
        m_player->play();
}

void TextEffectsPage::btnStopClick()
{
    if (m_player->playing())
        m_player->stop();
}

void TextEffectsPage::ListBox2Click()
{
    m_player->setMovie(programFolder() + QStringLiteral("CommingSoon.swf"));
    if (!m_player->movie().isEmpty())
        m_player->play();
}

} // namespace vz
