// Tchat: names and descriptions for assistive technology. The labels keep
// their text as their accessible name (a reader says the score, the word,
// the time as shown); the description says what the text is.

#include "client/tchat.h"

#include "board/turnwidgets.h"

#include <QLabel>
#include <QPlainTextEdit>

void Tchat::describeForReaders()
{
    panel_board->setAccessibleName(QStringLiteral("Board"));
    panel_board->setAccessibleDescription(QStringLiteral(
        "During your turn, type letters to spell a word; Enter submits, Backspace takes back a letter, "
        "Escape clears the word."));
    label_word->setAccessibleDescription(QStringLiteral("The word being built"));
    label_status->setAccessibleDescription(QStringLiteral("Whose turn it is and what happened last"));
    label_timer->setAccessibleDescription(QStringLiteral("Time left in the turn"));
    for (int seat = 1; seat <= 2; ++seat) {
        const QString who = seat == 1 ? QStringLiteral("the first player") : QStringLiteral("the second player");
        playerNameLabel(seat)->setAccessibleDescription(QStringLiteral("Name of ") + who);
        scoreLabel(seat)->setAccessibleDescription(QStringLiteral("Score of ") + who);
        bonusLabel(seat)->setAccessibleDescription(QStringLiteral("Points of the last word of ") + who);
        turnMarker(seat)->setAccessibleName(QStringLiteral("Turn of ") + who);
        eyesPicture(seat)->setAccessibleName(who.mid(4, 1).toUpper() + who.mid(5) + QStringLiteral(" is just watching"));
        wordList(seat)->setAccessibleName(QStringLiteral("Words of ") + who);
    }
}
