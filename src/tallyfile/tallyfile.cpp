#include "tallyfile/tallyfile.h"

#include <QFile>
#include <QSaveFile>

namespace glyphon::tally {

namespace {
// A container of the largest accepted length: every block stored, plus the
// header and the final block.
constexpr qint64 MaxFileSize = qint64(MaxUncompressed) / PieceSize * (PieceSize + 3) + 8 + PieceSize + 3;
} // namespace

TallyRead readTallyBytes(const uint8_t *data, size_t size, const QString &path)
{
    TallyRead result;
    const Expansion expanded = expandContainer(data, size);
    if (expanded.status != Expansion::Ok) {
        result.error = expansionErrorText(expanded.status, path);
        return result;
    }
    result.table = ScoreTable::fromText(expanded.data);
    if (!result.table)
        result.error = path + QStringLiteral(" : the tally table in this file is damaged !");
    return result;
}

QByteArray tallyBytes(const ScoreTable &table)
{
    return compressContainer(table.toText());
}

TallyFile::TallyFile(QString path)
    : m_path(std::move(path))
{
}

TallyRead TallyFile::load()
{
    QFile file(m_path);
    if (!file.exists())
        return TallyRead{ScoreTable(), {}};
    TallyRead result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = m_path + QStringLiteral(" : ") + file.errorString();
    } else if (file.size() > MaxFileSize) {
        file.close();
        result.error = expansionErrorText(Expansion::NoValidHeader, m_path);
    } else {
        const QByteArray bytes = file.readAll();
        file.close();
        result = readTallyBytes(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()), m_path);
    }
    if (!result.table)
        moveAside();
    return result;
}

void TallyFile::moveAside()
{
    const QString base = m_path + QStringLiteral(".damaged");
    // Never over an earlier damaged copy: each may be the only record.
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? base : base + QLatin1Char('.') + QString::number(n);
        if (QFile::exists(candidate))
            continue;
        if (QFile::rename(m_path, candidate))
            m_damagedPath = candidate;
        return;
    }
}

bool TallyFile::save(const ScoreTable &table, qint64 interruptAfter)
{
    const QByteArray bytes = tallyBytes(table);
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (interruptAfter >= 0) {
        file.write(bytes.left(interruptAfter));
        return false; // the unfinished copy is dropped, the old file stays
    }
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}

} // namespace glyphon::tally
