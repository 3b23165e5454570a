#pragma once
// The sound player on Qt Multimedia. Without an audio output nothing is
// opened or played and nothing is reported.

#include "acquisition/AlarmSound.h"

#include <QObject>

class QAudioOutput;
class QMediaPlayer;

namespace scada {

class QtAlarmSound : public QObject, public AlarmSound {
    Q_OBJECT
public:
    explicit QtAlarmSound(QObject *parent = nullptr);
    ~QtAlarmSound() override;

    bool hasOutput() const override;
    bool open(const QString &file) override;
    void close() override;
    bool isOpen() const override { return m_player != nullptr; }
    QString fileName() const override { return m_file; }
    void play(qint64 startMs, qint64 endMs = -1) override;
    void stop() override;
    bool isPlaying() const override;
    qint64 position() const override;
    qint64 length() const override;
    void setVolume(int percent) override;

private:
    void onPosition(qint64 ms);
    void onStatus();

    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    QString m_file;
    qint64 m_end = -1;
    qint64 m_pendingStart = -1;
    int m_volume = 100;
};

} // namespace scada
