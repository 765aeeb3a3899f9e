#pragma once
// The settings file "marnetlobby.ini", section "Glyphon": what a load finds
// in it (every key with its default and reading rule), and what a save
// writes, in its order. No widgets: the window applies what it is given.

#include "settings/clientsettings.h"
#include "settings/profilefile.h"
#include "settings/userfiles.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace glyphon {

// Top, Left, Width, Height as the settings file keeps them: the window's
// frame position and the size of its inside (menu bar included).
struct WindowPlacement
{
    int left = 3;
    int top = 3;
    int width = 772;
    int height = 535;

    bool operator==(const WindowPlacement &) const = default;
};

// What closing saves: a window larger than the work area is made 15
// pixels smaller in that direction, every time.
WindowPlacement fitToWorkArea(WindowPlacement placement, const QRect &workArea);

// Where a window asked for at outer (frame included) may come: no larger
// than the work area it lands on (the one showing most of it, or the
// nearest), and left where it is only when its whole title bar (the top
// titleHeight pixels) and two thirds of it are on that area; else moved
// wholly onto it. A settings file may hold any numbers.
QRect placeOnWorkAreas(QRect outer, int titleHeight, const QList<QRect> &workAreas);

struct StoredSettings
{
    static constexpr int PhraseCount = 9;

    int textSize = 8;
    WindowPlacement placement;
    quint32 textColour = 0;
    QString tiles = QStringLiteral("Classic");
    std::optional<int> playToScore; // only whole numbers; else the dialog keeps its value
    std::optional<int> timePerTurn;
    int botSpeed = 1000;
    QString riziLevel = QStringLiteral("classic"); // "gentle", "classic" or "strong", in small letters
    int turnSound = 0;
    std::array<QString, PhraseCount> phrases; // empty: the button keeps its phrase
    bool playSounds = true;
    bool playerPhraseSounds = true;
    bool showHelp = true; // the quick instructions have not been shown yet
};

StoredSettings readSettings(const ProfileText &text, const QString &section);

// The keys saveinifile writes, in its order.
ProfileEntries settingsEntries(const ClientSettings &settings, const WindowPlacement &placement);

class SettingsStore
{
public:
    static constexpr const char *FileName = "marnetlobby.ini";
    static constexpr const char *Section = "Glyphon";

    explicit SettingsStore(const UserFiles &files)
        : m_files(files)
    {
    }

    // Beside the program when its folder can be written, else in the
    // per-user configuration folder; asked anew each time, like the rest of
    // the program's files.
    QString path() const;

    StoredSettings load() const;
    bool save(const ClientSettings &settings, const WindowPlacement &placement) const;
    // "Phrase1" to "Phrase9", empty texts included.
    bool savePhrases(const QStringList &phrases) const;
    // The quick instructions show by themselves only once.
    bool markHelpShown() const;

private:
    UserFiles m_files;
};

} // namespace glyphon
