// Tchat: construction, layout and menus.

#include "client/tchat.h"

#include "chat/chatinput.h"
#include "chat/chatview.h"
#include "chat/colours.h"
#include "board/fittinglabel.h"
#include "board/readabletext.h"
#include "client/glyphoncontext.h"
#include "client/hostingcoordinator.h"
#include "client/playwithothers.h"
#include "client/hintcontrol.h"
#include "client/leaveguard.h"
#include "client/optionsmenu.h"
#include "chat/phraserow.h"
#include "client/seatcontrol.h"
#include "client/serverlink.h"
#include "client/sounds.h"
#include "artwork/tilepainter.h"
#include "windows/windowutil.h"
#include "client/tilesetmenu.h"
#include "board/tilewidget.h"
#include "client/boardpanel.h"
#include "board/playercard.h"
#include "board/turnwidgets.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
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
#include <QToolButton>


namespace {

QFont arialPixels(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Labels show names and words that other players chose: plain text, and
// never cut off at the edges.
glyphon::FittingLabel *makeLabel(QWidget *parent, const QString &text, const QRect &geometry, const QFont &font,
                                 Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto *label = new glyphon::FittingLabel(text, parent);
    label->setGeometry(geometry);
    label->setFont(font);
    label->setAlignment(alignment);
    return label;
}

void setTextColour(QWidget *widget, const QColor &colour)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, colour);
    widget->setPalette(pal);
}

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
    , m_placer(this)
{
    setObjectName(QStringLiteral("Tchat"));
    setWindowTitle(QStringLiteral("Glyphon"));
    m_game = new glyphon::ClientGame(this);
    m_sounds = new glyphon::SoundPlayer(this);

    createControls();
    createMenus();
    createLink();
    describeForReaders();
    m_leave = new glyphon::LeaveGuard;
    createReconnector();
    bindGame();

    turntime = new QTimer(this);
    turntime->setInterval(1000);
    connect(turntime, &QTimer::timeout, this, &Tchat::turntimeTimer);


    // The default size; the board's minimum size wins where it is larger.
    // The settings file places the window once the own seat is announced.
    resize(m_placer.saved().width, m_placer.saved().height);
}

Tchat::~Tchat()
{
    // The sockets report their close to their owner; this window is going,
    // so nobody may hear it.
    m_link->shutDown();
    delete m_leave;
}

void Tchat::createControls()
{
    auto *central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    central->setMinimumSize(glyphon::BoardPanel::PanelWidth + 4, glyphon::BoardPanel::PanelHeight + 4);
    central->setAutoFillBackground(true);
    QPalette pal = central->palette();
    pal.setColor(QPalette::Window, QColor(0xdc, 0xd0, 0xb6));
    central->setPalette(pal);
    setCentralWidget(central);

    panel_board = new glyphon::BoardPanel(central);
    panel_board->setObjectName(QStringLiteral("panel_board"));
    panel_board->move(4, 2);

    createBoardControls();
    createPlayerControls();
    createChatControls();
}

void Tchat::createPlayerControls()
{
    for (int seat = 1; seat <= 2; ++seat) {
        auto *card = new glyphon::PlayerCard(panel_board, seat, seat == 1 ? 389 : 587, QString::fromLatin1(Waiting));
        m_cards[seat].reset(card);
        (seat == 1 ? image_Turn1 : image_turn2) = card->marker;
        (seat == 1 ? image_eyes1 : image_eyes2) = card->eyes;
        (seat == 1 ? label_playername1 : label_playername2) = card->name;
        (seat == 1 ? label_score1 : label_score2) = card->score;
        (seat == 1 ? label_bonus1 : label_bonus2) = card->bonus;
        (seat == 1 ? memo_thewords1 : memo_thewords2) = card->words;
    }
    showOwnListLight();
}

