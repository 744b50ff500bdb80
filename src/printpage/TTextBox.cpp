#include "printpage/TTextBox.h"

#include "common/Palette.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTextDocument>
#include <QTextOption>

namespace vz {

Qt::Alignment qtAlignment(int alignment)
{
    switch (alignment) {
    case 1: return Qt::AlignRight;
    case 2: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

TTextBox::TTextBox(QWidget *parent)
    : QTextEdit(parent)
{
    setObjectName(QStringLiteral("TextBox"));
    setAcceptRichText(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QTextEdit::WidgetWidth);
    viewport()->setCursor(Qt::IBeamCursor);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Base, palette::pageBack);
    p.setColor(QPalette::Window, palette::pageBack);
    setPalette(p);
    document()->setDocumentMargin(1);
    showFormat();
    connect(document(), &QTextDocument::contentsChanged, this, [this] {
        if (!m_loading)
            emit typed();
    });
}

TTextBox::~TTextBox() = default;

QString TTextBox::text() const
{
    // The engine and the layout file want CR LF between lines.
    QString t = toPlainText();
    t.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return t;
}

void TTextBox::setBoxText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_loading = true;
    setPlainText(t);
    m_loading = false;
    if (m_focused)
        m_textAtFocus = this->text();
}

void TTextBox::setOnPage(bool onPage)
{
    // Never a window of its own: off the page it is only hidden.
    if (parentWidget())
        setVisible(onPage);
    else if (!onPage)
        hide();
}

TextBoxData TTextBox::data() const
{
    TextBoxData d = m_format;
    d.bounds = geometry();
    d.text = text();
    return d;
}

void TTextBox::apply(const TextBoxData &data)
{
    applyFormat(data);
    setGeometry(data.bounds);
    setBoxText(data.text);
}

void TTextBox::applyFormat(const TextBoxData &format)
{
    m_format = format;
    m_format.bounds = QRect();
    m_format.text.clear();
    showFormat();
}

void TTextBox::showFormat()
{
    m_loading = true;
    const QFont f = m_format.font();
    setFont(f);
    document()->setDefaultFont(f);
    QPalette p = palette();
    p.setColor(QPalette::Text, m_format.textColor());
    setPalette(p);
    // The document's default alignment holds for every line, also for
    // lines typed later.
    QTextOption option = document()->defaultTextOption();
    option.setAlignment(qtAlignment(m_format.alignment));
    document()->setDefaultTextOption(option);
    if (m_format.borderSingle) {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
    m_loading = false;
}

void TTextBox::focusInEvent(QFocusEvent *e)
{
    QTextEdit::focusInEvent(e);
    if (!m_focused) {
        m_focused = true;
        m_textAtFocus = text();
    }
}

void TTextBox::focusOutEvent(QFocusEvent *e)
{
    QTextEdit::focusOutEvent(e);
    commitTyping();
    m_focused = false;
}

void TTextBox::commitTyping()
{
    if (!m_focused)
        return;
    const QString now = text();
    if (now != m_textAtFocus) {
        const QString before = m_textAtFocus;
        m_textAtFocus = now;
        emit textEdited(before, now);
    }
}

void TTextBox::contextMenuEvent(QContextMenuEvent *e)
{
    if (m_popup)
        m_popup->popup(e->globalPos());
    else
        QTextEdit::contextMenuEvent(e);
    e->accept();
}

} // namespace vz
