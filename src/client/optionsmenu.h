#pragma once
// The Options menu: its items, their check states and radio groups. It only
// shows the state it is given and reports what the user chose; the window
// changes its settings and saves them.

#include "settings/clientsettings.h"

#include <QObject>

class QAction;
class QActionGroup;
class QMenu;

namespace glyphon {

class OptionsMenu : public QObject
{
    Q_OBJECT
public:
    // Fills menu: Play Sounds, Player Phrase Sounds, Turn Sound, Bot Speed,
    // the three Rizi levels, Text Color, Text Size, then the chat's two shared items, then Reset
    // Screen Location. Items added later (Just Watch) follow at the end.
    OptionsMenu(QMenu *menu, QAction *scrollChatOff, QAction *clearMainChat);

    // Checks the sound, turn sound, bot speed and Rizi level items that
    // match settings.
    void show(const ClientSettings &settings);
    // Checks the Text Size item of that size; none when the menu has no
    // such size (all four are unchecked at creation).
    void checkTextSize(int points);

    QMenu *menu() const { return m_menu; }

    QAction *PlaySounds1 = nullptr;
    QAction *PlayerPhraseSounds1 = nullptr;
    QAction *Classic1 = nullptr; // turn sound 0
    QAction *New1 = nullptr;     // turn sound 1
    QAction *Slow1 = nullptr;    // bot speed 2000
    QAction *Normal1 = nullptr;  // 1000
    QAction *Fast1 = nullptr;    // 500
    QAction *RiziGentle1 = nullptr;  // Rizi level "gentle"
    QAction *RiziClassic1 = nullptr; // "classic"
    QAction *RiziStrong1 = nullptr;  // "strong"
    QAction *TextColor1 = nullptr;
    QAction *N81 = nullptr;
    QAction *N101 = nullptr;
    QAction *N121 = nullptr;
    QAction *N141 = nullptr;
    QAction *ResetScreenLocation1 = nullptr;

signals:
    void playSoundsToggled();
    void playerPhraseSoundsToggled();
    void turnSoundChosen(int number);
    void botSpeedChosen(int milliseconds);
    void riziLevelChosen(const QString &level);
    void textColourRequested();
    void textSizeChosen(int points);
    void resetScreenLocationRequested();

private:
    QAction *addRadio(QMenu *menu, QActionGroup *group, const QString &caption, int number);
    static void checkByNumber(QActionGroup *group, int number);

    QMenu *m_menu;
    QActionGroup *m_turnSound = nullptr;
    QActionGroup *m_botSpeed = nullptr;
    QActionGroup *m_riziLevel = nullptr;
    QActionGroup *m_textSize = nullptr;
};

} // namespace glyphon
