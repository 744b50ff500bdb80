#include "shell/ShellTourActions.h"

#include "clipboards/ClipboardPanel.h"
#include "clipboards/ToteBags.h"
#include "common/Dialogs.h"
#include "imagesets/ClipartPage.h"
#include "imagesets/ThumbnailGrid.h"
#include "imaging/FormEnlarge.h"
#include "lettering/AlphabetPage.h"
#include "lettering/ImageStringEdit.h"
#include "lettering/MixMatchPage.h"
#include "platform/ShellOpen.h"
#include "platform/SystemClipboard.h"
#include "printpage/formPrint.h"
#include "shell/FormTour.h"
#include "shell/formAbout.h"
#include "shell/formVZMain.h"

#include <QAbstractButton>
#include <QListWidget>
#include <QMenu>
#include <QSlider>

namespace vz {

ShellTourActions::ShellTourActions(TfrmVZMain &main)
    : m_main(main)
{
    setObjectName(QStringLiteral("ShellTourActions"));
}

void ShellTourActions::press(QObject *root, const char *name)
{
    if (auto *button = root->findChild<QAbstractButton *>(QLatin1String(name)))
        button->click();
}

void ShellTourActions::pressPage(const char *name)
{
    // A checkable page button stays down after its click, as under the mouse.
    if (auto *button = m_main.findChild<QAbstractButton *>(QLatin1String(name))) {
        button->click();
        button->setChecked(true);
    }
}

void ShellTourActions::nextAlphabet()
{
    AlphabetPage *page = m_main.alphabetPage();
    page->selectAndChoose(page->listAlpha()->currentRow() + 1);
}

void ShellTourActions::openPreview()
{
    TEnlargedView *view = m_main.enlargedView();
    const TToteBageImage &bag = toteBag(kAlphaClip);
    if (bag.HasRaster) {
        view->RasterMode();
        view->imgMain().setBitmap(bag.RasterHolder.Bitmap());
    } else if (bag.HasPicture) {
        view->PictureMode(bag.PictureHolder);
    } else {
        return;
    }
    view->setWindowTitle(TEnlargedView::defaultCaption());
    view->showNonModal();
}

void ShellTourActions::previewEffect(const char *button, const char *slider, int value)
{
    TEnlargedView *view = m_main.enlargedView();
    // Effects need the raster the window shows; an empty window has none.
    if (!view->isVisible() || !view->isRasterMode())
        return;
    press(view, button);
    if (slider) {
        if (auto *s = view->findChild<QSlider *>(QLatin1String(slider)))
            s->setValue(value);
    }
    press(view, "btnApply");
}

void ShellTourActions::perform(int code, const QString &methodText)
{
    TfrmPrint *print = m_main.printPage();
    switch (code) {
    case 1: pressPage("btnMixMatch"); break;
    case 2: pressPage("btnAlpha"); break;
    case 3: pressPage("btnEnhance"); break;
    case 4: pressPage("btnPrintPreview"); break;
    case 5: nextAlphabet(); break;
    case 6: m_main.alphabetPage()->typingBox()->setText(methodText); break;
    case 7: press(&m_main, "btnAddAlphatoClip"); break;
    case 8:
    case 21: press(&m_main, "btncopy"); break;
    case 9: {
        MixMatchPage *mix = m_main.mixMatchPage();
        if (mix->composition().isEmpty()) {
            const int letter = m_main.alphabetPage()->grid()->currentIndex();
            for (int i = 0; i < 6; ++i)
                mix->DBAlphaGridMousedown(letter);
            nextAlphabet();
        }
        press(&m_main, "btnSendMixToClip");
        break;
    }
    case 10:
        if (m_tour)
            m_tour->placeAtBottomLeft();
        openPreview();
        break;
    case 11: previewEffect("btnColor", "tbHue", 110); break;
    case 12: previewEffect("btncontrast", "tbContrast", 200); break;
    case 13: previewEffect("btnFlip", nullptr, 0); break;
    case 14:
        if (m_main.enlargedView()->isVisible())
            press(m_main.enlargedView(), "btnOK");
        if (m_tour)
            m_tour->placeAtTop();
        break;
    // The thumbnails' tags: Alphabets, Clipart, Mix & Match, Windows.
    case 15: m_main.clipboardPanel()->ClipBoardToPrint(0); break;
    case 16: m_main.clipboardPanel()->ClipBoardToPrint(2); break;
    case 17: m_main.clipboardPanel()->ClipBoardToPrint(3); break;
    case 18: m_main.clipboardPanel()->ClipBoardToPrint(1); break;
    case 19: press(&m_main, "btnSave"); break;
    case 20: press(&m_main, "btnOpen"); break;
    case 22:
    case 26: press(print, "btnPaste"); break;
    case 23: press(print, "btnCut"); break;
    case 24: press(print, "btnTextBox"); break;
    case 25: SystemClipboard::putText(methodText); break;
    case 27: press(print, "btnDelete1"); break;
    case 28: press(print, "btnClear"); break;
    case 30:
        // Not exec(): the tour goes on while the menu is up.
        if (QMenu *menu = print->popupMenu())
            menu->popup(QPoint(100, 100));
        break;
    case 31: TfrmAbout::openAddress(kMakerSite, m_tour); break;
    case 33: m_main.clipartPage()->showCurrentImage(); break;
    case 34: pressPage("btnClipart"); break;
    case 35: press(&m_main, "btnSendtoClipartClip"); break;
    default: break;
    }
}

void ShellTourActions::missTyped(int) { dialogs::information(kMissTypedMessage, m_tour); }

TfrmTour *newTourWindow(TfrmVZMain &main)
{
    auto *actions = new ShellTourActions(main);
    auto *tour = new TfrmTour(*actions, &main);
    // Freed with the window; the window never calls it while it is going.
    actions->setParent(tour);
    actions->setTourWindow(tour);
    tour->setUsesSettings(main.state().usedRegistry);
    return tour;
}

} // namespace vz
