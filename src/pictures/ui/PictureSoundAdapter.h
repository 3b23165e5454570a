#pragma once
// Picture sounds played by the recorder's sound window, which owns the
// picture-sound flag.

#include "acquisition/ui/PlaySoundForm.h"
#include "pictures/PictureSound.h"

namespace scada {

class PlaySoundFormPlayer : public PictureSoundPlayer {
public:
    explicit PlaySoundFormPlayer(TFormPlaySound &form) : m_form(form) {}
    void PlayPictureSound(const QString &file, int playCount) override { m_form.PlayPictureSound(file, playCount); }

private:
    TFormPlaySound &m_form;
};

} // namespace scada