void Tchat::showOwnListLight()
{
    // The own list always has the light colours; a spectator's is seat 1's.
    const int own = m_game->mySeat() == 2 ? 2 : 1;
    for (int seat = 1; seat <= 2; ++seat) {
        const bool light = seat == own;
        m_cards[seat]->setListColours(glyphon::toQColor(light ? LightGrey : DarkBlue),
                                      glyphon::toQColor(light ? DarkBlue : LightGrey));
    }
}

void Tchat::createBoardControls()
{
    for (int row = 1; row <= 6; ++row) {
        for (int col = 1; col <= 6; ++col) {
            const int position = row * 10 + col;
            auto *tile = new TileWidget(position, panel_board);
            tile->move(52 + 48 * (col - 1), 70 + 49 * (row - 1));
            connect(tile, &TileWidget::mouseUp, this, &Tchat::image_word51MouseUp);
            image_word[position] = tile;
            drawtile(position); // a blank tile until the first board comes
        }
    }

    label_roundnum = makeLabel(panel_board, QStringLiteral("Round: 0"), QRect(52, 38, 130, 18), arialPixels(13, true));
    label_playtoscore = makeLabel(panel_board, QStringLiteral("Play to Score: 0"), QRect(196, 38, 140, 18),
                                  arialPixels(13, true), Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *label : {label_roundnum, label_playtoscore})
        setTextColour(label, QColor(0x44, 0x42, 0x7e));

    // Long names and words shrink rather than run off the shelf.
    auto *status = makeLabel(panel_board, QStringLiteral("Welcome to Glyphon"), QRect(10, 382, 369, 20),
                             arialPixels(15, true), Qt::AlignCenter);
    status->setMinimumPixelSize(10);
    label_status = status;
    label_status->setObjectName(QStringLiteral("label_status"));
    auto *word = makeLabel(panel_board, QString(), QRect(10, 402, 369, 34), arialPixels(24, true), Qt::AlignCenter);
    word->setMinimumPixelSize(14);
    label_word = word;
    label_word->setObjectName(QStringLiteral("label_word"));
    label_word->setCursor(Qt::PointingHandCursor);
    label_word->installEventFilter(this);
    panel_board->installEventFilter(this); // right-clicks between the tiles
    setTextColour(label_word, QColor(0x2e, 0x3b, 0x50));
    label_timer = makeLabel(panel_board, QStringLiteral("Time: 0:00"), QRect(10, 436, 369, 20),
                            arialPixels(16, true), Qt::AlignCenter);
    label_timer->setObjectName(QStringLiteral("label_timer"));
    setTextColour(label_timer, glyphon::toQColor(DarkBlue));
    image_timer = new TimeBar(panel_board);
    image_timer->setGeometry(10, 458, 369, 19);
    image_timer->setBarWidth(0);

    button_clear = new PictureButton(QStringLiteral("CLEAR"), panel_board);
    button_clear->move(26, 483);
    button_clear->setFocusPolicy(Qt::NoFocus);
    button_clear->hide();
    connect(button_clear, &PictureButton::clicked, this, &Tchat::hitclear);
    button_submit = new PictureButton(QStringLiteral("SUBMIT"), panel_board);
    button_submit->move(205, 483);
    button_submit->setFocusPolicy(Qt::NoFocus);
    button_submit->hide();
    connect(button_submit, &PictureButton::clicked, this, &Tchat::hitdone);

    button_start = new PictureButton(QStringLiteral("START GAME"), panel_board);
    // Below the winner panel, so a finished game shows both.
    button_start->move(194 - 79, 226);
    button_start->setCursor(Qt::PointingHandCursor);
    button_start->setFocusPolicy(Qt::NoFocus);
    connect(button_start, &PictureButton::clicked, this, &Tchat::button_startClick);

    panel_winner = new QFrame(panel_board);
    panel_winner->setObjectName(QStringLiteral("panel_winner"));
    panel_winner->setGeometry(5, 166, 379, 41);
    panel_winner->setFrameShape(QFrame::Box);
    panel_winner->setLineWidth(1);
    panel_winner->setAutoFillBackground(true);
    {
        QPalette pal = panel_winner->palette();
        pal.setColor(QPalette::Window, QColor(0xf4, 0xee, 0xe0));
        pal.setColor(QPalette::WindowText, QColor(0x44, 0x42, 0x7e));
        panel_winner->setPalette(pal);
    }
    const QFont winnerFont = arialPixels(16, true);
    auto *winner2 = makeLabel(panel_winner, QStringLiteral("Winner!"), QRect(2, 9, 375, 22), winnerFont, Qt::AlignCenter);
    auto *winner1 = makeLabel(panel_winner, QStringLiteral("Winner!"), QRect(1, 10, 375, 22), winnerFont, Qt::AlignCenter);
    // Both shrink alike, so the shadow stays under the text, and keep clear
    // of the panel's border.
    for (glyphon::FittingLabel *winner : {winner1, winner2}) {
        winner->setMinimumPixelSize(10);
        winner->setContentsMargins(6, 0, 6, 0);
    }
    label_winner2 = winner2;
    label_winner1 = winner1;
    setTextColour(label_winner2, QColor(0x9a, 0x9a, 0x9a));
    setTextColour(label_winner1, glyphon::toQColor(DarkBlue));
    label_winner1->raise();
    panel_winner->hide();

    panel_help = new QuickInstructionsPanel(panel_board); // starts hidden
    // Its Done button had the focus; without this the focus would pass on to
    // the chat input and typed letters would no longer spell.
    connect(panel_help, &QuickInstructionsPanel::closed, this,
            [this] { panel_board->setFocus(Qt::OtherFocusReason); });
}

