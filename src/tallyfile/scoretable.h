#pragma once
// The tally's score table, free of widgets so the window is a thin view over
// it and the file format can be tested on its own.
//
// Nine text columns. Row 0 holds the user's own totals (column 1 games, 2
// wins; 3 and 4 are carried but never counted). Every further row is one
// tallied opponent: 0 the name, 1 games, 2 the opponent's wins, 3 the user's
// wins, 4 neither won, and 5 to 8 the same four counts for this run only.
// An empty or non-numeric cell counts as 0.
//
// Table text, lines ended by CR LF: the column count, the row count, then
// every cell column by column (all rows of column 0, then column 1, ...).
// Names are kept in the wire's code page, as they arrive; a cell an earlier
// version wrote in UTF-8 is read as that.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace glyphon::tally {

class ScoreTable
{
public:
    static constexpr int Columns = 9;
    // addgame()'s argument when the local user won.
    static inline const QString AddToMine = QStringLiteral("addtomine");

    // One row of "0": a fresh tally.
    ScoreTable();

    int rowCount() const { return int(m_rows.size()); }
    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString &text);
    int count(int column, int row) const;

    // Adds 1 to the cell and returns the new count.
    int addit(int column, int row);

    // The tallied names, row 1 first.
    QStringList names() const;
    // The row of a tallied name, letter case ignored; -1 when not tallied.
    int rowOf(const QString &name) const;
    // Tallies a new name with every count at 0; returns its row.
    int addRow(const QString &name);
    // Removes a row; later rows move up. Row 0 and missing rows stay.
    void moverow(int row);

    // A finished game: winner is the winner's name or AddToMine;
    // currentGame the other players of the game. Only tallied names count;
    // the winner is matched to a row's name exactly.
    void addgame(const QString &winner, const QStringList &currentGame);
    // The opponents' part of addgame(), without the own totals.
    void addOpponents(const QString &winner, const QStringList &currentGame);

    // Counts since the start of this run begin at 0.
    void resetSession();
    // Forgets every opponent and empties the own totals.
    void reset();

    QByteArray toText() const;
    // nullopt when the text is not a table of nine columns with all its
    // cells.
    static std::optional<ScoreTable> fromText(const QByteArray &text);

private:
    QList<QStringList> m_rows;
};

} // namespace glyphon::tally
