#include "client/sounds.h"

#include "client/tchat.h"

#include <QAudioDevice>
#include <QFile>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

namespace glyphon {

SoundPlayer::SoundPlayer(QObject *parent)
    : QObject(parent)
{
}

QString SoundPlayer::resourcePath(const QString &name)
{
    if (name.isEmpty() || name.size() > 32)
        return {};
    for (QChar c : name)
        if (!(c.isLetterOrNumber() && c.unicode() < 128))
            return {};
    return QStringLiteral(":/sounds/") + name.toLower() + QStringLiteral(".wav");
}

bool SoundPlayer::haveOutput()
{
    if (!m_devices) {
        m_devices = new QMediaDevices(this);
        m_haveOutput = !QMediaDevices::audioOutputs().isEmpty();
        connect(m_devices, &QMediaDevices::audioOutputsChanged, this,
                [this] { m_haveOutput = !QMediaDevices::audioOutputs().isEmpty(); });
    }
    return m_haveOutput;
}

void SoundPlayer::play(const QString &name)
{
    m_log.append(name);
    const QString path = resourcePath(name);
    if (path.isEmpty() || !QFile::exists(path) || !haveOutput())
        return;
    QSoundEffect *&effect = m_effects[path];
    if (!effect) {
        effect = new QSoundEffect(this);
        effect->setSource(QUrl(QStringLiteral("qrc") + path));
    }
    if (m_playing && m_playing != effect)
        m_playing->stop();
    effect->stop();
    effect->play();
    m_playing = effect;
}

} // namespace glyphon

void Tchat::playsounds(const QString &name)
{
    if (!settings.playSounds)
        return;
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
