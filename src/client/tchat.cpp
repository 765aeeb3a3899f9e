// Tchat: construction, layout and menus.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "chat/chatpane.h"
#include "chat/chatview.h"
#include "board/fittinglabel.h"
#include "board/readabletext.h"
#include "client/glyphoncontext.h"
#include "client/playwithotherscoordinator.h"
#include "client/hintcontrol.h"
#include "client/closingcoordinator.h"
#include "client/mainmenus.h"
#include "client/menufocus.h"
#include "client/optionsmenu.h"
#include "chat/phraserow.h"
#include "client/seatcontrol.h"
#include "session/clientsession.h"
#include "session/serverlink.h"
#include "client/sounds.h"
#include "artwork/tilepainter.h"
#include "windows/windowutil.h"
#include "client/tilesetmenu.h"
#include "client/windowsettings.h"
#include "board/tilewidget.h"
#include "board/turnclock.h"
#include "board/wordbuilder.h"
#include "client/boardpanel.h"
#include "board/boardcontrols.h"
#include "board/playercard.h"
#include "board/turnwidgets.h"
#include "board/wordlist.h"
#include "protocol/tsock.h"
#include "server/hosting.h"
#include "windows/quickinstructions.h"
#include "windows/about.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/phrases.h"
#include "windows/spylist.h"
#include "windows/windowutil.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QToolButton>


namespace {

void showInFront(QWidget *window)
{
    window->show();
    window->raise();
}

} // namespace

Tchat::Tchat(GlyphonContext &context, const QStringList &params, QWidget *parent)
    : QMainWindow(parent)
    , m_context(context)
    , m_params(params)
{
    m_windowSettings = std::make_unique<glyphon::WindowSettings>(*this, context);
    setObjectName(QStringLiteral("Tchat"));
    setWindowTitle(QStringLiteral("Glyphon"));
    m_session = new glyphon::ClientSession(context.config.gamePort, this);
    m_game = m_session->game();
    m_sounds = new glyphon::SoundPlayer(this);

    createControls();
    createMenus();
    bindSession();
    describeForReaders();
    createCloser();
    bindGame();

    // The default size. The settings file places the window once the own
    // seat is announced.
    resize(m_windowSettings->startingSize());
}

Tchat::~Tchat()
{
    // The sockets report their close to their owner; this window is going,
    // so nobody may hear it.
    m_session->link()->shutDown();
}

void Tchat::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0xdc, 0xd0, 0xb6));
    central->setPalette(pal);
    setCentralWidget(central);

    auto *panel = new glyphon::BoardPanel(central);
    panel_board = panel;
    panel_board->setObjectName(QStringLiteral("panel_board"));
    auto *fill = new QVBoxLayout(central);
    fill->setContentsMargins(4, 2, 0, 2);
    fill->addWidget(panel);

    createBoardControls();
    createPlayerControls();
    createChatControls();
    scaleWithPanel(*panel);
}

