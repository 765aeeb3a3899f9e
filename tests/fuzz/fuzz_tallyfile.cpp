// The tally file is a file any user or older copy can hand over: any bytes
// give either a table or an error text, never a read or write outside the
// input; any bytes go through the coder and come back unchanged; a table that
// reads writes a file that reads back to the same table.

#include "fuzz_support.h"

#include "tallyfile/tallyfile.h"

using namespace glyphon::tally;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TallyRead read = readTallyBytes(data, size, QStringLiteral("fuzz.tld"));
    FUZZ_CHECK(read.table.has_value() == read.error.isEmpty());
    if (read.table) {
        const QByteArray text = read.table->toText();
        const QByteArray file = tallyBytes(*read.table);
        const TallyRead back = readTallyBytes(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()));
        FUZZ_CHECK(back.table.has_value());
        FUZZ_CHECK(back.table->toText() == text);
    }

    const QByteArray raw(reinterpret_cast<const char *>(data), qsizetype(size));
    const QByteArray packed = compressContainer(raw);
    const Expansion unpacked = expandContainer(reinterpret_cast<const uint8_t *>(packed.constData()), size_t(packed.size()));
    FUZZ_CHECK(unpacked.status == Expansion::Ok);
    FUZZ_CHECK(unpacked.data == raw);
    return 0;
}
