#include "client/sounds.h"

#include "client/tchat.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

namespace glyphon {

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

QString SoundPlayer::resourcePath(const QString &name)
{
    return QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav");
}

void SoundPlayer::play(const QString &name)
{
    m_log.append(name);
    const QString path = resourcePath(name);
    if (!QFile::exists(path))
        return;
    // The sound device is opened only once something can be played, so a
    // window without sounds never touches the audio system.
    if (!m_effect)
        m_effect = new QSoundEffect(this);
    m_effect->stop();
    m_effect->setSource(QUrl(QStringLiteral("qrc") + path));
    m_effect->play();
}

} // namespace glyphon

void Tchat::playsounds(const QString &name)
{
    if (!settings.playSounds)
        return;
    m_sounds->play(name);
}

void Tchat::playasound(const QByteArray &data)
{
    // Seat, then the sound name; chatter sounds play whatever "Play Sounds" says.
    glyphon::FieldReader reader(data);
    if (!reader.nextInt())
        return;
    const QString name = glyphon::fromWire(reader.next());
    if (settings.playerPhraseSounds && !name.isEmpty())
        m_sounds->play(name);
}

QStringList Tchat::soundLog() const
{
    return m_sounds->log();
}

void Tchat::clearSoundLog()
{
    m_sounds->clearLog();
}