void Tchat::scaleWithPanel(glyphon::BoardPanel &panel)
{
    using namespace glyphon::boardscale;
    glyphon::ScaledLayout &scaling = panel.scaling();
    // The chat pane takes the room the scaled board leaves.
    const QList<QWidget *> chat{panel_chat, mychat, button_smilies};
    // The cards share the width the scaled board leaves above the chat pane.
    const QList<QWidget *> cards{image_Turn1, image_eyes1, label_playername1, label_score1, label_bonus1, memo_thewords1,
                                 image_turn2, image_eyes2, label_playername2, label_score2, label_bonus2, memo_thewords2};
    for (QWidget *control : panel.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (control != panel_help && !chat.contains(control) && !cards.contains(control)
            && !control->isWindow()) // menus pop up
            scaling.add(control);
    m_cards->scaleWith(scaling);
    scaling.add(panel_chat, KeepRight | KeepBottom);
    scaling.add(mainchat, KeepTopLeft | KeepRight | KeepBottom); // fills its frame
    scaling.add(mychat, KeepRight | KeepBottom | KeepHeight);
    scaling.add(button_smilies, KeepRight | KeepBottom | KeepWidth | KeepHeight);
    scaling.add(panel_help, KeepWidth | KeepHeight); // its texts keep their size too
    scaling.add(label_winner1);
    scaling.add(label_winner2);
    // The names, scores and points fit themselves to their texts.
    scaling.setAfterRescale([this] {
        for (int seat : {1, 2})
            (*m_cards)[seat].realign();
        m_phraseRow->fitPictures();
    });
}

void Tchat::createPlayerControls()
{
    m_cards = std::make_unique<glyphon::PlayerCards>(panel_board, &m_context.art, QString::fromLatin1(Waiting));
    for (int seat = 1; seat <= 2; ++seat) {
        glyphon::PlayerCard *card = &(*m_cards)[seat];
        (seat == 1 ? image_Turn1 : image_turn2) = card->marker;
        (seat == 1 ? image_eyes1 : image_eyes2) = card->eyes;
        (seat == 1 ? label_playername1 : label_playername2) = card->name;
        (seat == 1 ? label_score1 : label_score2) = card->score;
        (seat == 1 ? label_bonus1 : label_bonus2) = card->bonus;
        (seat == 1 ? memo_thewords1 : memo_thewords2) = card->words;
    }
    m_cards->showOwnListLight(m_game->mySeat());
}

void Tchat::createBoardControls()
{
    for (int row = 1; row <= 6; ++row) {
        for (int col = 1; col <= 6; ++col) {
            const int position = row * 10 + col;
            auto *tile = new TileWidget(position, panel_board);
            tile->setArt(&m_context.art);
            tile->setGeometry(glyphon::boardscale::tileCell(row, col));
            connect(tile, &TileWidget::mouseUp, this, &Tchat::image_word51MouseUp);
            image_word[position] = tile;
            drawtile(position); // a blank tile until the first board comes
        }
    }

    m_board.reset(new glyphon::BoardControls(panel_board));
    label_roundnum = m_board->roundnum;
    label_playtoscore = m_board->playtoscore;
    label_status = m_board->status;
    label_word = m_board->word;
    label_timer = m_board->timer;
    image_timer = m_board->timeBar;
    button_clear = m_board->clear;
    button_submit = m_board->submit;
    button_start = m_board->start;
    panel_winner = m_board->winnerPanel;
    label_winner1 = m_board->winner1;
    label_winner2 = m_board->winner2;
    m_clock = new glyphon::TurnClock(*m_board, this);
    turntime = m_clock->turntime();
    connect(turntime, &QTimer::timeout, this, &Tchat::turntimeTimer);
    connect(m_clock, &glyphon::TurnClock::ticking, this, [this] { playsounds(QStringLiteral("tick")); });
    connect(m_clock, &glyphon::TurnClock::expired, this, [this] {
        // The host's time-up may be seconds away (its grace, a stall, a box
        // holding the messages): the window no longer says it is our turn.
        const bool mine = myTurn();
        m_session->clockRanOut();
        if (mine)
            label_status->setText(QStringLiteral("Time is Up."));
    });
    label_word->installEventFilter(this);
    panel_board->installEventFilter(this); // right-clicks between the tiles
    connect(button_clear, &PictureButton::clicked, this, &Tchat::hitclear);
    connect(button_submit, &PictureButton::clicked, this, &Tchat::hitdone);
    connect(button_start, &PictureButton::clicked, this, &Tchat::button_startClick);

    m_word = std::make_unique<glyphon::WordBuilder>(*m_session);

    panel_help = new QuickInstructionsPanel(panel_board); // starts hidden
    panel_help->image_instructions->setArt(&m_context.art);
    // Its Done button had the focus; without this the focus would pass on to
    // the chat input and typed letters would no longer spell.
    connect(panel_help, &QuickInstructionsPanel::closed, this,
            [this] { panel_board->setFocus(Qt::OtherFocusReason); });
}

void Tchat::createChatControls()
{
    m_chatPane.reset(new glyphon::ChatPane(panel_board, this));
    panel_chat = m_chatPane->frame;
    mainchat = m_chatPane->view;
    mychat = m_chatPane->input;
    button_smilies = m_chatPane->smileys;
    popup_smilies = m_chatPane->smileyMenu;
    m_phraseRow = m_chatPane->phrases;
    connect(mainchat, &ChatView::linkClicked, this, &Tchat::mainchatJump);
    connect(mainchat, &ChatView::chatCleared, this, [this] { mychat->setFocus(); });
    // The view's menu and the Options menu share these actions, so the two
    // "Scroll Chat Off" items always agree.
    SelectAll1 = mainchat->selectAllAction();
    Copy1 = mainchat->copyAction();
    ClearMainChat2 = mainchat->clearChatAction();
    ScrollChatOff1 = mainchat->scrollChatOffAction();
    mychat->installEventFilter(this);
    Paste1 = mychat->pasteAction();
    connect(mychat, &glyphon::ChatInput::sendRequested, this, &Tchat::sendit);
    connect(button_smilies, &QToolButton::clicked, this, &Tchat::button_smiliesClick);
    for (QAction *item : popup_smilies->actions())
        connect(item, &QAction::triggered, this, [this, item] { N271Click(item->data().toInt()); });
    connect(m_phraseRow, &glyphon::PhraseRow::phraseClicked, this, &Tchat::b_phrase1Click);
    connect(m_phraseRow, &glyphon::PhraseRow::chatterButtonReleased, this, &Tchat::b_phrase10MouseUp);
    connect(m_phraseRow, &glyphon::PhraseRow::soundChosen, this, &Tchat::wave4Click);
}

void Tchat::createMenus()
{
    m_tileSets = new glyphon::TileSetMenu(m_context.art, m_context.config.files, this);
    grouptilesitem = m_tileSets->menu();
    m_menus.reset(new glyphon::MainMenus(menuBar(), grouptilesitem));
    new glyphon::MenuFocus(menuBar(), panel_board, this);
    connect(m_menus->StartGame1, &QAction::triggered, this, &Tchat::button_startClick);
    connect(m_menus->PlayWithOthers1, &QAction::triggered, this, &Tchat::PlayWithOthers1Click);
    m_lobby = new glyphon::PlayWithOthers(m_context.config.gamePortNumber(), m_context.config.discovery, m_windowSettings->store(), this);
    m_lobby->setPortCheck([this](quint16 port) {
        const glyphon::Hosting &host = *m_context.hosting;
        return (host.listening() && host.port() == port) || glyphon::PlayWithOthers::portFree(port);
    });
    connect(m_lobby, &glyphon::PlayWithOthers::handedOver, this, &Tchat::closeWithoutAsking);
    connect(m_lobby, &glyphon::PlayWithOthers::aboutToHandOver, this, [this] {
        // Connections made stay; only new ones are refused.
        if (ishost())
            m_context.hosting->stopAccepting();
    });
    connect(m_menus->Exit1, &QAction::triggered, this, &Tchat::Exit1Click);

    ScrollChatOff2 = ScrollChatOff1;
    ClearMainChat1 = ClearMainChat2;
    m_options = new glyphon::OptionsMenu(m_menus->options, ScrollChatOff2, ClearMainChat1);
    connect(m_options, &glyphon::OptionsMenu::playSoundsToggled, this, &Tchat::PlaySounds1Click);
    connect(m_options, &glyphon::OptionsMenu::playerPhraseSoundsToggled, this, &Tchat::PlayerPhraseSounds1Click);
    connect(m_options, &glyphon::OptionsMenu::turnSoundChosen, this, &Tchat::Classic1Click);
    connect(m_options, &glyphon::OptionsMenu::botSpeedChosen, this, &Tchat::Fast1Click);
    connect(m_options, &glyphon::OptionsMenu::riziLevelChosen, this, &Tchat::RiziLevel1Click);
    connect(m_options, &glyphon::OptionsMenu::textColourRequested, this, &Tchat::TextColor1Click);
    connect(m_options, &glyphon::OptionsMenu::textSizeChosen, this, &Tchat::N14Click);
    connect(m_options, &glyphon::OptionsMenu::resetScreenLocationRequested, this, &Tchat::ResetScreenLocation1Click);
    m_seats = new glyphon::SeatControl(*m_session, this);
    JustWatch1 = m_seats->JustWatch1;
    popup_kick = m_seats->popup_kick;
    m_seats->attachNameLabel(label_playername1, 1);
    m_seats->attachNameLabel(label_playername2, 2);
    m_options->menu()->addSeparator();
    OpenPortOnRouter1 = m_options->menu()->addAction(QStringLiteral("Open Port on Router"));
    OpenPortOnRouter1->setCheckable(true);
    OpenPortOnRouter1->setChecked(glyphon::LobbySettings::load(m_windowSettings->store()).openPort);
    connect(OpenPortOnRouter1, &QAction::toggled, this, [this](bool on) {
        glyphon::LobbySettings::saveOpenPort(m_windowSettings->store(), on);
        if (m_hosting)
            m_hosting->setOpenPort(on);
    });
    connect(m_options->menu()->addAction(QStringLiteral("Internet Lobby...")), &QAction::triggered, this, [this] {
        if (m_lobby)
            m_lobby->askLobbyAddress();
    });
    m_options->menu()->addSeparator();
    m_options->menu()->addAction(JustWatch1);

    connect(m_tileSets, &glyphon::TileSetMenu::chosen, this,
            [this](const QString &name) { grouptilesmenuClick(m_tileSets->item(name)); });
    grouptilesmenu();

    connect(m_menus->SpyList1, &QAction::triggered, this, [this] { showInFront(m_context.spylist); });
    connect(m_menus->PrhaseList1, &QAction::triggered, this, &Tchat::PrhaseList1Click);
    connect(m_menus->ViewTally1, &QAction::triggered, this, &Tchat::ViewTally1Click);
    m_hints = new glyphon::HintControl(m_menus->view, *m_session, this);
    connect(m_hints, &glyphon::HintControl::statusLine, this, &Tchat::statusLine);
    connect(m_menus->QuickInstructions1, &QAction::triggered, this, [this] { panel_help->showInstructions(); });
}


void Tchat::createCloser()
{
    m_closer = new glyphon::ClosingCoordinator(this, *m_session);
    connect(m_closer, &glyphon::ClosingCoordinator::statusLine, this, &Tchat::statusLine);
}

void Tchat::connectSideWindows()
{
    connect(m_context.gamestart, &Tgamestart::startRequested, this, &Tchat::startGameRequested);
    connect(m_menus->Help2, &QAction::triggered, this, [this] { showInFront(m_context.help); });
    connect(m_menus->About1, &QAction::triggered, this, [this] { showInFront(m_context.about); });
    connect(m_context.spylist, &Tspylist::removeRequested, m_seats, &glyphon::SeatControl::kicking);
    connect(m_context.phrases, &Tphrases::phrasesAccepted, this, [this](const QStringList &texts) {
        for (int n = 1; n <= texts.size(); ++n)
            m_phraseRow->setPhrase(n, texts.at(n - 1));
        m_windowSettings->store().savePhrases(texts);
    });
    connect(m_context.download, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
    connect(m_context.download, &Tdownload::playWithOthersRequested, m_lobby, &glyphon::PlayWithOthers::open);
    connect(m_menus->Connecting1, &QAction::triggered, this, [this] {
        m_context.help->showPage(glyphon::HelpConnectingPage);
        showInFront(m_context.help);
    });
    m_context.help->setAboutWindow(m_context.about);
}

QLabel *Tchat::playerNameLabel(int seat) const
{
    return seat == 1 ? label_playername1 : seat == 2 ? label_playername2 : nullptr;
}

QLabel *Tchat::scoreLabel(int seat) const
{
    return seat == 1 ? label_score1 : seat == 2 ? label_score2 : nullptr;
}

TileWidget *Tchat::tileAt(int position) const
{
    return position >= 0 && position < int(image_word.size()) ? image_word[position] : nullptr;
}

QString Tchat::shownName(int seat) const
{
    const glyphon::ClientGame::Seat &record = m_game->seat(seat);
    return record.filled ? glyphon::fromWire(record.name) : QString::fromLatin1(Waiting);
}

void Tchat::bindGame()
{
    using glyphon::ClientGame;
    connect(m_game, &ClientGame::seatChanged, this, &Tchat::showSeat);
    connect(m_game, &ClientGame::wordsChanged, this, &Tchat::showWords);
    connect(m_game, &ClientGame::tilesChanged, this, &Tchat::redrawTiles);
    connect(m_game, &ClientGame::spectatorChanged, this, [this](const glyphon::msg::SeatEntry &entry, bool present) {
        const QString line = QStringLiteral("%1: %2").arg(entry.seat).arg(glyphon::fromWire(entry.name));
        if (present)
            m_context.spylist->addEntry(line);
        else
            m_context.spylist->removeEntry(line);
    });
}

void Tchat::showSeat(int seat)
{
    if (!glyphon::ClientGame::isPlayerSeat(seat))
        return;
    const glyphon::ClientGame::Seat &record = m_game->seat(seat);
    (*m_cards)[seat].show(shownName(seat), record.score, record.lastPoints, record.watching);
}

void Tchat::showMessageBox(const QString &text)
{
    m_closer->showMessage(text);
}

void Tchat::closeWithoutAsking()
{
    m_closer->closeWithoutAsking();
}

void Tchat::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // FormShow: the command line is read when the window is first shown.
    if (!m_shown) {
        m_shown = true;
        processparams();
    }
}

void Tchat::closeEvent(QCloseEvent *event)
{
    if (!m_closer->mayClose()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    m_closer->closeAccepted();
    // The port and the game's connections close now; the goodbyes to the
    // network (the last datagram, the router, the lobby) go on without the
    // window, and the program ends once they are done.
    m_context.hosting->shutDown();
    m_windowSettings->saveOnClose();
    turntime->stop();
    // The connection ends with the window, so the others see this copy leave.
    sock->Close();
    Sock11->Close();
    emit closed();
}
