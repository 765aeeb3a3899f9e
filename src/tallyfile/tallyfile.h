#pragma once
// The tally file: the score table's text inside a "WRZL" container. Reading
// trusts nothing in the file; writing never leaves a half-written tally in
// place of the old one.

#include "tallyfile/lzrw1kh.h"
#include "tallyfile/scoretable.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace glyphon::tally {

inline constexpr const char *TallyFileName = "Glyphontally.tld";

struct TallyRead
{
    std::optional<ScoreTable> table; // set when the file read cleanly
    QString error;                   // the text for the error box otherwise
};

// File bytes to a table or an error text naming path. Pure, so a fuzzer can
// call it with any bytes.
TallyRead readTallyBytes(const uint8_t *data, size_t size, const QString &path = {});

QByteArray tallyBytes(const ScoreTable &table);

class TallyFile
{
public:
    explicit TallyFile(QString path);

    const QString &path() const { return m_path; }

    // Missing file: a fresh table. Damaged file: moved aside (see
    // damagedPath()) so the user's record survives, and an error text.
    TallyRead load();

    // Writes the complete new file beside the old one and renames it over
    // it. interruptAfter >= 0 stops after that many bytes as a crash would
    // (for tests).
    bool save(const ScoreTable &table, qint64 interruptAfter = -1);

    // Where load() put the damaged file, empty when none.
    const QString &damagedPath() const { return m_damagedPath; }

private:
    void moveAside();

    QString m_path;
    QString m_damagedPath;
};

} // namespace glyphon::tally
