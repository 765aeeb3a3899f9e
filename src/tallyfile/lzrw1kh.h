#pragma once
// The LZRW1/KH block coder and the container around it. Tally files written
// by older copies of the program must read here and ours must read there, so
// every choice of the compressor (hash, run limit, control word order) is
// fixed and the output is compared byte for byte in the tests.
//
// Container, little-endian:
//   "WRZL" | uint32 uncompressed length | blocks: uint16 n, n bytes of data
// Each block codes one 32768-byte piece; the last piece is shorter (empty
// when the length is a multiple of 32768, coded as the single byte 128).
// Block data: 128 then the piece unchanged (stored), or 64 then items in
// groups of up to 16, each group led by a big-endian control word whose bits,
// from the top, say literal (0) or copy (1). Copy: b0 b1, offset
// b0*16 + b1>>4, length (b1&15)+3; offset 0 is a run: 0 c1 c2 v writes v
// c1*256+c2+16 times.

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace glyphon::tally {

inline constexpr int PieceSize = 32768;
// Nothing the program writes comes near this; a header claiming more is
// treated as damaged rather than trusted with an allocation.
inline constexpr quint32 MaxUncompressed = 64u * 1024u * 1024u;

// Codes one piece of at most PieceSize bytes into block data.
QByteArray compressBlock(const char *piece, int size);

// Appends the expansion of one block to out. False when the block is not a
// valid block or expands to more than PieceSize bytes; out may then hold a
// partial expansion.
bool expandBlock(const uint8_t *block, size_t size, QByteArray &out);

// A whole "WRZL" container for data.
QByteArray compressContainer(const QByteArray &data);

struct Expansion
{
    enum Status { Ok, NoValidHeader, SizesDoNotMatch, LzhMethod };
    Status status = Ok;
    QByteArray data;
};

// Reads a container; never trusts a length it has not checked against the
// bytes at hand.
Expansion expandContainer(const uint8_t *file, size_t size);

// The error text for a failed expansion of the file at path.
QString expansionErrorText(Expansion::Status status, const QString &path);

} // namespace glyphon::tally
