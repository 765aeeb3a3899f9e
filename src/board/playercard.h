#pragma once
// One player's card beside the board: the turn marker behind the row, the
// just-watch eyes, the name, the score and the latest word's points side by
// side, and the list of the seat's words in this round.

#include <QColor>
#include <QString>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QWidget;
class EyesPicture;
class TurnMarker;

namespace glyphon {

class FittingLabel;

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
    QPlainTextEdit *words;

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

} // namespace glyphon
