#pragma once

#include <QWidget>

class QLabel;
class QTimer;

namespace vz {

// A sheet of paper flying from one folder to another, 27 frames on a timer,
// looping while it runs.
class CopyAnimation : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kLastFrame = 26;

    explicit CopyAnimation(QWidget *parent = nullptr);
    void start();
    void stop();
    bool isRunning() const;
    int frame() const { return m_frame; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QTimer *m_timer;
    int m_frame = 0;
};

// The progress window of the catalog update: shown without waiting, but
// while it shows no other window of the program takes input, and it cannot
// be closed by the user.
class TfrmReplaceDlg : public QWidget
{
    Q_OBJECT
public:
    explicit TfrmReplaceDlg(QWidget *parent = nullptr);

    CopyAnimation *animation() const { return m_animate; }
    QLabel *label() const { return m_label; }
    void setLabelText(const QString &text);
    // Closes the window (the user's close does nothing).
    void finish();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fitLabelHeight();

    CopyAnimation *m_animate;
    QLabel *m_label;
    bool m_finishing = false;
};

} // namespace vz
