#pragma once

#include "shell/AppState.h"

#include <QWidget>

class QAbstractButton;
class QButtonGroup;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace vz {

// The clipboard strip's height at 96 dots per inch.
inline constexpr int kStripDesignHeight = 121;

class AlphabetPage;
class MixMatchPage;
class ClipartPage;
class ClipboardPanel;
class ImageExchange;
class EnhancementsPage;
class CollapsiblePanel;
class TfrmPrint;
class TfrmPrintTS;
class TfrmImageSize;
class TEnlargedView;
class ShellPrintHost;
class CharacterMap;
class TipsPanel;

// The main window: toolbar, page column, the two page stacks, the collapsible
// side panels, the start-up sequence, page switching and the key map. Each
// page's behaviour lives in its own class.
class TfrmVZMain : public QWidget
{
    Q_OBJECT
public:
    // `args` are the command line arguments after the program name.
    explicit TfrmVZMain(const QStringList &args, QWidget *parent = nullptr);
    ~TfrmVZMain() override;

    // Start-up asked the program to end (the character map was unusable).
    bool terminateRequested() const { return m_terminate; }

    AppState &state() { return m_state; }
    const CharacterMap &characterMap() const { return *m_characters; }
    QString mainPageName() const;
    QString lowerPageName() const;
    TfrmPrint *printPage() const { return m_print; }
    TfrmPrintTS *printOptions() const { return m_printOptions; }
    AlphabetPage *alphabetPage() const { return m_alphabetPage; }
    MixMatchPage *mixMatchPage() const { return m_mixPage; }
    ClipartPage *clipartPage() const { return m_clipartPage; }
    ClipboardPanel *clipboardPanel() const { return m_clipPanel; }
    ImageExchange *imageExchange() const { return m_exchange; }
    TEnlargedView *enlargedView() const { return m_enlargedView; }
    TfrmImageSize *imageSizeDialog() const { return m_imageSize; }
    TipsPanel *tipsPanel() const { return m_tips; }
    QTimer *tipTimer() const { return m_timer2; }

    // The key map; never consumes the key.
    void FormKeyDown(QKeyEvent *event);

public Q_SLOTS:
    void Timer1Timer();
    void Timer2Timer();
    void btnclipHideClick();
    void btnTipsHideClick();
    void ShowAlpabets();
    void ShowMixMathc();
    void ShowClipart();
    void ShowEnhancement();
    void ShowTypeStyler();
    void btnPrintPageClick();

    // Toolbar commands.
    void btnOpenClick();
    void btnSaveClick();
    void btncopyClick();
    void ClearCurrentClipboard();
    void ClearallClipboards();
    void btnpreviewClick();
    void btnTourClick();
    // A tour chosen in the Tours folder, in a new tour window.
    void startTour();
    void btnHelpClick();
    void RunCatalogUpdate();

Q_SIGNALS:
    // Fired by each toolbar command, so callers (and tests) can follow them.
    void commandRun(const QString &name);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormCreate(const QStringList &args);
    void buildToolbar(QWidget *bar);
    void buildPageColumn(QWidget *column);
    void buildBottomStrip(QWidget *strip);
    void setMainPage(const QString &name);
    void setLowerPage(const QString &name);
    void closePrintPage();
    void FormResize();
    void CheckForCatalogUpdate();
    void pnlHideClipartCanResize(bool expanded);
    void pnlhideTipCanResize(bool expanded);
    void applicationStateChanged(Qt::ApplicationState state);
    void checkSystemClipboard();
    // A drag held over "View Print Page" opens the page; a drop there places.
    bool printButtonDragEvent(QEvent *event);

    AppState m_state;
    QStringList m_args;
    CharacterMap *m_characters;
    bool m_terminate = false;
    bool m_created = false;

    QStackedWidget *m_mainNotebook = nullptr;
    QStackedWidget *m_noteBookPreview = nullptr;
    CollapsiblePanel *m_pnlHideClipart = nullptr;
    CollapsiblePanel *m_pnlhideTip = nullptr;
    QToolButton *m_btnclipHide = nullptr;
    QToolButton *m_btnTipsHide = nullptr;
    QButtonGroup *m_pageGroup = nullptr;
    QWidget *m_pnlPrintEmbed = nullptr;
    QTimer *m_timer1 = nullptr;
    QTimer *m_timer2 = nullptr;
    TipsPanel *m_tips = nullptr;

    AlphabetPage *m_alphabetPage = nullptr;
    MixMatchPage *m_mixPage = nullptr;
    ClipartPage *m_clipartPage = nullptr;
    ClipboardPanel *m_clipPanel = nullptr;
    ImageExchange *m_exchange = nullptr;
    EnhancementsPage *m_enhancements = nullptr;
    TfrmPrint *m_print = nullptr;
    TfrmPrintTS *m_printOptions = nullptr;
    TEnlargedView *m_enlargedView = nullptr;
    TfrmImageSize *m_imageSize = nullptr;
    ShellPrintHost *m_printHost = nullptr;
    QToolButton *m_btnPrintPreview = nullptr;
    QTimer *m_printHover = nullptr;
};

// The magnifying-glass cursor set on controls whose click opens a preview.
QCursor magnifyCursor();

} // namespace vz
