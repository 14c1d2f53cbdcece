#pragma once
// Plays a WAV file without waiting for its end, as the wizard's "Play Now" and the arrival of
// a fax do. A computer without a sound device (or a build without Qt Multimedia) stays
// silent; that is never an error.
#include <QString>

namespace quillon::preferences {

// True when the file exists and playing it was started (the sound may still be silent).
// A missing file is not played. A new sound replaces one still playing.
bool playWavAsync(const QString& path);

// Whether ".WAV" occurs in the name's upper-case form, the test for a chosen sound file.
bool looksLikeWavName(const QString& path);

}  // namespace quillon::preferences
