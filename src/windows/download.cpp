#include "windows/download.h"

#include "windows/windowutil.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tdownload::Tdownload(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Marnet Lobby"));

    Label1 = new QLabel(QStringLiteral("Download The Marnet Lobby Now to play this  and other exciting games "
                                       "online with other players! "), this);
    Label1->setWordWrap(true);
    QFont headline = Label1->font();
    headline.setBold(true);
    headline.setPointSizeF(headline.pointSizeF() * 1.3);
    Label1->setFont(headline);

    auto *about = new QLabel(
        QStringLiteral("The Marnet Lobby is a separate, optional program where you meet other players. "
                       "When you agree on a game it starts Glyphon for everybody, the host with "
                       "<code>glyphon NAME ADDRESS true</code> and the others with "
                       "<code>glyphon NAME HOSTADDRESS false</code>. You can also start such games "
                       "yourself from the command line; see Connecting in the help."),
        this);
    about->setTextFormat(Qt::RichText);
    about->setWordWrap(true);

    Label7 = new QLabel(QStringLiteral("To proceed to the game without the ability to play against others "
                                       "click the button below."), this);
    Label7->setWordWrap(true);

    Button1 = new QPushButton(QStringLiteral("Play Solo Game"), this);
    Button1->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addSpacing(8);
    layout->addWidget(about);
    layout->addSpacing(8);
    layout->addWidget(Label7);
    layout->addLayout(buttons);
    setFixedWidth(520);

    connect(Button1, &QPushButton::clicked, this, &Tdownload::Button1Click);
}

void Tdownload::Button1Click()
{
    close();
}

void Tdownload::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
