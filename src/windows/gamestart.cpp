#include "windows/gamestart.h"

#include "windows/updown.h"
#include "windows/windowutil.h"

#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using glyphon::UpDown;

namespace {

QLineEdit *makeValueEdit(QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edit->setFixedWidth(64);
    return edit;
}

} // namespace

Tgamestart::Tgamestart(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Glyphon - Game Start"));

    label_title = new QLabel(QStringLiteral("Game Options"), this);
    QFont titleFont = label_title->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    label_title->setFont(titleFont);
    label_title->setAlignment(Qt::AlignCenter);

    label_playtoscore = new QLabel(QStringLiteral("Play to Score:"), this);
    edit_playtoscore = makeValueEdit(this);
    UpDown1 = new UpDown(this);
    label_playtoscore->setBuddy(edit_playtoscore);

    label_creationtime = new QLabel(QStringLiteral("Creation Time:"), this);
    edit_creationtime = makeValueEdit(this);
    UpDown2 = new UpDown(this);
    label_creationtime->setBuddy(edit_creationtime);

    button_start = new QPushButton(QStringLiteral("START GAME"), this);
    button_start->setCursor(Qt::PointingHandCursor);
    button_start->setDefault(true);
    QFont startFont = button_start->font();
    startFont.setBold(true);
    button_start->setFont(startFont);
    button_start->setMinimumSize(158, 34);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->addWidget(label_playtoscore, 0, 0, Qt::AlignRight);
    grid->addWidget(edit_playtoscore, 0, 1);
    grid->addWidget(UpDown1, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("points"), this), 0, 3);
    grid->addWidget(label_creationtime, 1, 0, Qt::AlignRight);
    grid->addWidget(edit_creationtime, 1, 1);
    grid->addWidget(UpDown2, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("seconds per turn"), this), 1, 3);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_start);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addSpacing(8);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button_start, &QPushButton::clicked, this, &Tgamestart::button_startClick);
    FormCreate();
}

void Tgamestart::FormCreate()
{
    UpDown1->setRange(PlayToScoreMin, PlayToScoreMax);
    UpDown1->setIncrement(PlayToScoreStep);
    UpDown1->setPosition(200);
    UpDown1->setAssociate(edit_playtoscore);

    UpDown2->setRange(CreationTimeMin, CreationTimeMax);
    UpDown2->setIncrement(CreationTimeStep);
    UpDown2->setPosition(60);
    UpDown2->setAssociate(edit_creationtime);
}

void Tgamestart::setValues(int playtoscore, int timeperturn)
{
    UpDown1->setValue(playtoscore);
    UpDown2->setValue(timeperturn);
}

int Tgamestart::playtoscore() const
{
    return UpDown1->position();
}

int Tgamestart::timeperturn() const
{
    return UpDown2->position();
}

void Tgamestart::button_startClick()
{
    // A half-typed value gives way to the last good one before it is sent.
    UpDown1->commitTyped();
    UpDown2->commitTyped();
    const QString score = edit_playtoscore->text();
    const QString seconds = edit_creationtime->text();
    emit startRequested(score, seconds);
    hide();
}

void Tgamestart::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
