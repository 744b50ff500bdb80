#pragma once

#include <QLabel>
#include <QObject>

class QWidget;

namespace vz {

struct AppState;

// The clip-art page: categories and the thumbnail grid on "VZClipart", the
// chosen picture and the search on the lower page "Clipart".
class ClipartPage : public QObject
{
    Q_OBJECT
public:
    ClipartPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent = nullptr);

    QWidget *mainImage() const { return m_mainImage; }
    QWidget *panelImageInner() const { return m_panelImageInner; }

public Q_SLOTS:
    // Shown by the page button "Clipart".
    void ShowClipart();
    // Loads the chosen category again (window resized).
    void reload();

private:
    AppState &m_state;
    QWidget *m_panelImageInner;
    QLabel *m_mainImage;
};

} // namespace vz
