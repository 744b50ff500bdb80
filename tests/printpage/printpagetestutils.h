#pragma once

// Shared pieces of the print page tests: a fixed page, a recording host and
// a stand-in text box.

#include "imaging/Picture.h"
#include "metafile/WmfGenerator.h"
#include "printpage/PageModel.h"
#include "printpage/PrintPageHost.h"
#include "printpage/formPrint.h"

#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QStringList>
#include <QtTest>

#include <memory>

namespace pptest {

// A Letter page printed edge to edge at 600 dpi: 5100 x 6600 printer pixels.
inline void setLetter(QPrinter &printer)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(600);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// Records what the page asks of the program, in order.
struct RecordingHost : vz::PrintPageHost
{
    QStringList log;
    QList<vz::Picture> windowsPictures;
    std::function<void()> onShow; // what "View Print Page" does

    void showPrintPage() override
    {
        log << QStringLiteral("showPrintPage");
        if (onShow)
            onShow();
    }
    void mainCopy() override { log << QStringLiteral("mainCopy"); }
    void showHelp() override { log << QStringLiteral("showHelp"); }
    void showWindowsPicture(const vz::Picture &p) override
    {
        log << QStringLiteral("showWindowsPicture");
        windowsPictures << p;
    }
    void refreshThumbnails() override { log << QStringLiteral("refreshThumbnails"); }
    void ResiseClipBoardImage() override { log << QStringLiteral("ResiseClipBoardImage"); }
    void pageClosed() override { log << QStringLiteral("pageClosed"); }
};

// A text box as the page sees one, on a plain edit control.
struct StandInBox : vz::PageTextBox
{
    std::unique_ptr<QPlainTextEdit> edit = std::make_unique<QPlainTextEdit>();
    bool selectedAll = false;
    explicit StandInBox(const QRect &r, const QString &text = QString())
    {
        edit->setGeometry(r);
        edit->setPlainText(text);
    }
    QRect geometry() const override { return edit->geometry(); }
    void setGeometry(const QRect &r) override { edit->setGeometry(r); }
    QString text() const override { return edit->toPlainText(); }
    void selectAll() override
    {
        edit->selectAll();
        selectedAll = true;
    }
    bool hasKeyboardFocus() const override { return edit->hasFocus(); }
    void setOnPage(bool onPage) override
    {
        if (edit->parentWidget()) // never a window of its own
            edit->setVisible(onPage);
    }
    QWidget *widget() const override { return edit.get(); }
};

// A bitmap with a mark in one corner, so orientation and size show.
inline vz::Picture bitmap(int w, int h, QColor colour = QColor(200, 40, 40))
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(colour);
    QPainter p(&img);
    p.fillRect(0, 0, std::max(1, w / 4), std::max(1, h / 4), Qt::blue);
    return vz::Picture::fromImage(img);
}

// A placeable WMF drawn by the program's own generator.
inline vz::Picture metafile(int w, int h)
{
    vz::mf::WmfGenerator gen;
    gen.setSize(QSize(w, h));
    {
        QPainter p(&gen);
        p.setBrush(QColor(0, 150, 0));
        p.drawEllipse(QRect(0, 0, w, h));
    }
    return vz::Picture::fromBytes(gen.data(), vz::Picture::Kind::Metafile);
}

// The page in a window of its own at a fixed size, on a Letter page.
struct PageFixture
{
    QPrinter printer{QPrinter::HighResolution};
    RecordingHost host;
    vz::TfrmPrint page;
    explicit PageFixture(QSize size = QSize(900, 700))
    {
        setLetter(printer);
        page.setHost(&host);
        page.setScreenWidth(1920);
        page.setPrinter(&printer);
        page.resize(size);
        page.show();
        host.log.clear();
    }
    vz::PageModel &model() { return page.model(); }
    QRect rectOf(vz::PageObjectId id) { return model().object(id) ? model().object(id)->rect : QRect(); }
    vz::PageObjectId place(const vz::Picture &p)
    {
        page.placePictures({p});
        return model().pictures().isEmpty() ? vz::kNoObject : model().pictures().last();
    }
};

} // namespace pptest
