#pragma once

#include <QObject>
#include <QStringList>

class QListWidget;
class QScrollArea;
class QWidget;
class QTableView;

namespace vz {

struct AppState;

// The alphabet page: the alphabet list `ListAlpha` and the letter grid on the
// main page "VZAlphabet", the typed-word preview and typing box on the lower
// page "Alpha".
class AlphabetPage : public QObject
{
    Q_OBJECT
public:
    AlphabetPage(AppState &state, QWidget *mainPage, QWidget *lowerPage, QObject *parent = nullptr);

    QListWidget *listAlpha() const { return m_listAlpha; }
    QWidget *paintBox() const { return m_paintBox; }
    QScrollArea *scrollBox() const { return m_scrollBox; }

    // Fills ListAlpha from the tree and appends the fixed "More..." entry.
    void fillAlphabetList(const QString &treeFolder);
    const QStringList &entries() const { return m_entries; }

    // Selects a row and runs its click handler (loads that alphabet).
    void selectAndChoose(int row);
    // Selects the remembered row again without loading.
    void reselectRemembered();
    // Loads the chosen alphabet again (window resized).
    void reload();

public Q_SLOTS:
    void ListAlphaClick();
    void AlphaChoose();

Q_SIGNALS:
    // After an alphabet was chosen (also when it was loaded again).
    void alphabetChosen(int row);

private:
    AppState &m_state;
    QListWidget *m_listAlpha;
    QWidget *m_grid;
    QScrollArea *m_scrollBox;
    QWidget *m_paintBox;
    QStringList m_entries;
};

} // namespace vz
