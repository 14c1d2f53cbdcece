#pragma once
// Plays a WAV file in the background. A missing file, an unreadable one or a computer
// without a sound device plays nothing and says nothing.
#include <QObject>
#include <QString>

namespace quillon::app {

class WavPlayer : public QObject {
  Q_OBJECT

 public:
  explicit WavPlayer(QObject* parent = nullptr);
  ~WavPlayer() override;

  // Starts `path` and returns at once; false when there is nothing to play (no such file,
  // or this build has no sound support).
  bool play(const QString& path);
  int started() const { return started_; }

 private:
  QObject* effect_ = nullptr;  // made on first use: the sound system loads only when needed
  int started_ = 0;
};

}  // namespace quillon::app
