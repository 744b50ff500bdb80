#include "printpage/formPrint.h"

#include "common/Palette.h"

#include <QKeyEvent>

namespace vz {

TfrmPrint::TfrmPrint(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("Print Page"));
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, palette::pageBack);
    setPalette(p);
    resize(700, 500);
}

void TfrmPrint::embedInto(QWidget *host)
{
    setParent(host, Qt::Widget);
    setGeometry(host->rect());
    show();
}

void TfrmPrint::closePage() { hide(); }

void TfrmPrint::FormKeyDown(QKeyEvent *e) { m_keys.append(e->key()); }

void TfrmPrint::resizeEvent(QResizeEvent *e) { QWidget::resizeEvent(e); }

} // namespace vz
