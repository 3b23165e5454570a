// The picture-sound player window and the Qt Multimedia sound player.

#include "acquisition/AlarmSound.h"
#include "acquisition/ui/AlarmSoundPlayer.h"
#include "acquisition/ui/PlaySoundForm.h"

#include "platform/ManualScheduler.h"
#include "support/TempDir.h"

#include <QCheckBox>
#include <QDir>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QPushButton>
#include <QSlider>

#include <gtest/gtest.h>

using namespace scada;

namespace {

struct PlaySound : ::testing::Test {
    void SetUp() override
    {
        QDir(plant.path()).mkpath("Sound");
        plant.write("Sound/bell.wav", "RIFF");
        file = plant.file("Sound/bell.wav");
    }
    // Lets each play run to its end until the player window is done.
    void playToTheEnd()
    {
        for (int guard = 0; guard < 50 && (sched.isActive("TimerCount") || sched.isActive("TimerPlay")); ++guard) {
            sound.finish();
            sched.advance(1000);
        }
    }
    TempPlant plant;
    QString file;
    ManualScheduler sched;
    FakeAlarmSound sound;
    TFormPlaySound form{sound, sched};
};

} // namespace

TEST_F(PlaySound, PlaysTheRepeatCountAndHoldsTheFlagMeanwhile)
{
    struct Case {
        int count;
        bool loop;
        int plays;
    };
    for (const Case &c : {Case{1, false, 1}, Case{2, true, 2}, Case{3, true, 3}, Case{0, true, 1}}) {
        SCOPED_TRACE(c.count);
        sound.plays.clear();
        form.PlayPictureSound(file, c.count);
        EXPECT_TRUE(form.pictureSoundFlag());
        EXPECT_EQ(form.volume(), 85);
        EXPECT_EQ(sound.volume, 85);
        EXPECT_EQ(form.loop(), c.loop);
        EXPECT_EQ(form.CheckBox1->isChecked(), c.loop);
        EXPECT_TRUE(sound.plays.isEmpty()); // the play request is posted
        sched.runDue();
        ASSERT_EQ(sound.plays.size(), 1);
        EXPECT_EQ(sound.fileName(), file);
        sched.advance(1000); // still playing
        EXPECT_TRUE(form.pictureSoundFlag());
        playToTheEnd();
        EXPECT_EQ(sound.plays.size(), c.plays);
        for (const auto &s : sound.plays)
            EXPECT_EQ(s, (FakeAlarmSound::Segment{0, -1}));
        EXPECT_FALSE(form.pictureSoundFlag());
        EXPECT_FALSE(sched.isActive("TimerPlay"));
    }
}

TEST_F(PlaySound, StopButtonEndsPlaybackAndTheFlag)
{
    EXPECT_EQ(form.Button1->text(), QString::fromUtf8("停止"));
    EXPECT_EQ(form.CheckBox1->text(), QString::fromUtf8("循环播放"));
    form.PlayPictureSound(file, 5);
    sched.runDue();
    ASSERT_TRUE(sound.isPlaying());
    form.Button1->click();
    EXPECT_TRUE(sound.isPlaying()); // posted
    sched.runDue();
    EXPECT_FALSE(sound.isPlaying());
    EXPECT_FALSE(form.loop());
    EXPECT_FALSE(form.pictureSoundFlag());
    EXPECT_FALSE(sched.isActive("TimerCount"));
    sched.advance(5000);
    EXPECT_EQ(sound.plays.size(), 1);
}

TEST_F(PlaySound, WithoutOutputOrFileNothingPlays)
{
    sound.output = false;
    form.PlayPictureSound(file, 2);
    sched.advance(3000);
    EXPECT_TRUE(sound.opened.isEmpty());
    EXPECT_TRUE(sound.plays.isEmpty());

    // A file the player cannot open does not hold the alarm sound back.
    sound.output = true;
    sound.failOpen = true;
    form.PlayPictureSound(file, 2);
    sched.advance(3000);
    EXPECT_TRUE(sound.plays.isEmpty());
    EXPECT_FALSE(form.pictureSoundFlag());
}

TEST_F(PlaySound, ThePicturesFirstExistingSoundIsPlayed)
{
    plant.write("Sound/horn.wav", "RIFF");
    EXPECT_FALSE(PlayPictureSound(form, plant.path(), {{"missing.wav", 3}, {"", 1}}));
    EXPECT_FALSE(form.pictureSoundFlag());
    ASSERT_TRUE(PlayPictureSound(form, plant.path(), {{"missing.wav", 3}, {"horn.wav", 4}, {"bell.wav", 1}}));
    EXPECT_EQ(form.repeatCount(), 4);
    sched.runDue();
    EXPECT_EQ(sound.fileName(), plant.file("Sound/horn.wav"));
}

TEST(QtSound, WithoutAnAudioOutputNothingOpensAndNothingFails)
{
    if (!QMediaDevices::audioOutputs().isEmpty())
        GTEST_SKIP() << "this machine has an audio output";
    TempPlant plant;
    plant.write("Sound.wav", "RIFF");
    QtAlarmSound sound;
    EXPECT_FALSE(sound.hasOutput());
    EXPECT_FALSE(sound.open(plant.file("Sound.wav")));
    EXPECT_FALSE(sound.isOpen());
    sound.play(15000, 20000);
    sound.stop();
    EXPECT_FALSE(sound.isPlaying());
    EXPECT_EQ(sound.position(), 0);
}
