#pragma once

#include "shell/TourScript.h"

#include <QObject>

namespace vz {

class TfrmTour;
class TfrmVZMain;

// The quick tour's actions on the main window's pages: each code presses
// the control a user would press. One per tour window, owned by it.
class ShellTourActions : public QObject, public TourActions
{
    Q_OBJECT
public:
    explicit ShellTourActions(TfrmVZMain &main);

    void setTourWindow(TfrmTour *tour) { m_tour = tour; }

    void perform(int code, const QString &methodText) override;
    void missTyped(int code) override;

private:
    void press(QObject *root, const char *name);
    void pressPage(const char *name);
    void nextAlphabet();
    void openPreview();
    void previewEffect(const char *button, const char *slider, int value);

    TfrmVZMain &m_main;
    TfrmTour *m_tour = nullptr;
};

// A new, hidden tour window of the main window with its actions; closing
// frees both.
TfrmTour *newTourWindow(TfrmVZMain &main);

} // namespace vz
