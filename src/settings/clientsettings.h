#pragma once
// The user's preferences as the client window holds them. Until the settings
// file is loaded (once the own seat is announced) they are the window's own
// starting values.

#include <QString>
#include <QtGlobal>

namespace glyphon {

struct ClientSettings
{
    quint32 textColour = 0; // 0x00BBGGRR, black
    int textSize = 10;
    int botSpeed = 1000;  // computer player's delay in ms: 2000, 1000 or 500
    QString riziLevel = QStringLiteral("classic"); // how the host's Rizi plays: "gentle", "classic" or "strong"
    int turnSound = 0;    // 0 "turn", 1 "turnnew"
    bool playSounds = true;
    bool playerPhraseSounds = true;
    int playToScore = 200; // offered by the game start dialog
    int timePerTurn = 60;
    QString tiles; // the tile set's name; "Classic" (any case) is the built-in one

    QString turnSoundName() const { return turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"); }
};

} // namespace glyphon
