#pragma once
// The user's preferences as the client window holds them. For now they are
// the values of a first run, kept in memory for the session; reading and
// writing the settings file builds on this.

#include <QString>
#include <QtGlobal>

namespace glyphon {

struct ClientSettings
{
    quint32 textColour = 0; // 0x00BBGGRR, black
    int textSize = 10;
    int botSpeed = 1000;  // computer player's delay in ms: 2000, 1000 or 500
    int turnSound = 0;    // 0 "turn", 1 "turnnew"
    bool playSounds = true;
    bool playerPhraseSounds = true;
    int playToScore = 200; // offered by the game start dialog
    int timePerTurn = 60;
    QString tiles = QStringLiteral("Classic"); // tile set in use; "Classic" is the built-in artwork

    QString turnSoundName() const { return turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"); }
};

} // namespace glyphon
