#pragma once

// The main window over a small program folder, for the toolbar's Copy, Open
// and Save: a bitmap alphabet "Wide" and a metafile alphabet "Meta", each
// with A (30 x 40, red) and B (20 x 40, blue).

#include "../lettering/lettertestutils.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/PageChanged.h"
#include "common/ProgramFolder.h"
#include "common/SplitFields.h"
#include "imaging/Picture.h"
#include "imaging/PictureView.h"
#include "imaging/RasterImage.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/MixMatchPage.h"
#include "metafile/WmfGenerator.h"
#include "shell/formVZMain.h"

#include <QAbstractButton>
#include <QBuffer>
#include <QListWidget>
#include <QPainter>

#include <memory>

namespace extest {

// A placeable WMF of w x h pixels at 96 per inch: a filled rectangle.
inline QByteArray wmf(int w, int h, const QColor &c)
{
    vz::mf::WmfGenerator gen;
    gen.setSize(QSize(w, h));
    {
        QPainter p(&gen);
        p.fillRect(QRect(0, 0, w, h), c);
    }
    return gen.data();
}

inline QByteArray jpeg(const QImage &img)
{
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "JPG", 95);
    return bytes;
}

inline void setRaster(vz::TToteBageImage &bag, const QImage &img)
{
    vz::RasterImage raster;
    raster.setBitmap(img);
    bag.SetRasterFrom(raster);
}

struct MainFixture
{
    vztest::Sandbox box;
    std::unique_ptr<vz::TfrmVZMain> window;

    MainFixture()
    {
        vz::clearAllToteBags();
        vz::setPageChanged(false);
        box.write("program/characters", lettertest::kCharacters);
        lettertest::writeAlphabet(box, "program/Alphabets/Color/Wide", "CA",
                                  {{"A", 30, 40, Qt::red}, {"B", 20, 40, Qt::blue}});
        writeMetafileAlphabet("program/Alphabets/Color/Meta");
        vz::setProgramFolder(box.path("program"));
        window = std::make_unique<vz::TfrmVZMain>(QStringList{"local"});
        window->show();
    }

    void writeMetafileAlphabet(const QString &rel)
    {
        box.write(rel + "/ImageSetData.qn", "Version=2\r\nName=Meta\r\nType=CA\r\nFill=0\r\n");
        vz::ThumbnailData table;
        const struct { const char *name; int w; QColor c; } letters[] = {{"A", 30, Qt::red}, {"B", 20, Qt::blue}};
        for (const auto &l : letters) {
            const QString file = QStringLiteral("Bab_%1.wmf").arg(QLatin1String(l.name));
            box.write(rel + "/" + file, wmf(l.w, 40, l.c));
            table.appendThumbnail(QLatin1String(l.name), file, lettertest::bmp(lettertest::solid(55, 55, l.c)));
        }
        table.saveToFile(box.path(rel + "/Images.catalog"));
    }

    vz::TfrmVZMain &w() { return *window; }
    void click(const char *name) { window->findChild<QAbstractButton *>(QLatin1String(name))->click(); }

    void chooseAlphabet(const QString &name)
    {
        const QStringList &entries = window->alphabetPage()->entries();
        for (int row = 0; row < entries.size(); ++row)
            if (vz::SplitFields(entries.at(row)).value(0) == name) {
                window->alphabetPage()->selectAndChoose(row);
                return;
            }
        QFAIL("no such alphabet");
    }
    // The alphabet page with `text` typed.
    void typeWord(const QString &alphabet, const QString &text)
    {
        click("btnAlpha");
        chooseAlphabet(alphabet);
        window->alphabetPage()->typingBox()->setText(text);
    }
    // The Mix & Match page with these letters ("A", "B") composed.
    void compose(const QString &letters)
    {
        click("btnAlpha");
        chooseAlphabet(QStringLiteral("Wide"));
        click("btnMixMatch");
        for (QChar c : letters)
            window->mixMatchPage()->DBAlphaGridMousedown(c == QLatin1Char('A') ? 0 : 1);
    }

    vz::PictureView *mainImage() { return window->findChild<vz::PictureView *>(QStringLiteral("MainImage")); }
    // The clip-art page showing a picture file, as a click on its cell does.
    void showClipart(const QString &path)
    {
        click("btnClipart");
        mainImage()->setPicture(vz::Picture::fromFile(path));
        window->state().clipartPath = path;
        if (path.endsWith(QLatin1String(".wmf")) || path.endsWith(QLatin1String(".emf")))
            window->state().clipartMetafilePath = path;
    }
    vz::Picture windowsPicture() { return window->clipboardPanel()->imgWidowClip()->picture(); }
};

} // namespace extest
