#include "Command.h"

#include "printpage/PageGeometry.h"

#include <QRegularExpression>

using namespace vztool;

namespace {

const QString kUsage = QStringLiteral("usage: vztool page [--paper NAME] [--landscape] [--dpi N] [--panel WxH] WxH");

std::optional<QSize> parseSize(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^([0-9]{1,6})x([0-9]{1,6})$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return QSize(m.captured(1).toInt(), m.captured(2).toInt());
}

std::optional<QPageSize> paperNamed(const QString &name)
{
    for (int i = 0; i <= int(QPageSize::LastPageSize); ++i) {
        const auto id = QPageSize::PageSizeId(i);
        if (QPageSize::key(id).compare(name, Qt::CaseInsensitive) == 0
            || QPageSize::name(id).compare(name, Qt::CaseInsensitive) == 0)
            return QPageSize(id);
    }
    return std::nullopt;
}

QString inches(double v)
{
    return QString::number(v, 'f', 4);
}

int runPage(const QStringList &argsIn)
{
    QStringList args = argsIn;
    std::optional<QPageSize> paper;
    auto orientation = QPageLayout::Portrait;
    int dpi = vz::kNoPrinterDpi;
    std::optional<QSize> panel;
    std::optional<QSize> work;
    while (!args.isEmpty()) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--paper") && !args.isEmpty()) {
            paper = paperNamed(args.takeFirst());
            if (!paper) {
                err(QStringLiteral("vztool page: unknown paper (try A4 or Letter)"));
                return 2;
            }
        } else if (a == QLatin1String("--landscape")) {
            orientation = QPageLayout::Landscape;
        } else if (a == QLatin1String("--dpi") && !args.isEmpty()) {
            bool ok = false;
            dpi = args.takeFirst().toInt(&ok);
            if (!ok || dpi < 1 || dpi > 9600) {
                err(QStringLiteral("vztool page: --dpi needs a number from 1 to 9600"));
                return 2;
            }
        } else if (a == QLatin1String("--panel") && !args.isEmpty()) {
            panel = parseSize(args.takeFirst());
            if (!panel) {
                err(kUsage);
                return 2;
            }
        } else if (const auto size = parseSize(a); size && !work) {
            work = size;
        } else {
            err(kUsage);
            return 2;
        }
    }
    if (!work) {
        err(kUsage);
        return 2;
    }

    // Nothing asked for: the page the print page uses without a printer.
    const bool plain = !paper && orientation == QPageLayout::Portrait && dpi == vz::kNoPrinterDpi;
    const vz::PrinterPage printer = plain ? vz::noPrinterPage()
                                          : vz::printerPageFor(paper.value_or(vz::localePaperSize()), orientation, dpi);
    const auto g = vz::computePageGeometry(printer, panel.value_or(*work), *work);
    if (!g) {
        err(QStringLiteral("vztool page: the printer page has no size"));
        return 1;
    }
    out(QStringLiteral("printer: %1x%2 at %3x%4 dpi").arg(printer.width).arg(printer.height).arg(printer.dpiX).arg(printer.dpiY));
    out(QStringLiteral("page: %1,%2 %3x%4").arg(g->page.left()).arg(g->page.top()).arg(g->page.width()).arg(g->page.height()));
    out(QStringLiteral("scale: %1").arg(QString::number(g->scale, 'f', 6)));
    out(QStringLiteral("ppi: %1x%2").arg(g->ppiX).arg(g->ppiY));
    out(QStringLiteral("rulers: %1 %2").arg(inches(g->rulerStartX), inches(g->rulerStartY)));
    return 0;
}

Registration reg({QStringLiteral("page"),
                  QStringLiteral("page [--paper NAME] [--landscape] [--dpi N] [--panel WxH] WxH"),
                  QStringLiteral("print the print page's geometry for a work area of WxH pixels (default: the "
                                 "locale's paper at 600 dpi, no printer)"),
                  runPage, false});

} // namespace
