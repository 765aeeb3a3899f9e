// Tchat: names and descriptions for assistive technology. The labels keep
// their text as their accessible name (a reader says the score, the word,
// the time as shown); the description says what the text is.

#include "client/tchat.h"

#include "board/playercard.h"

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
    m_cards->describe();
}
