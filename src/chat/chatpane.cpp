#include "chat/chatpane.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/phraserow.h"
#include "chat/smileys.h"

#include <QFrame>
#include <QToolButton>

namespace glyphon {

ChatPane::ChatPane(QWidget *parent, QWidget *menuOwner)
    : frame(new QFrame(parent))
    , view(new ChatView(frame))
    , input(new ChatInput(parent))
    , smileys(new QToolButton(parent))
    , smileyMenu(createSmileyMenu(menuOwner))
    , phrases(new PhraseRow(parent))
{
    frame->setGeometry(389, 255, 366, 243);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);

    view->setObjectName(QStringLiteral("mainchat"));
    view->setGeometry(2, 2, 362, 239);
    view->setFocusPolicy(Qt::ClickFocus);

    input->setObjectName(QStringLiteral("mychat"));
    input->setGeometry(390, 500, 336, 22);
    input->setMaxLength(MaxInput);

    smileys->setObjectName(QStringLiteral("button_smilies"));
    smileys->setGeometry(730, 502, 25, 19);
    smileys->setAutoRaise(true);
    // The hint is the classic caption; a screen reader says what it inserts.
    smileys->setToolTip(QStringLiteral("Chatter Sounds"));
    smileys->setAccessibleName(QStringLiteral("Smileys"));
    smileys->setIcon(smileyIcon(0));
    smileys->setIconSize(QSize(17, 16));
    smileys->setFocusPolicy(Qt::NoFocus);
}

} // namespace glyphon