void Tchat::createChatControls()
{
    panel_chat = new QFrame(panel_board);
    panel_chat->setGeometry(389, 255, 366, 243);
    panel_chat->setFrameShape(QFrame::StyledPanel);
    panel_chat->setFrameShadow(QFrame::Sunken);

    mainchat = new ChatView(panel_chat);
    mainchat->setObjectName(QStringLiteral("mainchat"));
    mainchat->setGeometry(2, 2, 362, 239);
    mainchat->setFocusPolicy(Qt::ClickFocus);
    connect(mainchat, &ChatView::mainchatJump, this, &Tchat::mainchatJump);
    connect(mainchat, &ChatView::chatCleared, this, [this] { mychat->setFocus(); });
    // The view's menu and the Options menu share these actions, so the two
    // "Scroll Chat Off" items always agree.
    SelectAll1 = mainchat->selectAllAction();
    Copy1 = mainchat->copyAction();
    ClearMainChat2 = mainchat->clearChatAction();
    ScrollChatOff1 = mainchat->scrollChatOffAction();

    mychat = new glyphon::ChatInput(panel_board);
    mychat->setObjectName(QStringLiteral("mychat"));
    mychat->setGeometry(390, 500, 336, 22);
    mychat->setMaxLength(MaxChatInput);
    mychat->installEventFilter(this);
    Paste1 = mychat->pasteAction();
    connect(mychat, &glyphon::ChatInput::sendRequested, this, &Tchat::sendit);

    button_smilies = new QToolButton(panel_board);
    button_smilies->setObjectName(QStringLiteral("button_smilies"));
    button_smilies->setGeometry(730, 502, 25, 19);
    button_smilies->setAutoRaise(true);
    button_smilies->setToolTip(QStringLiteral("Smileys"));
    button_smilies->setAccessibleName(QStringLiteral("Smileys"));
    button_smilies->setIcon(glyphon::smileyIcon(0));
    button_smilies->setIconSize(QSize(17, 16));
    button_smilies->setFocusPolicy(Qt::NoFocus);
    connect(button_smilies, &QToolButton::clicked, this, &Tchat::button_smiliesClick);

    popup_smilies = glyphon::createSmileyMenu(this);
    for (QAction *item : popup_smilies->actions())
        connect(item, &QAction::triggered, this, [this, item] { N271Click(item->data().toInt()); });

    m_phraseRow = new glyphon::PhraseRow(panel_board);
    connect(m_phraseRow, &glyphon::PhraseRow::phraseClicked, this, &Tchat::b_phrase1Click);
    connect(m_phraseRow, &glyphon::PhraseRow::chatterButtonReleased, this, &Tchat::b_phrase10MouseUp);
    connect(m_phraseRow, &glyphon::PhraseRow::soundChosen, this, &Tchat::wave4Click);
}

