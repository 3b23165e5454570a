#pragma once
// The player of picture sounds (the recorder's sound player implements it).

#include <QString>

namespace scada {

class PictureSoundPlayer {
public:
    virtual ~PictureSoundPlayer() = default;
    // Plays file playCount times; the picture-sound flag is set meanwhile
    // so that the alarm sound waits.
    virtual void PlayPictureSound(const QString &file, int playCount) = 0;
};

} // namespace scada
