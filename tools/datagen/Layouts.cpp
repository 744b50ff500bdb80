#include "Layouts.h"

#include "Lists.h"

#include "common/VzError.h"
#include "imagesets/CharacterMap.h"
#include "imagesets/Letters.h"
#include "imaging/Picture.h"
#include "lettering/WordRenderer.h"
#include "printpage/LayoutFile.h"
#include "printpage/PageGeometry.h"

#include <QDir>
#include <QFileInfo>


namespace datagen {

namespace {

// The page the demo pages are laid out for: A4 at 600 dpi, edge to edge,
// fitted 800 page pixels high. Pictures are stored in inches and text boxes
// in page pixels, so the page height is what keeps the two together; the
// content stays inside 8.27 x 11 inches so it also fits a Letter page.
constexpr int kPageHeight = 800;

struct DemoPage
{
    vz::PageLayout layout;
    QSize size; // page pixels
};

DemoPage makePage(bool landscape)
{
    const vz::PrinterPage printer = vz::printerPageFor(
        QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait, 600);
    // A work area far wider than the page, so the page is fitted by its height.
    const auto g = vz::computePageGeometry(printer, QSize(), QSize(4000, kPageHeight + 20));
    DemoPage page;
    page.layout.landscape = landscape;
    page.layout.ppiX = g->ppiX;
    page.layout.ppiY = g->ppiY;
    page.layout.screenDpi = 96;
    page.size = g->page.size();
    return page;
}

// Draws the generated alphabets' words and compositions.
class Lettering
{
public:
    Lettering(QString dataRoot, const QString &charactersFile) : m_root(std::move(dataRoot))
    {
        m_ok = m_map.load(charactersFile);
    }
    bool ok() const { return m_ok; }

