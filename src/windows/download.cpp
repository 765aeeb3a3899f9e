#include "windows/download.h"

#include "net/httpcli.h"
#include "settings/userfiles.h"
#include "windows/windowutil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

#ifndef GLYPHON_LOBBY_URL
#error "GLYPHON_LOBBY_URL comes from the build (CMake cache variable of that name)"
#endif

namespace {

constexpr int ClientWidth = 724;
constexpr int ClientHeight = 500;
constexpr int PictureWidth = 436;
constexpr int PictureHeight = 360;

QLabel *wrappingLabel(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

void paintRed(QWidget *widget)
{
    QPalette pal = widget->palette();
    pal.setColor(QPalette::WindowText, QColor(255, 0, 0));
    widget->setPalette(pal);
}

// The installer goes beside the program, where an installed copy looks for
// its lobby; a read-only program folder sends it to the user's downloads.
QString downloadFolder(const glyphon::UserFiles &files)
{
    if (files.programFolderWritable())
        return files.programFolder();
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    QDir().mkpath(folder);
    return folder;
}

} // namespace

Tdownload::Tdownload(const glyphon::UserFiles &files, const LobbyPlaces &lobby, QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_files(files)
    , m_lobby(lobby)
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Marnet Lobby"));

    image_lobby = new QLabel(this);
    image_lobby->setFixedSize(PictureWidth, PictureHeight);
    image_lobby->setPixmap(QPixmap(QStringLiteral(":/pictures/lobby.jpg")));

    // Hangs on the pictured door like a sign.
    label_closed = new QLabel(QStringLiteral("IS CLOSED"), image_lobby);
    QFont closedFont = label_closed->font();
    closedFont.setBold(true);
    closedFont.setPixelSize(24);
    label_closed->setFont(closedFont);
    paintRed(label_closed);
    QPalette sign = label_closed->palette();
    sign.setColor(QPalette::Window, QColor(0xf6, 0xec, 0xd2));
    label_closed->setPalette(sign);
    label_closed->setAutoFillBackground(true);
    label_closed->setFrameStyle(QFrame::Box | QFrame::Plain);
    label_closed->setLineWidth(2);
    label_closed->setAlignment(Qt::AlignCenter);
    label_closed->setGeometry(143, 156, 150, 36); // between the panes and the handles

    Label1 = wrappingLabel(QStringLiteral("Download The Marnet Lobby Now to play this  and other exciting games "
                                          "online with other players! "),
                           this);
    QFont headline = Label1->font();
    headline.setBold(true);
    Label1->setFont(headline);
    getbutton = new QPushButton(QStringLiteral("Download And Install The Marnet Lobby Now"), this);
    abortbutton = new QPushButton(QStringLiteral("Stop Download"), this);
    infolabel = new QLabel(this);
    infolabel3 = new QLabel(this);
    infolabel2 = new QLabel(this);
    infolabel2->hide();

    Label7 = wrappingLabel(QStringLiteral("To proceed to the game without the ability to play against others "
                                          "click the button below."),
                           this);
    Button1 = new QPushButton(QStringLiteral("Play Solo Game"), this);
    Button1->setDefault(true);
    Label3 = wrappingLabel(QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                                          "FIREWALL to allow the game to access the internet components."),
                           this);
    paintRed(Label3);
    Label5 = wrappingLabel(QStringLiteral("If you already have The Marnet Lobby and you wish to play with others "
                                          "then click the button below to close this game and open The Marnet Lobby."),
                           this);
    Button2 = new QPushButton(QStringLiteral("Play with Others"), this);

    auto *ways = new QVBoxLayout;
    ways->addWidget(Label7);
    ways->addWidget(Button1);
    ways->addSpacing(12);
    ways->addWidget(Label5);
    ways->addWidget(Button2);
    ways->addStretch();
    ways->addWidget(Label3);
    auto *top = new QHBoxLayout;
    top->addWidget(image_lobby, 0, Qt::AlignTop);
    top->addSpacing(4);
    top->addLayout(ways, 1);

    auto *progress = new QVBoxLayout;
    progress->addWidget(infolabel);
    progress->addWidget(infolabel3);
    auto *transfer = new QHBoxLayout;
    transfer->addWidget(getbutton);
    transfer->addWidget(abortbutton);
    transfer->addSpacing(12);
    transfer->addLayout(progress, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(top);
    layout->addSpacing(6);
    layout->addWidget(Label1);
    layout->addSpacing(4);
    layout->addLayout(transfer);
    layout->addStretch();
    setFixedSize(ClientWidth, ClientHeight);

    HttpCli1 = new THttpCli(this);
    connect(HttpCli1, &THttpCli::headerData, this, &Tdownload::HttpCli1HeaderData);
    connect(HttpCli1, &THttpCli::docBegin, this, &Tdownload::HttpCli1DocBegin);
    connect(HttpCli1, &THttpCli::docData, this, &Tdownload::HttpCli1DocData);
    connect(HttpCli1, &THttpCli::requestDone, this, &Tdownload::HttpCli1RequestDone);

    connect(getbutton, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);
    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Tdownload::Button2Click);
}

