#include "common/ScaleForm.h"

#include "common/AlignLayout.h"

#include <QLineEdit>
#include <QScreen>
#include <QWidget>

namespace vz {

namespace {

struct Scaler
{
    int dpi;
    int design;
    int s(int v) const { return (v * dpi + design / 2) / design; }

    void visitChildren(QWidget *parent)
    {
        // Children follow their parent's new size at once, hidden or not, so
        // anchored ones have moved before they are scaled.
        if (AlignLayout *l = AlignLayout::of(parent))
            l->setGeometry(parent->rect());
        const auto kids = parent->children();
        for (QObject *o : kids) {
            QWidget *w = qobject_cast<QWidget *>(o);
            if (!w || w->isWindow())
                continue;
            scale(parent, w);
            visitChildren(w);
        }
    }

    void scale(QWidget *parent, QWidget *w)
    {
        AlignLayout *layout = AlignLayout::of(parent);
        if (!layout && parent->layout())
            return; // another layout places it
        AlignLayout::Spec *spec = layout ? layout->spec(w) : nullptr;
        if (layout && !spec)
            return;
        const Align align = spec ? spec->align : Align::None;
        const int anchors = spec ? spec->anchors : AnchorsDefault;
        const QRect client = layout ? layout->clientRect() : parent->contentsRect();
        const int PW = client.width();
        const int PH = client.height();
        const QRect g = w->geometry().translated(-client.topLeft());

        switch (align) {
        case Align::Client:
            return;
        case Align::Left:
        case Align::Right: {
            const bool opposite = align == Align::Left ? (anchors & AnchorRight) : (anchors & AnchorLeft);
            const int width = opposite ? PW - s(PW - g.width()) : s(g.width());
            layout->setExtent(w, width);
            w->resize(width, w->height());
            return;
        }
        case Align::Top:
        case Align::Bottom: {
            const bool opposite = align == Align::Top ? (anchors & AnchorBottom) : (anchors & AnchorTop);
            const int height = opposite ? PH - s(PH - g.height()) : s(g.height());
            layout->setExtent(w, height);
            w->resize(w->width(), height);
            return;
        }
        case Align::None:
            break;
        }

        const int R = PW - g.width() - g.left();
        const int B = PH - g.height() - g.top();
        int left = g.left(), width = g.width(), top = g.top(), height = g.height();
        if (anchors & AnchorLeft) {
            left = s(left);
            width = (anchors & AnchorRight) ? PW - left - s(R) : s(width);
        } else if (anchors & AnchorRight) {
            width = s(width);
            left = PW - width - s(R);
        } else {
            left = s(left);
            width = s(width);
        }
        const QLineEdit *edit = qobject_cast<const QLineEdit *>(w);
        const bool keepHeight = edit != nullptr; // single-line edits keep their height
        if (anchors & AnchorTop) {
            top = s(top);
            if (!keepHeight)
                height = (anchors & AnchorBottom) ? PH - top - s(B) : s(height);
        } else if (anchors & AnchorBottom) {
            if (!keepHeight)
                height = s(height);
            top = PH - height - s(B);
        } else {
            top = s(top);
            if (!keepHeight)
                height = s(height);
        }
        const QRect n(left, top, width, height);
        if (layout)
            layout->setDesignRect(w, n);
        w->setGeometry(n.translated(client.topLeft()));
    }
};

} // namespace

void ScaleFormToScreen(QWidget *window, int screenDpi, int designDpi)
{
    if (!window || screenDpi == designDpi || designDpi <= 0)
        return;
    Scaler sc{screenDpi, designDpi};
    const QSize c = window->size();
    window->resize(sc.s(c.width()), sc.s(c.height()));
    if (QLayout *l = window->layout())
        l->setGeometry(window->contentsRect());
    sc.visitChildren(window);
}

int screenDpiOf(const QWidget *w)
{
    const QScreen *screen = w ? w->screen() : nullptr;
    if (!screen)
        return 96;
    return qRound(screen->logicalDotsPerInch());
}

} // namespace vz
