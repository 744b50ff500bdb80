#pragma once

#include <QWidget>

class QKeyEvent;

namespace vz {

// The print page window: a page of placed pictures and text boxes. It is
// embedded in the main window's "VZPrint" page while that page is shown.
class TfrmPrint : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmPrint(QWidget *parent = nullptr);

    // Places the window borderless inside `host`, filling it, and shows it.
    void embedInto(QWidget *host);
    // Hides the window (it lives until the program ends).
    void closePage();
    bool isShowing() const { return isVisible(); }

    // Keys the main window passes on while the print page is shown.
    virtual void FormKeyDown(QKeyEvent *event);
    QList<int> keysReceived() const { return m_keys; }

protected:
    void resizeEvent(QResizeEvent *e) override;

private:
    QList<int> m_keys;
};

} // namespace vz
