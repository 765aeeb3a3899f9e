#pragma once
// The tally of finished games: the user's totals and, per opponent, who won.
// Kept in memory for now; the file that carries it between runs comes later.

#include <QDialog>
#include <QStringList>

class QLabel;
class QPushButton;
class QTableWidget;

class Ttallylist : public QDialog
{
    Q_OBJECT
public:
    // The argument of addgame() when the local user won.
    static inline const QString AddToMine = QStringLiteral("addtomine");

    explicit Ttallylist(QWidget *parent = nullptr);

    // The other players of the game being played; their rows are counted when
    // it ends.
    void setCurrentGame(const QStringList &opponents);

    // A game ended: winner is the winner's name, or AddToMine.
    void addgame(const QString &winner);

    int totalGames() const { return m_totalGames; }
    int ownWins() const { return m_ownWins; }
    // Per opponent (letter case ignored): games the user won against them,
    // games they won, games neither won, games played together.
    int wins(const QString &opponent) const;
    int losses(const QString &opponent) const;
    int neither(const QString &opponent) const;
    int games(const QString &opponent) const;
    QStringList opponents() const;

    QLabel *mylabel_1;
    QLabel *mylabel_2;
    QTableWidget *table_tally;
    QPushButton *button_done;

public slots:
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Row
    {
        QString name;
        int games = 0;
        int theirWins = 0;
        int myWins = 0;
        int neither = 0;
    };

    const Row *findRow(const QString &name) const;
    int countFor(const QString &name, int Row::*count) const;
    Row &rowFor(const QString &name);
    void refresh();

    QStringList m_currentGame;
    QList<Row> m_rows;
    int m_totalGames = 0;
    int m_ownWins = 0;
};
