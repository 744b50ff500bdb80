#pragma once

#include "shell/TourScript.h"
#include "common/formBaseDlg.h"

class QCheckBox;
class QLabel;
class QTextBrowser;

namespace vz {

// "Quick Tour": a stay-on-top tool window that shows the current step of a
// TourScript and moves on with "Next Tour Page". The steps' actions go to
// the TourActions it is given; closing frees the window.
class TfrmTour : public TfrmBaseDlg
{
    Q_OBJECT
public:
    // `actions` must outlive the window.
    TfrmTour(TourActions &actions, QWidget *parent = nullptr);

    TourScript &script() { return m_script; }
    void loadTour(const QString &path);
    QCheckBox *checkBox1() const { return m_checkBox1; }
    // Without the settings store ("local") the check box writes nothing.
    void setUsesSettings(bool uses) { m_usesSettings = uses; }

    // The start-up tour: when RunTour (absent: written true) says so and
    // `programFolder` + "Tours/buttons.tor" exists, shows that tour with the
    // check box and returns true. Otherwise returns false and the caller
    // frees the window.
    bool startupTourDecision(const QString &programFolder);
    // Centred across the top of the main window's screen.
    void placeAtTop();
    // The screen's bottom-left corner, out of the preview window's way.
    void placeAtBottomLeft();

public Q_SLOTS:
    void btnNextClick();
    void btnOkClick();
    void fcImageBtn1Click();
    void CheckBox1Click();

protected:
    bool event(QEvent *event) override;

private:
    void showStep();
    QRect screenArea() const;
    void followBlocking();

    TourActions &m_actions;
    TourScript m_script;
    QLabel *m_title;
    QTextBrowser *m_text;
    QLabel *m_picture;
    QCheckBox *m_checkBox1;
    QToolButton *m_btnNext;
    bool m_usesSettings = true;
    bool m_blocked = false; // a modal dialog blocks the window
};

} // namespace vz
