#include "protocol/codepage.h"

#include <QList>
#include <QStringDecoder>

namespace glyphon {

namespace {

// Windows-1252 at 0x80-0x9F; the unassigned five keep their own number.
constexpr char16_t High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

// The byte of a character, or -1 when the code page lacks it.
int byteOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i) {
        if (High[i] == c)
            return 0x80 + i;
    }
    return -1;
}

} // namespace

QString fromAnsi(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char b : bytes) {
        const auto u = uchar(b);
        *out++ = QChar(u >= 0x80 && u < 0xA0 ? High[u - 0x80] : char16_t(u));
    }
    return text;
}

QByteArray toAnsi(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (const char32_t c : text.toUcs4()) {
        const int b = byteOf(c);
        bytes += b < 0 ? '?' : char(b);
    }
    return bytes;
}

QString fromStoredText(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return fromAnsi(bytes);
    for (const char32_t c : text.toUcs4()) {
        if (byteOf(c) < 0)
            return fromAnsi(bytes); // kept byte for byte: nothing is lost
    }
    return text;
}

} // namespace glyphon
