#include "enhancements/FlashPlayer.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

namespace vz {

FlashPlayer::FlashPlayer(QWidget *parent)
    : QFrame(parent)
{
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    auto *layout = new QVBoxLayout(this);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("ShockwaveFlash1"));
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    layout->addWidget(m_text);
    showState();
}

void FlashPlayer::setMovie(const QString &path)
{
    if (path == m_movie)
        return;
    stop();
    m_movie = path;
    showState();
}

void FlashPlayer::play()
{
    if (m_playing || m_movie.isEmpty() || !QFileInfo(m_movie).isFile())
        return;
    m_playing = true;
    showState();
    Q_EMIT playingChanged(true);
}

void FlashPlayer::stop()
{
    if (!m_playing)
        return;
    m_playing = false;
    showState();
    Q_EMIT playingChanged(false);
}

void FlashPlayer::showState()
{
    if (m_movie.isEmpty())
        m_text->setText(tr("Text effects are not available."));
    else
        m_text->setText((m_playing ? tr("Playing %1") : tr("Stopped: %1")).arg(QFileInfo(m_movie).fileName()));
}

} // namespace vz
