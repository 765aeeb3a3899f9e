// Framing and field reading: bytes arrive in pieces of any size; whatever is
// cut out must put the stream back together, and no field reading may step
// outside its message.

#include "fuzz_support.h"

#include "protocol/wire.h"

using namespace glyphon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    // A small cap too, so that the overflow path is reached.
    const qsizetype cap = (in.byte() & 1) ? 48 : FrameBuffer::DefaultMaxPending;
    FrameBuffer frames(cap);
    QByteArray fed;
    QList<QByteArray> messages;
    bool overflowed = false;
    while (!in.atEnd() && !overflowed) {
        const QByteArray piece = in.bytes(96);
        fed += piece;
        overflowed = !frames.append(piece, messages);
        FUZZ_CHECK(frames.pending() <= cap);
    }

    QByteArray joined;
    for (const QByteArray &m : messages) {
        FUZZ_CHECK(!m.contains(Terminator));
        joined += m + Terminator;
    }
    FUZZ_CHECK(fed.startsWith(joined));
    if (!overflowed) {
        FUZZ_CHECK(joined.size() + frames.pending() == fed.size());
        FUZZ_CHECK(!fed.mid(joined.size()).contains(Terminator));
    }

    for (const QByteArray &m : messages) {
        const Command command = splitCommand(m);
        if (command.name.isEmpty()) {
            FUZZ_CHECK(!m.contains('+') || m.startsWith('+'));
            continue;
        }
        FUZZ_CHECK(command.name + '+' + command.data == m);

        // Fields read one by one give the data back, "+" between them.
        FieldReader reader(command.data);
        QList<QByteArray> fields;
        while (!reader.atEnd()) {
            const QByteArray f = reader.next();
            FUZZ_CHECK(!f.contains('+'));
            if (const std::optional<int> n = parseInt(f))
                FUZZ_CHECK(f.toInt() == *n);
            fields << f;
        }
        FUZZ_CHECK(reader.rest().isEmpty());
        const QByteArray rebuilt = fields.join('+');
        FUZZ_CHECK(rebuilt == command.data || rebuilt + '+' == command.data);

        // Mixed reading, as handlers do: numbers, then the rest.
        FieldReader mixed(command.data);
        mixed.nextInt();
        mixed.next();
        FUZZ_CHECK(command.data.endsWith(mixed.rest()));

        // A login name is one field of a message that frames as one, and
        // only its "+" and its length change.
        const QByteArray safe = loginName(m);
        FUZZ_CHECK(!safe.contains('+') && !safe.contains(Terminator) && safe.size() <= MaxNameLength);
        if (!m.contains('+'))
            FUZZ_CHECK(safe == m.left(MaxNameLength));
        // The windows' reading of any bytes gives the same bytes back.
        FUZZ_CHECK(toAnsi(fromWire(m)) == m && toWire(fromWire(m)) == m);
        const QByteArray built = buildMessage("CMD_x", {safe, command.data});
        FUZZ_CHECK(built.count(Terminator) == 1 && built.endsWith(Terminator));
    }
    return 0;
}
