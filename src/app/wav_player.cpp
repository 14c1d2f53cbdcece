#include "app/wav_player.h"

#include <QFileInfo>
#include <QUrl>

#ifdef QUILLON_HAVE_QT_MULTIMEDIA
#include <QSoundEffect>
#endif

namespace quillon::app {

WavPlayer::WavPlayer(QObject* parent) : QObject(parent) {}

WavPlayer::~WavPlayer() = default;  // the effect is a child

bool WavPlayer::play(const QString& path) {
  QFileInfo file(path);
  if (path.isEmpty() || !file.isFile()) return false;
#ifdef QUILLON_HAVE_QT_MULTIMEDIA
  auto* effect = static_cast<QSoundEffect*>(effect_);
  if (!effect) {
    effect = new QSoundEffect(this);
    effect_ = effect;
  }
  effect->stop();
  effect->setSource(QUrl::fromLocalFile(file.absoluteFilePath()));
  effect->play();  // plays once loaded; a load or device failure only ends the sound
  ++started_;
  return true;
#else
  return false;
#endif
}

}  // namespace quillon::app
