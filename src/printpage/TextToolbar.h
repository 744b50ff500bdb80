#pragma once

#include <QFont>
#include <QWidget>

class QFontComboBox;
class QSpinBox;
class QToolButton;

namespace vz {

// The floating tool window of the text boxes. It only reports what the user
// does; the page decides what that does to the selected box. Loading it from
// a box (setters below) never reports anything.
class TextToolbar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMinField = 6;
    static constexpr int kMaxField = 200;
    static constexpr int kInitialField = 15;

    explicit TextToolbar(QWidget *parent = nullptr);

    QString fontName() const;
    int sizeField() const;
    bool bold() const;
    bool italic() const;
    bool underline() const;
    bool border() const;
    int alignment() const; // 0 left, 1 right, 2 centre

    // Quiet setters: the controls change, nothing is reported.
    void setFontName(const QString &name);
    // A value outside the field's range shows clamped.
    void setSizeField(int field);
    void setStyle(bool bold, bool italic, bool underline);
    void setBorder(bool on);
    void setAlignment(int alignment);

Q_SIGNALS:
    void newClicked();
    void fontOptionsClicked();
    void boldClicked(bool down);
    void underlineClicked(bool down);
    void italicClicked(bool down);
    void fontNameEdited(const QString &name);
    void sizeFieldEdited(int field);
    void borderClicked(bool down);
    void alignmentClicked(int alignment);
    void closeClicked();

private:
    QToolButton *button(const char *name, const char *hint, const QString &text, bool toggle);
    void separator();

    QToolButton *m_bold = nullptr;
    QToolButton *m_underline = nullptr;
    QToolButton *m_italic = nullptr;
    QFontComboBox *m_fontName = nullptr;
    QSpinBox *m_size = nullptr;
    QToolButton *m_border = nullptr;
    QToolButton *m_align[3] = {}; // left, centre, right as shown
};

} // namespace vz
