#include "preferences/wav_sound.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QUrl>

#ifdef QUILLON_HAVE_MULTIMEDIA
#include <QPointer>
#include <QSoundEffect>
#endif

namespace quillon::preferences {

bool looksLikeWavName(const QString& path) { return path.toUpper().contains(QStringLiteral(".WAV")); }

bool playWavAsync(const QString& path) {
  if (path.isEmpty() || !QFileInfo(path).isFile()) return false;
#ifdef QUILLON_HAVE_MULTIMEDIA
  // One effect for the whole program, so a sound keeps playing after the window that started
  // it has closed.
  static QPointer<QSoundEffect> effect;
  if (!effect) effect = new QSoundEffect(QCoreApplication::instance());
  effect->stop();
  effect->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
  effect->play();  // starts once loaded; without a sound device the effect just reports an error
#endif
  return true;
}

}  // namespace quillon::preferences
