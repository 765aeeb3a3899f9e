#pragma once
// One player's card beside the board: the turn marker behind the row, the
// just-watch eyes, the name, the score and the latest word's points side by
// side, and the list of the seat's words in this round.

#include <QColor>
#include <QString>
#include <array>
#include <memory>
#include <optional>

class QLabel;
class QWidget;
class EyesPicture;
class TurnMarker;

namespace glyphon {

class FittingLabel;
class ScaledLayout;
class TileArt;
class WordList;

class PlayerCard
{
public:
    // Creates the controls on parent, the card's left edge at x; they are
    // named after the seat ("label_playername1" and so on).
    PlayerCard(QWidget *parent, int seat, int x, const QString &waiting);

    TurnMarker *marker;
    EyesPicture *eyes;
    FittingLabel *name;
    FittingLabel *score;
    FittingLabel *bonus;
    WordList *words;

    // Shows the seat as the game has it and keeps the row in line.
    void show(const QString &shownName, int points, std::optional<int> lastPoints, bool watching);
    // The labels size themselves to their texts, 4 pixels apart; a long name
    // gives way rather than push the score off the card.
    void realign();
    // Name, score and points in colours that read on the card or on the turn
    // marker in the tile set's colours, whichever they stand on.
    void keepReadable();
    void setListColours(const QColor &background, const QColor &text);
    // Names for screen readers; who is "the first player" or the like.
    void describe(const QString &who);
};

// Both players' cards as one copy sees them: the own list light (a
// spectator's is seat 1's), each turn marker in its seat's colour as this copy
// shows it, the own seat's the light one.
class PlayerCards
{
public:
    PlayerCards(QWidget *parent, const TileArt *art, const QString &waiting);
    ~PlayerCards();

    // Seat 1 or 2.
    PlayerCard &operator[](int seat) { return *m_cards[seat == 2 ? 1 : 0]; }

    // Places the cards with the panel: they share the width it has beyond
    // the scaled design.
    void scaleWith(ScaledLayout &scaling);
    void showOwnListLight(int mySeat);
    // After a change of seat or of tile pictures.
    void paintMarkers(int mySeat);
    // Only the seat's marker shows; none for a seat that is no player's.
    void showTurnOf(int seat, int mySeat);
    // The end of a round: both markers.
    void showBothMarkers();
    void keepReadable();
    void describe();

private:
    std::array<std::unique_ptr<PlayerCard>, 2> m_cards;
};

} // namespace glyphon
