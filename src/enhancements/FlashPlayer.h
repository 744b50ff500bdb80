#pragma once

#include <QFrame>
#include <QString>

class QLabel;

namespace vz {

// Stands in for the Flash player of the text effects page, which has no
// counterpart here: it holds a movie path and a playing flag and accepts the
// operations the page uses (Movie, Playing, Play, Stop), and shows which
// movie it holds. It plays nothing.
class FlashPlayer : public QFrame
{
    Q_OBJECT
public:
    explicit FlashPlayer(QWidget *parent = nullptr);

    QString movie() const { return m_movie; }
    // A new movie stops the one playing.
    void setMovie(const QString &path);
    bool playing() const { return m_playing; }

    // Playing starts only with a movie file that exists.
    void play();
    void stop();

Q_SIGNALS:
    void playingChanged(bool playing);

private:
    void showState();

    QLabel *m_text;
    QString m_movie;
    bool m_playing = false;
};

} // namespace vz
