#include "tallyfile/scoretable.h"

#include "protocol/codepage.h"

namespace glyphon::tally {

namespace {
const QString Zero = QStringLiteral("0");

QStringList zeroRow()
{
    QStringList row;
    for (int c = 0; c < ScoreTable::Columns; ++c)
        row << Zero;
    return row;
}
} // namespace

ScoreTable::ScoreTable()
{
    m_rows << zeroRow();
}

QString ScoreTable::cell(int column, int row) const
{
    if (column < 0 || column >= Columns || row < 0 || row >= rowCount())
        return {};
    return m_rows.at(row).at(column);
}

void ScoreTable::setCell(int column, int row, const QString &text)
{
    if (column < 0 || column >= Columns || row < 0 || row >= rowCount())
        return;
    m_rows[row][column] = text;
}

int ScoreTable::count(int column, int row) const
{
    bool ok = false;
    const int value = cell(column, row).trimmed().toInt(&ok);
    return ok ? value : 0;
}

int ScoreTable::addit(int column, int row)
{
    const int value = count(column, row) + 1;
    setCell(column, row, QString::number(value));
    return value;
}

QStringList ScoreTable::names() const
{
    QStringList list;
    for (int row = 1; row < rowCount(); ++row)
        list << m_rows.at(row).at(0);
    return list;
}

int ScoreTable::rowOf(const QString &name) const
{
    for (int row = 1; row < rowCount(); ++row) {
        if (m_rows.at(row).at(0).compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

int ScoreTable::addRow(const QString &name)
{
    QStringList row = zeroRow();
    row[0] = name;
    m_rows << row;
    return rowCount() - 1;
}

void ScoreTable::moverow(int row)
{
    if (row >= 1 && row < rowCount())
        m_rows.removeAt(row);
}

void ScoreTable::addgame(const QString &winner, const QStringList &currentGame)
{
    addit(1, 0);
    if (winner == AddToMine)
        addit(2, 0);
    addOpponents(winner, currentGame);
}

void ScoreTable::addOpponents(const QString &winner, const QStringList &currentGame)
{
    const bool mine = winner == AddToMine;
    for (const QString &name : currentGame) {
        const int row = rowOf(name);
        if (row < 0)
            continue;
        for (int c = 1; c < Columns; ++c) {
            if (cell(c, row).isEmpty())
                setCell(c, row, Zero);
        }
        addit(1, row);
        addit(5, row);
        if (cell(0, row) == winner) {
            addit(2, row);
            addit(6, row);
        } else if (mine) {
            addit(3, row);
            addit(7, row);
        } else {
            addit(4, row);
            addit(8, row);
        }
    }
}

void ScoreTable::resetSession()
{
    for (int row = 1; row < rowCount(); ++row) {
        for (int c = 5; c < Columns; ++c)
            m_rows[row][c] = Zero;
    }
}

void ScoreTable::reset()
{
    QStringList own;
    for (int c = 0; c < Columns; ++c)
        own << QString();
    m_rows = {own};
}

QByteArray ScoreTable::toText() const
{
    QByteArray text;
    text += QByteArray::number(Columns) + "\r\n";
    text += QByteArray::number(rowCount()) + "\r\n";
    for (int c = 0; c < Columns; ++c) {
        for (const QStringList &row : m_rows) {
            QByteArray line = toAnsi(row.at(c));
            // A line break inside a name would shift every later cell.
            line.replace('\r', ' ').replace('\n', ' ');
            text += line + "\r\n";
        }
    }
    return text;
}

std::optional<ScoreTable> ScoreTable::fromText(const QByteArray &text)
{
    QList<QByteArray> lines = text.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    if (lines.size() < 2)
        return std::nullopt;
    bool columnsOk = false;
    bool rowsOk = false;
    const int columns = lines.at(0).trimmed().toInt(&columnsOk);
    const qsizetype rows = lines.at(1).trimmed().toInt(&rowsOk);
    // The row count is checked against the lines at hand before anything is
    // sized by it.
    if (!columnsOk || !rowsOk || columns != Columns || rows < 1
        || rows > (lines.size() - 2) / Columns)
        return std::nullopt;

    ScoreTable table;
    table.m_rows.clear();
    table.m_rows.reserve(rows);
    for (qsizetype r = 0; r < rows; ++r) {
        QStringList row;
        for (int c = 0; c < Columns; ++c)
            row << fromStoredText(lines.at(2 + c * rows + r));
        table.m_rows << row;
    }
    return table;
}

} // namespace glyphon::tally
