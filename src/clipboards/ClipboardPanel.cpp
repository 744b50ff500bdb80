#include "clipboards/ClipboardPanel.h"

#include "common/AlignLayout.h"
#include "common/Fitting.h"
#include "common/Palette.h"

#include <QLabel>

namespace vz {

namespace {
bool g_copiedImageShown = false;

QWidget *framedBox(QWidget *parent, const char *name, const QColor &frame)
{
    auto *w = new QWidget(parent);
    w->setObjectName(QLatin1String(name));
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, frame);
    w->setPalette(p);
    return w;
}
} // namespace

bool copiedImageShown() { return g_copiedImageShown; }
void setCopiedImageShown(bool shown) { g_copiedImageShown = shown; }

ClipboardPanel::ClipboardPanel(QWidget *content, QWidget *printPage, QObject *parent)
    : QObject(parent)
{
    auto *layout = new AlignLayout(content);
    m_lblClipboardName = new QLabel(QStringLiteral("Alphabets"), content);
    m_lblClipboardName->setObjectName(QStringLiteral("lblClipboardName"));
    m_lblClipboardName->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_lblClipboardName, Align::Top, QRect(0, 0, 0, 18));
    m_pnlClipColor = framedBox(content, "pnlClipColor", palette::frameAlphabets);
    layout->addWidget(m_pnlClipColor, Align::Client);
    auto *inner = new AlignLayout(m_pnlClipColor);
    inner->setContentsMargins(3, 3, 3, 3);
    m_pnlClipAll = framedBox(m_pnlClipColor, "pnlClipAll", Qt::white);
    inner->addWidget(m_pnlClipAll, Align::Client);
    m_imgTotebag = new QLabel(m_pnlClipAll);
    m_imgTotebag->setObjectName(QStringLiteral("imgTotebag"));
    m_imgTotebag->setScaledContents(true);

    auto *printLayout = new AlignLayout(printPage);
    struct Thumb { const char *box; const char *img; QColor colour; };
    const Thumb thumbs[] = {{"pnlAlphaClip", "ImgAlphaClip", palette::frameAlphabets},
                            {"pnlClipartClip", "imgClipartClip", palette::frameClipart},
                            {"pnlMixClip", "imgMixClip", palette::frameMixMatch},
                            {"pnlWindowsClip", "imgWidowClip", palette::frameWindows}};
    for (const Thumb &t : thumbs) {
        QWidget *box = framedBox(printPage, t.box, t.colour);
        printLayout->addWidget(box, Align::Left, QRect(0, 0, 120, 0));
        auto *white = framedBox(box, "", Qt::white);
        auto *bl = new AlignLayout(box);
        bl->setContentsMargins(3, 3, 3, 3);
        bl->addWidget(white, Align::Client);
        auto *img = new QLabel(white);
        img->setObjectName(QLatin1String(t.img));
        img->setScaledContents(true);
        if (qstrcmp(t.img, "imgWidowClip") == 0)
            m_imgWidowClip = img;
    }
}

QWidget *ClipboardPanel::imgTotebag() const { return m_imgTotebag; }

// The clipboards themselves come with the imaging toolkit.
void ClipboardPanel::RefreshClipboardPanel() {}
void ClipboardPanel::refreshThumbnails() {}
void ClipboardPanel::ClearCurrentClipboard() {}

void ClipboardPanel::ClearallClipboards()
{
    m_windowsPicture = QPixmap();
    m_imgWidowClip->clear();
    setCopiedImageShown(false);
}

void ClipboardPanel::showWindowsPicture(const QPixmap &picture)
{
    m_windowsPicture = picture;
    m_imgWidowClip->setPixmap(picture);
    setCopiedImageShown(true);
    ResiseClipBoardImage();
}

void ClipboardPanel::ResiseClipBoardImage()
{
    QWidget *box = m_imgWidowClip->parentWidget();
    if (m_windowsPicture.isNull()) {
        m_imgWidowClip->setGeometry(0, 0, 0, 0);
        return;
    }
    if (auto r = fitPictureRect(m_windowsPicture.width(), m_windowsPicture.height(), box->rect()))
        m_imgWidowClip->setGeometry(*r);
}

} // namespace vz
