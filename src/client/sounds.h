#pragma once
// Game sounds: WAV files in the resources under ":/sounds/<name>.wav",
// played one at a time (a new sound stops the one playing). Every request is
// also recorded, so tests can tell which sounds a window asked for without an
// audio device. Without an audio output nothing is played at all: a sound
// effect with no device would stay "playing" for ever and warn each time.

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

class QMediaDevices;
class QSoundEffect;

namespace glyphon {

class SoundPlayer : public QObject
{
    Q_OBJECT
public:
    explicit SoundPlayer(QObject *parent = nullptr);

    // Names are matched without regard to letter case; a name without a
    // sound file (or with anything but letters and digits, as a name from
    // the network could have) is recorded and otherwise skipped.
    void play(const QString &name);

    const QStringList &log() const { return m_log; }
    void clearLog() { m_log.clear(); }

    // ":/sounds/<name>.wav" in lower case; empty for a name that is no
    // plain word.
    static QString resourcePath(const QString &name);

private:
    bool haveOutput();

    QStringList m_log;
    // Made on the first sound that exists, so a window without sounds never
    // touches the audio system.
    QMediaDevices *m_devices = nullptr;
    bool m_haveOutput = false;
    QHash<QString, QSoundEffect *> m_effects; // loaded once each
    QSoundEffect *m_playing = nullptr;
};

} // namespace glyphon
