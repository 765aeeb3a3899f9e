#pragma once
// Game sounds: WAV files in the resources under ":/sounds/<name>.wav",
// played one at a time (a new sound stops the one playing). Every request is
// also recorded, so tests can tell which sounds a window asked for without an
// audio device.

#include <QObject>
#include <QString>
#include <QStringList>

class QSoundEffect;

namespace glyphon {

class SoundPlayer : public QObject
{
    Q_OBJECT
public:
    explicit SoundPlayer(QObject *parent = nullptr);

    // Names are matched without regard to letter case; a name without a
    // sound file is recorded and otherwise skipped.
    void play(const QString &name);

    const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    static QString resourcePath(const QString &name);

private:
    QStringList m_log;
    QSoundEffect *m_effect = nullptr; // made on the first sound that exists
};

} // namespace glyphon
