#include "acquisition/ui/PlaySoundForm.h"

#include "acquisition/AlarmSound.h"
#include "common/Cp936.h"
#include "platform/TimerService.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSlider>

namespace scada {

namespace {
const QString kTimerCount = QStringLiteral("TimerCount");
const QString kTimerPlay = QStringLiteral("TimerPlay");
// The captions as stored in code page 936.
const char kStopCaption[] = "\xCD\xA3\xD6\xB9";                  // 停止
const char kLoopCaption[] = "\xD1\xAD\xBB\xB7\xB2\xA5\xB7\xC5"; // 循环播放
} // namespace

TFormPlaySound::TFormPlaySound(AlarmSound &player, TimerService &timers, QWidget *parent)
    : QWidget(parent), m_player(player), m_timers(timers)
{
    setObjectName(QStringLiteral("FormPlaySound"));
    auto *layout = new QHBoxLayout(this);
    Button1 = new QPushButton(fromCp936(kStopCaption), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    CheckBox1 = new QCheckBox(fromCp936(kLoopCaption), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    VolumeBar = new QSlider(Qt::Horizontal, this);
    VolumeBar->setObjectName(QStringLiteral("VolumeBar"));
    VolumeBar->setRange(0, 100);
    VolumeBar->setValue(100);
    layout->addWidget(Button1);
    layout->addWidget(CheckBox1);
    layout->addWidget(VolumeBar);

    connect(Button1, &QPushButton::clicked, this, [this] {
        post([this] { StopRequest(); });
    });
    connect(CheckBox1, &QCheckBox::toggled, this, [this](bool on) { m_loop = on; });
    connect(VolumeBar, &QSlider::valueChanged, this, [this](int v) { m_player.setVolume(v); });

    m_timers.define(kTimerCount, 1000, [this] { TimerCountTimer(); });
    m_timers.define(kTimerPlay, 1000, [this] { TimerPlayTimer(); });
}

TFormPlaySound::~TFormPlaySound()
{
    for (int id : std::as_const(m_posted))
        m_timers.cancelSingleShot(id);
    m_timers.stop(kTimerCount);
    m_timers.stop(kTimerPlay);
}

// A request the window posts to itself: it runs from the event loop.
void TFormPlaySound::post(std::function<void()> fn)
{
    auto id = std::make_shared<int>(0);
    *id = m_timers.singleShot(0, [this, id, fn = std::move(fn)] {
        m_posted.removeOne(*id);
        fn();
    });
    m_posted << *id;
}

int TFormPlaySound::volume() const
{
    return VolumeBar->value();
}

void TFormPlaySound::PlayPictureSound(const QString &file, int playCount)
{
    m_flag = true;
    VolumeBar->setValue(kVolume);
    m_player.setVolume(kVolume);
    if (!m_player.hasOutput())
        return;
    m_file = file;
    m_count = playCount;
    m_plays = 0;
    m_loop = playCount != 1;
    {
        const QSignalBlocker block(CheckBox1);
        CheckBox1->setChecked(m_loop);
    }
    if (QFileInfo(file).isFile())
        post([this] { PlayRequest(); });
}

void TFormPlaySound::PlayRequest()
{
    m_player.stop();
    if (!m_player.open(m_file)) {
        // Nothing can be played: the alarm sound may play again.
        m_flag = false;
        return;
    }
    m_player.play(0);
    ++m_plays;
    m_timers.start(kTimerCount);
}

void TFormPlaySound::TimerCountTimer()
{
    m_flag = m_player.isPlaying();
    if (m_player.position() >= m_player.length()) {
        m_player.stop();
        if (m_loop)
            m_timers.start(kTimerPlay);
    }
}

void TFormPlaySound::TimerPlayTimer()
{
    m_timers.stop(kTimerPlay);
    ++m_plays;
    if (m_plays > m_count) {
        m_timers.stop(kTimerCount);
        m_flag = false;
        m_plays = 0;
    } else {
        m_player.play(0);
    }
}

void TFormPlaySound::StopRequest()
{
    m_loop = false;
    {
        const QSignalBlocker block(CheckBox1);
        CheckBox1->setChecked(false);
    }
    m_timers.stop(kTimerCount);
    m_timers.stop(kTimerPlay);
    if (m_player.isPlaying())
        m_player.stop();
    // Nothing plays any more: the alarm sound may start again.
    m_flag = false;
}

bool PlayPictureSound(TFormPlaySound &form, const QString &programDir, const QList<QPair<QString, int>> &sounds)
{
    const QDir folder(QDir(programDir).filePath(QStringLiteral("Sound")));
    for (const auto &[name, count] : sounds) {
        if (name.isEmpty())
            continue;
        const QString path = folder.filePath(name);
        if (!QFileInfo(path).isFile())
            continue;
        form.PlayPictureSound(path, count);
        return true;
    }
    return false;
}

} // namespace scada
