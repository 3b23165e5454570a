#include "acquisition/ui/AlarmSoundPlayer.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

namespace scada {

QtAlarmSound::QtAlarmSound(QObject *parent) : QObject(parent) {}

QtAlarmSound::~QtAlarmSound()
{
    close();
}

bool QtAlarmSound::hasOutput() const
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool QtAlarmSound::open(const QString &file)
{
    close();
    if (!QFileInfo(file).isFile() || !hasOutput())
        return false;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(QMediaDevices::defaultAudioOutput(), m_player);
    m_output->setVolume(float(m_volume) / 100.0f);
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::positionChanged, this, &QtAlarmSound::onPosition);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &QtAlarmSound::onStatus);
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
    if (m_player->error() != QMediaPlayer::NoError) {
        close();
        return false;
    }
    m_file = file;
    return true;
}

void QtAlarmSound::close()
{
    if (m_player) {
        m_player->stop();
        m_player->deleteLater();
    }
    m_player = nullptr;
    m_output = nullptr;
    m_file.clear();
    m_end = -1;
    m_pendingStart = -1;
}

void QtAlarmSound::play(qint64 startMs, qint64 endMs)
{
    if (!m_player)
        return;
    m_end = endMs;
    const auto status = m_player->mediaStatus();
    if (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia
        || status == QMediaPlayer::BufferingMedia || status == QMediaPlayer::EndOfMedia) {
        m_pendingStart = -1;
        m_player->setPosition(startMs);
    } else {
        // The position can be set once the file is loaded.
        m_pendingStart = startMs;
    }
    m_player->play();
}

void QtAlarmSound::onStatus()
{
    if (!m_player)
        return;
    const auto status = m_player->mediaStatus();
    if (m_pendingStart >= 0 && (status == QMediaPlayer::LoadedMedia || status == QMediaPlayer::BufferedMedia)) {
        const qint64 start = m_pendingStart;
        m_pendingStart = -1;
        m_player->setPosition(start);
    }
}

void QtAlarmSound::onPosition(qint64 ms)
{
    // The segment ends at its end position.
    if (m_player && m_end >= 0 && m_pendingStart < 0 && ms >= m_end) {
        m_end = -1;
        m_player->pause();
    }
}

void QtAlarmSound::stop()
{
    m_end = -1;
    m_pendingStart = -1;
    if (m_player)
        m_player->stop();
}

bool QtAlarmSound::isPlaying() const
{
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 QtAlarmSound::position() const
{
    return m_player ? m_player->position() : 0;
}

qint64 QtAlarmSound::length() const
{
    return m_player ? m_player->duration() : 0;
}

void QtAlarmSound::setVolume(int percent)
{
    m_volume = std::clamp(percent, 0, 100);
    if (m_output)
        m_output->setVolume(float(m_volume) / 100.0f);
}

} // namespace scada
