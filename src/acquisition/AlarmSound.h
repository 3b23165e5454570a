#pragma once
// The sound players of the station: the alarm sound (segments of one wave
// file) and the picture sound. The recorder and the picture-sound player
// talk to this seam; QtAlarmSound (acquisition/ui) plays through Qt
// Multimedia, FakeAlarmSound serves the tests.

#include <QList>
#include <QString>
#include <QStringList>

namespace scada {

class AlarmSound {
public:
    virtual ~AlarmSound() = default;

    // Whether the system lists at least one audio output.
    virtual bool hasOutput() const = 0;
    // Opens a sound file; false when it cannot be used (the player is then closed).
    virtual bool open(const QString &file) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString fileName() const = 0;
    // Plays [startMs, endMs) of the open file; endMs < 0 plays to the end.
    virtual void play(qint64 startMs, qint64 endMs = -1) = 0;
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // Position and length of the open file in milliseconds.
    virtual qint64 position() const = 0;
    virtual qint64 length() const = 0;
    // 0..100.
    virtual void setVolume(int percent) = 0;
};

// Records what would have been played; position and length are set by the test.
class FakeAlarmSound : public AlarmSound {
public:
    struct Segment {
        qint64 start;
        qint64 end;
        bool operator==(const Segment &) const = default;
    };

    bool hasOutput() const override { return output; }
    bool open(const QString &file) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString fileName() const override { return m_file; }
    void play(qint64 startMs, qint64 endMs = -1) override;
    void stop() override;
    bool isPlaying() const override { return m_playing; }
    qint64 position() const override { return pos; }
    qint64 length() const override { return len; }
    void setVolume(int percent) override { volume = percent; }

    // Test controls.
    bool output = true;
    bool failOpen = false;
    bool throwOnPlay = false;
    qint64 pos = 0;
    qint64 len = 5000;
    int volume = 100;
    int stops = 0;
    QStringList opened;
    QList<Segment> plays;
    // Lets the test end playback (as the end of the file would).
    void finish()
    {
        m_playing = false;
        pos = len;
    }

private:
    bool m_open = false;
    bool m_playing = false;
    QString m_file;
};

} // namespace scada

namespace scada {

class Prompt;

// The folder searched for the alarm sound after the current and the program
// directory.
inline const char *kSystemSoundFolder = "/usr/share/sounds";

// "Sound.wav" in the current directory, then in the program directory, then
// in the system sound folder (a name differing only in letter case also
// counts); empty when there is none.
QString FindAlarmSoundFile(const QString &programDir, const QString &systemFolder = QString::fromLatin1(kSystemSoundFolder));

// Prepares the alarm sound at start-up: no file shows "Not find sound.wav
// file!" and leaves the player closed; a file with an audio output opens it.
// Returns whether the player is open.
bool PrepareAlarmSound(AlarmSound &sound, const QString &programDir, Prompt &prompt,
                       const QString &systemFolder = QString::fromLatin1(kSystemSoundFolder));

// "Clear alarm": with the player open asks "Clear the alarm?" and stops it on Yes.
void MonitorClearAlarmCmdExecute(Prompt &prompt, AlarmSound &sound);

} // namespace scada
