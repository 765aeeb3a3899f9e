#include "windows/tallylist.h"

#include "windows/windowutil.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { NameColumn, GamesColumn, WinsColumn, LossesColumn, ColumnCount };
}

Ttallylist::Ttallylist(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Glyphon - Tally List"));

    auto *own = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    mylabel_1 = new QLabel(QStringLiteral("0"), own);
    mylabel_2 = new QLabel(QStringLiteral("0"), own);
    auto *ownLayout = new QFormLayout(own);
    ownLayout->addRow(QStringLiteral("Total Games:"), mylabel_1);
    ownLayout->addRow(QStringLiteral("Your Wins"), mylabel_2);

    table_tally = new QTableWidget(0, ColumnCount, this);
    table_tally->setHorizontalHeaderLabels({QStringLiteral("Opponent"), QStringLiteral("Games"),
                                            QStringLiteral("Wins"), QStringLiteral("Losses")});
    table_tally->verticalHeader()->hide();
    table_tally->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_tally->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_tally->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_tally->horizontalHeader()->setSectionResizeMode(NameColumn, QHeaderView::Stretch);
    table_tally->setFixedSize(340, 180);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(own);
    layout->addWidget(new QLabel(QStringLiteral("Players Being Tallied"), this));
    layout->addWidget(table_tally);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);
}

void Ttallylist::setCurrentGame(const QStringList &opponents)
{
    m_currentGame.clear();
    for (const QString &name : opponents) {
        if (!name.isEmpty() && !m_currentGame.contains(name, Qt::CaseInsensitive))
            m_currentGame << name;
    }
}

void Ttallylist::addgame(const QString &winner)
{
    const bool mine = winner == AddToMine;
    ++m_totalGames;
    if (mine)
        ++m_ownWins;

    QStringList counted = m_currentGame;
    // The winner played in this game even if the list of players was not
    // brought up to date.
    if (!mine && !winner.isEmpty() && !counted.contains(winner, Qt::CaseInsensitive))
        counted << winner;

    for (const QString &name : std::as_const(counted)) {
        Row &row = rowFor(name);
        ++row.games;
        // The row's own spelling decides, so a renamed player is not credited.
        if (row.name == winner)
            ++row.theirWins;
        else if (mine)
            ++row.myWins;
        else
            ++row.neither;
    }
    refresh();
}

const Ttallylist::Row *Ttallylist::findRow(const QString &name) const
{
    for (const Row &row : m_rows) {
        if (row.name.compare(name, Qt::CaseInsensitive) == 0)
            return &row;
    }
    return nullptr;
}

Ttallylist::Row &Ttallylist::rowFor(const QString &name)
{
    if (const Row *row = findRow(name))
        return const_cast<Row &>(*row);
    m_rows.append(Row{name});
    return m_rows.last();
}

// One count of the opponent's row; 0 for somebody never tallied.
int Ttallylist::countFor(const QString &name, int Row::*count) const
{
    const Row *row = findRow(name);
    return row ? row->*count : 0;
}

int Ttallylist::wins(const QString &opponent) const
{
    return countFor(opponent, &Row::myWins);
}

int Ttallylist::losses(const QString &opponent) const
{
    return countFor(opponent, &Row::theirWins);
}

int Ttallylist::neither(const QString &opponent) const
{
    return countFor(opponent, &Row::neither);
}

int Ttallylist::games(const QString &opponent) const
{
    return countFor(opponent, &Row::games);
}

QStringList Ttallylist::opponents() const
{
    QStringList names;
    for (const Row &row : m_rows)
        names << row.name;
    return names;
}

void Ttallylist::refresh()
{
    mylabel_1->setText(QString::number(m_totalGames));
    mylabel_2->setText(QString::number(m_ownWins));
    table_tally->setRowCount(int(m_rows.size()));
    for (int r = 0; r < m_rows.size(); ++r) {
        const Row &row = m_rows.at(r);
        const QString cells[ColumnCount] = {row.name, QString::number(row.games),
                                            QString::number(row.myWins), QString::number(row.theirWins)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto *item = new QTableWidgetItem(cells[c]);
            if (c != NameColumn)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_tally->setItem(r, c, item);
        }
    }
}

void Ttallylist::button_doneClick()
{
    close();
}

void Ttallylist::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
