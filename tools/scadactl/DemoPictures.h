#pragma once
// The demo plant's pictures: "Main.pic" and two linked pictures that show
// the plant's units, points, blocks and every object and instrument kind,
// the picture tree "TreeView", the GIF animations in giflib/, the alarm
// sound "Sound.wav" and a picture sound in Sound/.

#include <QString>

namespace scadactl {

// Writes them into the plant folder dir; false with *error on failure.
bool WriteDemoPictures(const QString &dir, QString *error);

} // namespace scadactl