Tdownload::~Tdownload()
{
    // A transfer cut short by the end of the program leaves no partial file.
    keepDownload(false);
}

QString Tdownload::installerUrl() const
{
    return m_lobby.installerUrl.isEmpty() ? QStringLiteral(GLYPHON_LOBBY_URL) : m_lobby.installerUrl;
}

QString Tdownload::lobbyProgram() const
{
    return m_lobby.program.isEmpty() ? QStringLiteral("/opt/marnet/MarnetLobby") : m_lobby.program;
}

QStringList Tdownload::installerParameters()
{
    return {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")};
}

void Tdownload::getbuttonClick()
{
    if (HttpCli1->isBusy())
        return;
    m_state = 1;
    const QString url = installerUrl();
    const QString name = url.mid(url.lastIndexOf(QLatin1Char('/')) + 1);
    infolabel2->setText(name);
    m_installerPath = QDir(downloadFolder(m_files)).filePath(name);

    // Written under a temporary name: only a complete download ever carries
    // the installer's name, so nothing half-written can be started later.
    auto part = std::make_unique<QFile>(m_installerPath + QStringLiteral(".part"));
    if (name.isEmpty() || name == QLatin1String("..") || !part->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        showMessage(QStringLiteral("Cannot create file \"%1\". %2").arg(part->fileName(), part->errorString()));
        return;
    }
    m_partFile = std::move(part);

    getbutton->setEnabled(false);
    abortbutton->setEnabled(true);
    infolabel->setText(QStringLiteral("Loading"));
    HttpCli1->setURL(url);
    HttpCli1->setRcvdStream(m_partFile.get());
    HttpCli1->GetASync();
}

void Tdownload::abortbuttonClick()
{
    HttpCli1->Abort();
    infolabel->setText(QStringLiteral("Download has been aborted."));
    m_state = 2;
    infolabel3->setText(QStringLiteral("Download Aborted"));
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::Button2Click()
{
    const QString program = lobbyProgram();
    if (!QFileInfo(program).isFile()) {
        // No lobby program here: the game's own window for playing with
        // others takes its place.
        hide();
        emit playWithOthersRequested();
        return;
    }
    // The game ends whether or not the lobby could be started.
    QProcess::startDetached(program, {});
    emit exitRequested();
}

void Tdownload::HttpCli1HeaderData()
{
    infolabel->setText(infolabel->text() + QLatin1Char('.'));
}

void Tdownload::HttpCli1DocBegin()
{
    infolabel3->setText(QStringLiteral("Downloading: ") + infolabel2->text());
}

void Tdownload::HttpCli1DocData(qint64 received)
{
    infolabel->setText(QStringLiteral("%1 bytes").arg(received));
}

void Tdownload::HttpCli1RequestDone(bool succeeded)
{
    const qint64 size = m_partFile ? m_partFile->size() : 0;
    const bool stopped = m_state == 2; // Stop was pressed: its own words stay
    if (keepDownload(succeeded)) {
        infolabel->setText(QStringLiteral("Received %1 bytes").arg(size));
    } else {
        infolabel->setText(QStringLiteral("Download Aborted"));
        m_state = 2;
        // Why, where the user can read it: a host that cannot be reached,
        // a page not found, a file that could not be written.
        if (!stopped) {
            const QString why = HttpCli1->errorText();
            infolabel3->setText(why.isEmpty() ? QStringLiteral("The file could not be written.") : why);
        }
    }
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    if (m_state == 2)
        return;

    infolabel3->setText(QStringLiteral("Installing"));
    QFile::setPermissions(m_installerPath,
                          QFile::permissions(m_installerPath) | QFile::ExeOwner | QFile::ExeUser);
    if (!QProcess::startDetached(m_installerPath, installerParameters(), QFileInfo(m_installerPath).absolutePath())) {
        showMessage(QStringLiteral("An Error has Occurred."));
        return;
    }
    emit exitRequested();
}

bool Tdownload::keepDownload(bool complete)
{
    if (!m_partFile)
        return false;
    const QString part = m_partFile->fileName();
    if (!m_partFile->flush())
        complete = false;
    m_partFile->close();
    if (m_partFile->error() != QFileDevice::NoError)
        complete = false;
    m_partFile.reset();
    // rename() replaces an older installer in one step.
    if (complete
        && std::rename(QFile::encodeName(part).constData(), QFile::encodeName(m_installerPath).constData()) == 0)
        return true;
    QFile::remove(part);
    return false;
}

void Tdownload::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(glyphon::AppTitle), text, QMessageBox::Ok, this);
    glyphon::execOnTop(box);
}

void Tdownload::showEvent(QShowEvent *event)
{
    // Shown with the main window at start: follow it to the place it is given.
    glyphon::centreOnParentWhilePlaced(this);
    QDialog::showEvent(event);
    // Shown after the main window, it takes the keyboard: Escape and Enter
    // are meant for it.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            return;
        raise();
        activateWindow();
        Button1->setFocus(Qt::ActiveWindowFocusReason); // the default: closes
    });
}