    bool useAlphabet(const QString &folder)
    {
        const QStringList files = vz::letterFiles(m_root + QStringLiteral("Alphabets/Color/") + folder);
        QStringList allowed;
        vz::LoadAlphabetLetters(m_map, files, allowed);
        return !allowed.isEmpty();
    }
    vz::Picture bitmapWord(const QString &text)
    {
        const QImage word = vz::renderTypedWordBitmap(text, m_map);
        return word.isNull() ? vz::Picture() : vz::Picture::fromImage(word);
    }
    vz::Picture metafileWord(const QString &text)
    {
        // A fixed reference resolution, so the bytes do not follow the screen.
        return vz::typedWordDraws(text, m_map) ? vz::renderTypedWordMetafile(text, m_map, 96) : vz::Picture();
    }
    // A Mix & Match composition of the lines' letters, one line after another.
    vz::Picture composition(const QStringList &lines, int lineSpace)
    {
        QStringList entries;
        for (const QString &line : lines) {
            if (!entries.isEmpty())
                entries << vz::kNewLine;
            for (const QChar c : line) {
                if (c.unicode() > 255)
                    continue;
                if (vz::TCompleteLetter *l = m_map.letter(vz::CharacterMap::codeText(uchar(c.unicode()))))
                    entries << l->path();
            }
        }
        const QImage img = vz::renderCompositionBitmap(entries, lineSpace);
        return img.isNull() ? vz::Picture() : vz::Picture::fromImage(img);
    }
    // One letter's own file, as the program would place it (GIF letters stay GIF).
    vz::Picture letterFile(QChar c)
    {
        vz::TCompleteLetter *l = m_map.letter(vz::CharacterMap::codeText(uchar(c.unicode())));
        return l ? vz::Picture::fromFile(l->path()) : vz::Picture();
    }

private:
    QString m_root;
    vz::CharacterMap m_map;
    bool m_ok = false;
};

vz::Picture clipart(const QString &dataRoot, const QString &relative)
{
    return vz::Picture::fromFile(dataRoot + QStringLiteral("Images/Color/") + relative);
}

// The picture fitted (aspect kept) into a box whose top-left is `at`, and
// centred across the box's width when asked.
QRect fitted(const vz::Picture &picture, const QRect &box, bool centre = true)
{
    const QSize s = picture.size().scaled(box.size(), Qt::KeepAspectRatio);
    const int left = centre ? box.left() + (box.width() - s.width()) / 2 : box.left();
    return QRect(QPoint(left, box.top()), s);
}

struct Failure
{
    QString what;
};

void place(DemoPage &page, const vz::Picture &picture, const QRect &box, const QString &what, bool centre = true)
{
    if (picture.isNull() || picture.width() <= 0 || picture.height() <= 0)
        throw Failure{what};
    const QRect r = fitted(picture, box, centre);
    if (!QRect(QPoint(0, 0), page.size).contains(r))
        throw Failure{what + QStringLiteral(" (off the page)")};
    page.layout.pictures.append({picture, r});
}

vz::TextBoxData box(const QRect &bounds, const QStringList &lines, const QString &font, int size)
{
    vz::TextBoxData b;
    b.bounds = bounds;
    b.text = lines.join(QStringLiteral("\r\n"));
    b.fontName = font;
    b.fontSize = size;
    b.charset = 1; // DEFAULT_CHARSET
    return b;
}

void addBox(DemoPage &page, vz::TextBoxData b)
{
    if (!QRect(QPoint(0, 0), page.size).contains(b.bounds))
        throw Failure{QStringLiteral("text box %1 (off the page)").arg(page.layout.boxes.size() + 1)};
    b.tag = int(page.layout.boxes.size());
    page.layout.boxes.append(b);
}

vz::ColorValue rgb(int r, int g, int b)
{
    return vz::colorValueOf(QColor(r, g, b));
}

// Portrait, 566 x 800 page pixels.
DemoPage welcomePage(const QString &root, Lettering &letters)
{
    DemoPage page = makePage(false);
    const int w = page.size.width();

    if (!letters.useAlphabet(QStringLiteral("Lobster Sunset")))
        throw Failure{QStringLiteral("the Lobster Sunset alphabet")};
    place(page, letters.bitmapWord(QStringLiteral("Welcome!")), QRect(40, 24, w - 80, 110),
          QStringLiteral("the word \"Welcome!\""));

    vz::TextBoxData intro = box(QRect(60, 150, w - 120, 60),
                                {QStringLiteral("Decorative lettering, clip-art"), QStringLiteral("and pages to print")},
                                QStringLiteral("Times New Roman"), 14);
    intro.bold = true;
    intro.alignment = int(vz::TextAlign::Center);
    intro.color = vz::basicColorValues().at(4); // navy, written by name
    addBox(page, intro);

    place(page, clipart(root, QStringLiteral("Holidays and Parties/balloons-aj.bmp")), QRect(30, 230, 160, 200),
          QStringLiteral("the balloons (BMP)"));
    place(page, clipart(root, QStringLiteral("Flowers and Plants/sun_flower_ganson.jpg")), QRect(203, 230, 160, 200),
          QStringLiteral("the sunflower (JPEG)"));
    place(page, clipart(root, QStringLiteral("Flowers and Plants/funnyflower_02.wmf")), QRect(376, 230, 160, 200),
          QStringLiteral("the flower (WMF)"));

    vz::TextBoxData how = box(QRect(40, 450, w - 80, 120),
                              {QStringLiteral("Type a word on the Alphabets page, pick a picture on the Clipart page, "
                                              "and place both here from the clipboards at the lower left."),
                               QString(), QStringLiteral("Drag a picture to move it; pull its corners to size it.")},
                              QStringLiteral("Arial"), 10);
    how.italic = true;
    how.borderSingle = true;
    how.borderFlag = true;
    addBox(page, how);

    if (!letters.useAlphabet(QStringLiteral("Vector/Chancery Script")))
        throw Failure{QStringLiteral("the Chancery Script alphabet")};
    place(page, letters.metafileWord(QStringLiteral("Hello there")), QRect(40, 590, 300, 80),
          QStringLiteral("the metafile word \"Hello there\""));

    if (!letters.useAlphabet(QStringLiteral("Fun/Humor Rainbow")))
        throw Failure{QStringLiteral("the Humor Rainbow alphabet")};
    place(page, letters.letterFile(QLatin1Char('V')), QRect(380, 590, 80, 80), QStringLiteral("the letter V (GIF)"));
    place(page, letters.letterFile(QLatin1Char('R')), QRect(460, 590, 80, 80), QStringLiteral("the letter R (GIF)"));

    vz::TextBoxData sign = box(QRect(w - 300, 690, 260, 50),
                               {QStringLiteral("Made with Vellozine Ririraz"), QStringLiteral("Print it, or change it.")},
                               QStringLiteral("Courier New"), 9);
    sign.underline = true;
    sign.alignment = int(vz::TextAlign::Right);
    sign.color = vz::basicColorValues().at(1); // maroon
    sign.borderSingle = true;
    sign.borderFlag = true;
    addBox(page, sign);
    return page;
}

// Landscape, 1131 x 800 page pixels, of which the first 1060 are used (a
// Letter page is narrower).
DemoPage gardenPartyPage(const QString &root, Lettering &letters)
{
    DemoPage page = makePage(true);
    const int w = 1060;

    if (!letters.useAlphabet(QStringLiteral("Fun/Candy Stripes")))
        throw Failure{QStringLiteral("the Candy Stripes alphabet")};
    place(page, letters.bitmapWord(QStringLiteral("Garden Party")), QRect(150, 20, w - 300, 120),
          QStringLiteral("the word \"Garden Party\""));

    place(page, clipart(root, QStringLiteral("Flowers and Plants/flower2_juliane_krug_01.wmf")),
          QRect(40, 40, 110, 110), QStringLiteral("the flower (WMF)"));
    place(page, clipart(root, QStringLiteral("Flowers and Plants/flower2_juliane_krug_01.wmf")),
          QRect(w - 150, 40, 110, 110), QStringLiteral("the second flower (WMF)"));

    vz::TextBoxData when = box(QRect(70, 170, 330, 130),
                               {QStringLiteral("Saturday, June 14th"), QStringLiteral("from 3 o'clock"),
                                QStringLiteral("in the garden behind the caf\u00e9")},
                               QStringLiteral("Arial"), 14);
    when.bold = true;
    when.italic = true;
    when.color = vz::basicColorValues().at(2); // green
    when.borderSingle = true;
    when.borderFlag = true;
    addBox(page, when);

    place(page, clipart(root, QStringLiteral("Holidays and Parties/birthday_cake.jpg")), QRect(430, 160, 270, 250),
          QStringLiteral("the cake (JPEG)"));
    place(page, clipart(root, QStringLiteral("Flowers and Plants/dream_flower_janet_theob_01.bmp")),
          QRect(730, 160, 200, 250), QStringLiteral("the flower (BMP)"));

    vz::TextBoxData bring = box(QRect(70, 320, 330, 100),
                                {QStringLiteral("Bring: a hat, a smile"), QStringLiteral("and an umbrella")},
                                QStringLiteral("Comic Neue"), 12);
    bring.alignment = int(vz::TextAlign::Center);
    bring.color = rgb(0x33, 0x66, 0x99); // no name: written as a number
    addBox(page, bring);

    if (!letters.useAlphabet(QStringLiteral("Vector/Lobster Two Outlines")))
        throw Failure{QStringLiteral("the Lobster Two Outlines alphabet")};
    place(page, letters.metafileWord(QStringLiteral("Summer")), QRect(70, 450, 380, 110),
          QStringLiteral("the metafile word \"Summer\""));

    if (!letters.useAlphabet(QStringLiteral("Blocks/Beteckna Tiles")))
        throw Failure{QStringLiteral("the Beteckna Tiles alphabet")};
    place(page, letters.composition({QStringLiteral("FUN"), QStringLiteral("IN THE SUN")}, 60),
          QRect(500, 440, 300, 150), QStringLiteral("the composition"));

    if (!letters.useAlphabet(QStringLiteral("Fun/Femke Checks")))
        throw Failure{QStringLiteral("the Femke Checks alphabet")};
    place(page, letters.letterFile(QLatin1Char('G')), QRect(850, 450, 90, 90), QStringLiteral("the letter G (GIF)"));
    place(page, letters.letterFile(QLatin1Char('P')), QRect(950, 450, 90, 90), QStringLiteral("the letter P (GIF)"));

    vz::TextBoxData rsvp = box(QRect(w - 420, 620, 380, 70),
                               {QStringLiteral("RSVP by June 1st \u2605"), QStringLiteral("(the old date was wrong)")},
                               QStringLiteral("Times New Roman"), 11);
    rsvp.alignment = int(vz::TextAlign::Right);
    rsvp.color = vz::basicColorValues().at(9); // red
    rsvp.borderSingle = true;
    rsvp.borderFlag = true;
    addBox(page, rsvp);

    vz::TextBoxData old = box(QRect(70, 620, 330, 40), {QStringLiteral("Sunday, June 15th")},
                              QStringLiteral("Arial"), 12);
    old.strikeOut = true;
    addBox(page, old);
    return page;
}

bool writePage(const DemoPage &page, const QString &path, QTextStream &log)
{
    QByteArray bytes;
    try {
        bytes = vz::encodeLayout(page.layout);
    } catch (const vz::VzError &e) {
        log << "  " << path << ": " << e.message() << '\n';
        return false;
    }
    if (!writeBytes(path, bytes)) {
        log << "  cannot write " << path << '\n';
        return false;
    }
    log << "  layout " << QFileInfo(path).fileName() << ": " << page.layout.pictures.size() << " pictures, "
        << page.layout.boxes.size() << " text boxes, " << bytes.size() << " bytes\n";
    return true;
}

} // namespace

bool generateLayouts(const QString &dataRoot, const QString &charactersFile, const QString &outFolder,
                     QTextStream &log)
{
    Lettering letters(dataRoot, charactersFile);
    if (!letters.ok()) {
        log << "  cannot read " << charactersFile << '\n';
        return false;
    }
    if (!QDir().mkpath(outFolder)) {
        log << "  cannot make " << outFolder << '\n';
        return false;
    }
    const QString out = outFolder.endsWith(QLatin1Char('/')) ? outFolder : outFolder + QLatin1Char('/');
    try {
        return writePage(welcomePage(dataRoot, letters), out + QStringLiteral("Welcome.VZL"), log)
            && writePage(gardenPartyPage(dataRoot, letters), out + QStringLiteral("Garden Party.VZL"), log);
    } catch (const Failure &f) {
        log << "  demo layouts: no " << f.what << '\n';
    } catch (const vz::VzError &e) {
        log << "  demo layouts: " << e.message() << '\n';
    }
    return false;
}

} // namespace datagen
