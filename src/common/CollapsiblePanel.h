#pragma once

#include <QWidget>

class QToolButton;

namespace vz {

class AlignLayout;

// A side panel that collapses to a narrow tab and expands again, by its own
// tab or from outside (a toolbar toggle). The panel must be placed by an
// AlignLayout, aligned left or right; collapsing changes its aligned width.
class CollapsiblePanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTabWidth = 14;

    explicit CollapsiblePanel(Qt::Edge tabEdge, QWidget *parent = nullptr);

    // The area for the panel's own controls.
    QWidget *content() const { return m_content; }
    bool isExpanded() const { return m_expanded; }
    int expandedWidth() const { return m_expandedWidth; }
    void setExpandedWidth(int w);

public Q_SLOTS:
    void setExpanded(bool expanded);
    void toggle() { setExpanded(!m_expanded); }

Q_SIGNALS:
    // After every change of size through collapsing or expanding.
    void resized(bool expanded);

protected:
    void resizeEvent(QResizeEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    void place();

    Qt::Edge m_tabEdge;
    QToolButton *m_tab;
    QWidget *m_content;
    bool m_expanded = true;
    int m_expandedWidth = 134;
};

} // namespace vz
