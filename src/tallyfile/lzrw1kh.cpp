#include "tallyfile/lzrw1kh.h"

#include <array>
#include <cstring>

namespace glyphon::tally {

namespace {

constexpr uint8_t FlagCompressed = 64;
constexpr uint8_t FlagStored = 128;
constexpr int HashSize = 4096;
constexpr int MaxRun = 4095;
constexpr int MinRun = 16;
constexpr int MaxMatch = 18;
constexpr int MinMatch = 3;
constexpr int MaxOffset = 4095;

int hashAt(const uint8_t *p)
{
    // Only bits 4 to 15 of the product are kept, so the width of the
    // arithmetic does not change the result.
    const uint32_t mixed = ((uint32_t(p[0]) << 4 ^ p[1]) << 4) ^ p[2];
    return int(((mixed * 40543u) >> 4) & (HashSize - 1));
}

} // namespace

QByteArray compressBlock(const char *piece, int size)
{
    const auto *src = reinterpret_cast<const uint8_t *>(piece);
    std::array<int, HashSize> table;
    table.fill(-1);

    // Room for the worst case before the size check gives up: the piece, a
    // last item and a control word.
    QByteArray out(size + 8, Qt::Uninitialized);
    auto *dst = reinterpret_cast<uint8_t *>(out.data());
    dst[0] = FlagCompressed;
    int slot = 1;
    int outPos = 3;
    uint16_t control = 0;
    int items = 0;
    int p = 0;

    while (p < size && outPos <= size) {
        if (items == 16) {
            dst[slot] = uint8_t(control >> 8);
            dst[slot + 1] = uint8_t(control);
            slot = outPos;
            outPos += 2;
            control = 0;
            items = 0;
        }
        int run = 1;
        while (p + run < size && run < MaxRun && src[p + run] == src[p])
            ++run;
        if (run >= MinRun) {
            const int count = run - MinRun;
            dst[outPos++] = 0;
            dst[outPos++] = uint8_t(count >> 8);
            dst[outPos++] = uint8_t(count);
            dst[outPos++] = src[p];
            control = uint16_t(control << 1 | 1);
            ++items;
            p += run;
            continue;
        }
        int match = 0;
        int offset = 0;
        if (size - p >= MinMatch) {
            const int h = hashAt(src + p);
            const int q = table[h];
            if (q >= 0 && p - q <= MaxOffset) {
                const int limit = std::min(MaxMatch, size - p);
                while (match < limit && src[q + match] == src[p + match])
                    ++match;
                offset = p - q;
            }
            table[h] = p;
        }
        if (match >= MinMatch) {
            dst[outPos++] = uint8_t(offset >> 4);
            dst[outPos++] = uint8_t((offset & 15) << 4 | (match - MinMatch));
            control = uint16_t(control << 1 | 1);
            p += match;
        } else {
            dst[outPos++] = src[p];
            control = uint16_t(control << 1);
            ++p;
        }
        ++items;
    }

    if (outPos > size) {
        QByteArray stored(size + 1, Qt::Uninitialized);
        stored[0] = char(FlagStored);
        if (size > 0)
            std::memcpy(stored.data() + 1, piece, size_t(size));
        return stored;
    }
    control = uint16_t(control << (16 - items));
    dst[slot] = uint8_t(control >> 8);
    dst[slot + 1] = uint8_t(control);
    out.truncate(outPos);
    return out;
}

bool expandBlock(const uint8_t *block, size_t size, QByteArray &out)
{
    if (size == 0)
        return false;
    if (block[0] == FlagStored) {
        if (size - 1 > size_t(PieceSize))
            return false;
        out.append(reinterpret_cast<const char *>(block + 1), qsizetype(size - 1));
        return true;
    }
    if (block[0] != FlagCompressed || size < 3)
        return false;

    // Copies refer only to this block's own output, which never passes one
    // piece: room for a piece is made once and cut back at the end.
    const qsizetype start = out.size();
    out.resize(start + PieceSize);
    auto *dst = reinterpret_cast<uint8_t *>(out.data()) + start;
    int produced = 0;
    auto finish = [&](bool ok) {
        out.resize(start + produced);
        return ok;
    };
    size_t pos = 1;
    uint16_t control = 0;
    int bits = 0;
    while (pos < size) {
        if (bits == 0) {
            if (size - pos < 2)
                return finish(false);
            control = uint16_t(block[pos] << 8 | block[pos + 1]);
            pos += 2;
            bits = 16;
            if (pos == size)
                break; // a control word with no items after it
        }
        if (!(control & 0x8000)) {
            if (produced >= PieceSize)
                return finish(false);
            dst[produced++] = block[pos++];
        } else {
            if (size - pos < 2)
                return finish(false);
            const int b0 = block[pos];
            const int b1 = block[pos + 1];
            const int offset = b0 * 16 + (b1 >> 4);
            if (offset == 0) {
                if (size - pos < 4)
                    return finish(false);
                const int count = (b1 << 8 | block[pos + 2]) + MinRun;
                if (produced + count > PieceSize)
                    return finish(false);
                std::memset(dst + produced, block[pos + 3], size_t(count));
                produced += count;
                pos += 4;
            } else {
                const int length = (b1 & 15) + MinMatch;
                if (offset > produced || produced + length > PieceSize)
                    return finish(false);
                // Byte by byte: the source may overlap what is being written.
                for (int i = 0; i < length; ++i, ++produced)
                    dst[produced] = dst[produced - offset];
                pos += 2;
            }
        }
        control = uint16_t(control << 1);
        --bits;
    }
    return finish(true);
}

QByteArray compressContainer(const QByteArray &data)
{
    QByteArray file("WRZL");
    const quint32 length = quint32(data.size());
    for (int i = 0; i < 4; ++i)
        file.append(char(length >> (8 * i)));
    qsizetype pos = 0;
    // The last piece is always shorter than a full one, even when empty.
    for (;;) {
        const int piece = int(std::min<qsizetype>(PieceSize, data.size() - pos));
        const QByteArray block = compressBlock(data.constData() + pos, piece);
        file.append(char(block.size() & 0xff));
        file.append(char(block.size() >> 8));
        file.append(block);
        pos += piece;
        if (piece < PieceSize)
            break;
    }
    return file;
}

Expansion expandContainer(const uint8_t *file, size_t size)
{
    Expansion result;
    if (size >= 4 && std::memcmp(file, "!HZL", 4) == 0) {
        result.status = Expansion::LzhMethod;
        return result;
    }
    if (size < 8 || std::memcmp(file, "WRZL", 4) != 0) {
        result.status = Expansion::NoValidHeader;
        return result;
    }
    const quint32 length = quint32(file[4]) | quint32(file[5]) << 8 | quint32(file[6]) << 16
        | quint32(file[7]) << 24;
    if (length > MaxUncompressed) {
        result.status = Expansion::NoValidHeader;
        return result;
    }
    size_t pos = 8;
    for (;;) {
        if (size - pos < 2) {
            result.status = Expansion::SizesDoNotMatch;
            break;
        }
        const size_t n = size_t(file[pos]) | size_t(file[pos + 1]) << 8;
        pos += 2;
        if (n > size - pos) {
            result.status = Expansion::SizesDoNotMatch;
            break;
        }
        const qsizetype before = result.data.size();
        if (!expandBlock(file + pos, n, result.data) || quint32(result.data.size()) > length) {
            result.status = Expansion::SizesDoNotMatch;
            break;
        }
        pos += n;
        if (result.data.size() - before < PieceSize)
            break;
    }
    if (result.status == Expansion::Ok && quint32(result.data.size()) != length)
        result.status = Expansion::SizesDoNotMatch;
    if (result.status != Expansion::Ok)
        result.data.clear();
    return result;
}

QString expansionErrorText(Expansion::Status status, const QString &path)
{
    switch (status) {
    case Expansion::Ok:
        return {};
    case Expansion::NoValidHeader:
        return path + QStringLiteral(" : Lzrw1 decompression : this file has no valid header !");
    case Expansion::SizesDoNotMatch:
        return QStringLiteral("Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");
    case Expansion::LzhMethod:
        return path + QStringLiteral(" : LZH decompression : this program cannot read this method !");
    }
    return {};
}

} // namespace glyphon::tally
