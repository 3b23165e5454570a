#include "acquisition/AlarmSound.h"

#include "common/Errors.h"

namespace scada {

bool FakeAlarmSound::open(const QString &file)
{
    opened << file;
    m_playing = false;
    if (failOpen) {
        m_open = false;
        m_file.clear();
        return false;
    }
    m_open = true;
    m_file = file;
    pos = 0;
    return true;
}

void FakeAlarmSound::close()
{
    m_open = false;
    m_playing = false;
    m_file.clear();
}

void FakeAlarmSound::play(qint64 startMs, qint64 endMs)
{
    if (!m_open)
        return;
    if (throwOnPlay)
        throw ScadaError(QStringLiteral("The sound device is busy"));
    plays << Segment{startMs, endMs};
    pos = startMs;
    m_playing = true;
}

void FakeAlarmSound::stop()
{
    ++stops;
    m_playing = false;
}

} // namespace scada

#include "platform/Prompt.h"

#include <QDir>
#include <QFileInfo>

namespace scada {

namespace {
QString soundIn(const QString &folder)
{
    if (folder.isEmpty())
        return {};
    const QDir dir(folder);
    const QString exact = dir.filePath(QStringLiteral("Sound.wav"));
    if (QFileInfo(exact).isFile())
        return exact;
    const QStringList any = dir.entryList({QStringLiteral("sound.wav")}, QDir::Files | QDir::Readable,
                                          QDir::Name);
    return any.isEmpty() ? QString() : dir.filePath(any.front());
}
} // namespace

QString FindAlarmSoundFile(const QString &programDir, const QString &systemFolder)
{
    for (const QString &folder : {QDir::currentPath(), programDir, systemFolder}) {
        const QString found = soundIn(folder);
        if (!found.isEmpty())
            return QFileInfo(found).absoluteFilePath();
    }
    return {};
}

bool PrepareAlarmSound(AlarmSound &sound, const QString &programDir, Prompt &prompt, const QString &systemFolder)
{
    const QString file = FindAlarmSoundFile(programDir, systemFolder);
    if (file.isEmpty()) {
        prompt.information(QStringLiteral("Not find sound.wav file!"));
        sound.close();
        return false;
    }
    if (!sound.hasOutput())
        return false;
    return sound.open(file);
}

void MonitorClearAlarmCmdExecute(Prompt &prompt, AlarmSound &sound)
{
    if (!sound.isOpen())
        return;
    if (prompt.yesNo(QStringLiteral("Clear the alarm?")))
        sound.stop();
}

} // namespace scada
