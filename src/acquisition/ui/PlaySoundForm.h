#pragma once
// The player of picture sounds: a window that is never shown and plays the
// sound of a picture a number of times through an AlarmSound player, with
// an end watch ("TimerCount") and a repeat timer ("TimerPlay") on the given
// TimerService. While it plays, the picture-sound flag keeps the alarm sound
// from starting.

#include <QList>
#include <QPair>
#include <QString>
#include <QWidget>

#include <functional>

class QCheckBox;
class QPushButton;
class QSlider;

namespace scada {

class AlarmSound;
class TimerService;

class TFormPlaySound : public QWidget {
    Q_OBJECT
public:
    static constexpr int kVolume = 85;

    // Defines "TimerCount" and "TimerPlay" (1000 ms) on timers.
    TFormPlaySound(AlarmSound &player, TimerService &timers, QWidget *parent = nullptr);
    ~TFormPlaySound() override;

    // Plays file playCount times (a count other than 1 repeats).
    void PlayPictureSound(const QString &file, int playCount);
    // The picture-sound flag.
    bool pictureSoundFlag() const { return m_flag; }
    void setPictureSoundFlag(bool on) { m_flag = on; }

    int plays() const { return m_plays; }
    int repeatCount() const { return m_count; }
    bool loop() const { return m_loop; }
    int volume() const;

    // Handlers.
    void PlayRequest();
    void TimerCountTimer();
    void TimerPlayTimer();
    void StopRequest();

    QPushButton *Button1 = nullptr;  // "停止": stop
    QCheckBox *CheckBox1 = nullptr;  // "循环播放": loop playback
    QSlider *VolumeBar = nullptr;

private:
    void post(std::function<void()> fn);

    AlarmSound &m_player;
    TimerService &m_timers;
    QString m_file;
    bool m_flag = false;
    int m_count = 0;
    int m_plays = 0;
    bool m_loop = false;
    QList<int> m_posted;
};

// Plays the first of a picture's sounds (file name, repeat count) whose file
// exists in the folder "Sound" of the program directory. false when none does.
bool PlayPictureSound(TFormPlaySound &form, const QString &programDir, const QList<QPair<QString, int>> &sounds);

} // namespace scada