void Tchat::createMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    StartGame1 = file->addAction(QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    connect(StartGame1, &QAction::triggered, this, &Tchat::button_startClick);
    PlayWithOthers1 = file->addAction(QStringLiteral("Play with Others..."));
    connect(PlayWithOthers1, &QAction::triggered, this, &Tchat::PlayWithOthers1Click);
    m_lobby = new glyphon::PlayWithOthers(m_context.config.gamePortNumber(), this);
    connect(m_lobby, &glyphon::PlayWithOthers::handedOver, this, &Tchat::closeWithoutAsking);
    connect(m_lobby, &glyphon::PlayWithOthers::aboutToHandOver, this, [this] {
        // Connections made stay; only new ones are refused.
        if (ishost)
            m_context.server->Sock1->setListen(false);
    });
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("Exit"));
    connect(Exit1, &QAction::triggered, this, &Tchat::Exit1Click);

    ScrollChatOff2 = ScrollChatOff1;
    ClearMainChat1 = ClearMainChat2;
    m_options = new glyphon::OptionsMenu(menuBar()->addMenu(QStringLiteral("&Options")), ScrollChatOff2,
                                         ClearMainChat1);
    connect(m_options, &glyphon::OptionsMenu::playSoundsToggled, this, &Tchat::PlaySounds1Click);
    connect(m_options, &glyphon::OptionsMenu::playerPhraseSoundsToggled, this, &Tchat::PlayerPhraseSounds1Click);
    connect(m_options, &glyphon::OptionsMenu::turnSoundChosen, this, &Tchat::Classic1Click);
    connect(m_options, &glyphon::OptionsMenu::botSpeedChosen, this, &Tchat::Fast1Click);
    connect(m_options, &glyphon::OptionsMenu::riziLevelChosen, this, &Tchat::RiziLevel1Click);
    connect(m_options, &glyphon::OptionsMenu::textColourRequested, this, &Tchat::TextColor1Click);
    connect(m_options, &glyphon::OptionsMenu::textSizeChosen, this, &Tchat::N14Click);
    connect(m_options, &glyphon::OptionsMenu::resetScreenLocationRequested, this, &Tchat::ResetScreenLocation1Click);
    m_seats = new glyphon::SeatControl(
            [this] { return glyphon::SeatSession{m_game->mySeat(), isconnected, ishost}; },
            [this](const QByteArray &message) { sendMessage(message); }, this);
    JustWatch1 = m_seats->JustWatch1;
    popup_kick = m_seats->popup_kick;
    m_seats->attachNameLabel(label_playername1, 1);
    m_seats->attachNameLabel(label_playername2, 2);
    m_options->menu()->addSeparator();
    OpenPortOnRouter1 = m_options->menu()->addAction(QStringLiteral("Open Port on Router"));
    OpenPortOnRouter1->setCheckable(true);
    OpenPortOnRouter1->setChecked(glyphon::LobbySettings::load().openPort);
    connect(OpenPortOnRouter1, &QAction::toggled, this, [this](bool on) {
        glyphon::LobbySettings::saveOpenPort(on);
        if (m_hosting)
            m_hosting->setOpenPort(on);
    });
    m_options->menu()->addSeparator();
    m_options->menu()->addAction(JustWatch1);

    m_tileSets = new glyphon::TileSetMenu(this);
    grouptilesitem = m_tileSets->menu();
    menuBar()->addMenu(grouptilesitem);
    connect(m_tileSets, &glyphon::TileSetMenu::chosen, this,
            [this](const QString &name) { grouptilesmenuClick(m_tileSets->item(name)); });
    grouptilesmenu();

    QMenu *view = menuBar()->addMenu(QStringLiteral("&View"));
    SpyList1 = view->addAction(QStringLiteral("Spy List"));
    connect(SpyList1, &QAction::triggered, this, [this] { showInFront(m_context.spylist); });
    PrhaseList1 = view->addAction(QStringLiteral("Phrase List"));
    connect(PrhaseList1, &QAction::triggered, this, &Tchat::PrhaseList1Click);
    ViewTally1 = view->addAction(QStringLiteral("View Tally"));
    connect(ViewTally1, &QAction::triggered, this, &Tchat::ViewTally1Click);
    m_hints = new glyphon::HintControl(view, {[this] { return m_game->mySeat(); }, [this] { return myTurn(); },
                                              [this] { hitclear(); },
                                              [this](int p) { image_word51MouseUp(tileAt(p), Qt::LeftButton); },
                                              [this](const QString &line) { statusLine(line); }},
                                       this);

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Help"));
    Help2 = help->addAction(QStringLiteral("Content"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    QuickInstructions1 = help->addAction(QStringLiteral("Quick Instructions"));
    QuickInstructions1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(QuickInstructions1, &QAction::triggered, this, [this] { panel_help->showInstructions(); });
    Connecting1 = help->addAction(QStringLiteral("Connecting"));
    help->addSeparator();
    About1 = help->addAction(QStringLiteral("About"));
}

void Tchat::createLink()
{
    m_link = new glyphon::ServerLink(this);
    sock = m_link->socket();
    sock->setPortName(m_context.config.gamePort);
    Sock11 = m_link->lobbySocket();
    Timer1 = m_link->pump()->timer();
    connect(m_link, &glyphon::ServerLink::message, this, &Tchat::processsocktimer);
    connect(m_link, &glyphon::ServerLink::info, this, &Tchat::sockInfo);
    connect(m_link->pump(), &glyphon::MessagePump::rested, this, [this] {
        if (m_connectionClosed)
            closeWhenConnectionEnds();
    });
    connect(m_link, &glyphon::ServerLink::joinTimedOut, this, [this] {
        if (!isconnected)
            endWithMessage(QStringLiteral("The host at %1 could not be reached.").arg(hostaddress));
    });
}

void Tchat::connectSideWindows()
{
    connect(m_context.gamestart, &Tgamestart::startRequested, this, &Tchat::startGameRequested);
    connect(Help2, &QAction::triggered, this, [this] { showInFront(m_context.help); });
    connect(About1, &QAction::triggered, this, [this] { showInFront(m_context.about); });
    connect(m_context.spylist, &Tspylist::removeRequested, m_seats, &glyphon::SeatControl::kicking);
    connect(m_context.phrases, &Tphrases::phrasesAccepted, this, [this](const QStringList &texts) {
        for (int n = 1; n <= texts.size(); ++n)
            m_phraseRow->setPhrase(n, texts.at(n - 1));
        m_store.savePhrases(texts);
    });
    connect(m_context.download, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
    connect(m_context.download, &Tdownload::playWithOthersRequested, m_lobby, &glyphon::PlayWithOthers::open);
    connect(Connecting1, &QAction::triggered, this, [this] {
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
    connect(m_game, &ClientGame::tilesChanged, this, &Tchat::redrawTiles);
    connect(m_game, &ClientGame::runningChanged, this, [this](bool running) { m_leave->setGameRunning(running); });
    connect(m_game, &ClientGame::roundChanged, this,
            [this](int round) { label_roundnum->setText(QStringLiteral("Round: %1").arg(round)); });
    connect(m_game, &ClientGame::playToChanged, this,
            [this](int score) { label_playtoscore->setText(QStringLiteral("Play to Score: %1").arg(score)); });
    connect(m_game, &ClientGame::spectatorJoined, this, [this](const glyphon::msg::SeatEntry &entry) {
        m_context.spylist->addEntry(QStringLiteral("%1: %2").arg(entry.seat).arg(glyphon::fromWire(entry.name)));
    });
    connect(m_game, &ClientGame::spectatorGone, this, [this](const glyphon::msg::SeatEntry &entry) {
        m_context.spylist->removeEntry(QStringLiteral("%1: %2").arg(entry.seat).arg(glyphon::fromWire(entry.name)));
    });
}

void Tchat::showSeat(int seat)
{
    if (!glyphon::ClientGame::isPlayerSeat(seat))
        return;
    const glyphon::ClientGame::Seat &record = m_game->seat(seat);
    m_cards[seat]->show(shownName(seat), record.score, record.lastPoints, record.watching);
}

void Tchat::keepCardsReadable()
{
    m_cards[1]->keepReadable();
    m_cards[2]->keepReadable();
}

void Tchat::showMessageBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Glyphon"), text, QMessageBox::Ok, this);
    beginModal();
    glyphon::execOnTop(box);
    endModal();
    modalFinished();
}

void Tchat::beginModal()
{
    if (m_modalDepth++ == 0)
        m_link->pump()->setPaused(true);
}

void Tchat::modalFinished()
{
    if (m_modalDepth > 0)
        return;
    if (m_closeAfterModal) {
        m_closeAfterModal = false;
        scheduleClose();
        return;
    }
    if (!m_closing)
        m_link->pump()->setPaused(false); // wakes when messages wait
    if (m_connectionClosed && (m_closing || m_link->pump()->queued() == 0))
        closeWhenConnectionEnds();
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
    if (!m_closing && !m_closeWithoutAsking && !confirmLeaving()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (!event->isAccepted())
        return;
    m_closing = true;
    // The game leaves others' lists at once, and the router's port closes.
    if (m_hosting)
        m_hosting->stop();
    if (const std::optional<glyphon::WindowPlacement> moved = m_placer.toSaveOnClose())
        savePlacementAndSettings(*moved);
    turntime->stop();
    m_link->pump()->setPaused(true);
    // The connection ends with the window, so the others see this copy leave.
    sock->Close();
    Sock11->Close();
    emit closed();
}

void Tchat::scheduleClose()
{
    if (m_closing || m_closeQueued)
        return;
    // A box still on screen closes first; the window follows when it is gone.
    if (m_modalDepth > 0) {
        m_closeAfterModal = true;
        return;
    }
    m_closeWithoutAsking = true;
    m_closeQueued = true;
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void Tchat::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    close();
}

bool Tchat::confirmLeaving()
{
    const bool player = isconnected && m_game->iPlay();
    if (!m_leave->needsQuestion(player))
        return true;
    beginModal();
    using Role = glyphon::LeaveGuard::Role;
    const bool leave = m_leave->askToLeave(this, m_params.isEmpty() ? Role::Solo : ishost ? Role::Host : Role::Joiner);
    endModal();
    modalFinished();
    return leave;
}

void Tchat::closeWhenConnectionEnds()
{
    // An orderly close by the host ends the game for those who joined it;
    // they are told, rather than see the window vanish.
    if (!ishost && isconnected && !m_connectionFailed && !m_closing) {
        isconnected = false;
        QMetaObject::invokeMethod(this, [this] {
            // The window closes when the box is gone (see modalFinished).
            // A removal and an orderly close look the same from here.
            showMessageBox(QStringLiteral("The host has closed your connection."));
        }, Qt::QueuedConnection);
        return;
    }
    scheduleClose();
}
