#include "dictionary/tdictn.h"
#include "dictionary/dictionarylog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int MaxWordLength = 255;
constexpr int RecordTextWidth = TDictn::RecordSize - 1;

// The built-in list at path, up to its first 0 byte; null when there is none.
QByteArray builtInList(const QString &path)
{
    if (path.isEmpty())
        return {};
    QFile resource(path);
    if (!resource.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = resource.readAll();
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0)
        bytes.truncate(end);
    if (bytes.isNull())
        bytes = QByteArray(""); // an empty list is still a list
    return bytes;
}

// Written under a temporary name and renamed, so neither a failed write nor a
// second copy starting alongside ever sees half a word file.
bool writeWholeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return true;
    *error = file.errorString();
    return false;
}

// A folder only this user can enter (mkdtemp creates it with mode 0700).
QString makePrivateDir()
{
    // Qt answers "" for a TMPDIR that does not exist; that must not become "/".
    const QString base = QDir::tempPath();
    if (base.isEmpty())
        return {};
    QByteArray pattern = QFile::encodeName(base + QStringLiteral("/glyphon-words-XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return {};
    return QFile::decodeName(pattern);
}

void trimBlanks(QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    text = text.mid(begin, end - begin);
}

void upperAscii(QByteArray &text)
{
    for (char &c : text) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
}

// Unsigned byte order, a common prefix putting the shorter first.
int compareKeys(const char *a, qsizetype aSize, const char *b, qsizetype bSize)
{
    const int c = std::memcmp(a, b, size_t(std::min(aSize, bSize)));
    if (c != 0)
        return c;
    return aSize < bSize ? -1 : aSize > bSize ? 1 : 0;
}

// The word a record holds, as a key: byte 0 limits the text that follows it,
// 0 bytes count as blanks, and after trimming it is padded back to the key
// width (it can never be longer).
void recordWord(const char *record, char (&word)[TDictn::KeyWidth])
{
    const int length = std::min<int>(static_cast<unsigned char>(record[0]), RecordTextWidth);
    int begin = 0;
    int end = length;
    auto blank = [record](int i) { return record[1 + i] == ' ' || record[1 + i] == '\0'; };
    while (begin < end && blank(begin))
        ++begin;
    while (end > begin && blank(end - 1))
        --end;
    std::memset(word, ' ', sizeof word);
    for (int i = begin; i < end; ++i) {
        const char c = record[1 + i];
        word[i - begin] = c == '\0' ? ' ' : (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    }
}

// compareKeys of a record's word against the key, mostly without building
// the word: a record of 14 or more letters that starts with no blank reads
// as its own bytes padded with one blank, as long as the bytes compared
// are neither 0 nor lower case (the key holds neither).
int compareRecord(const char *record, const char *key, qsizetype keySize)
{
    const char first = record[1];
    if (static_cast<unsigned char>(record[0]) >= RecordTextWidth && first != ' ' && first != '\0') {
        int i = 0;
        while (i < RecordTextWidth && record[1 + i] == key[i])
            ++i;
        if (i == RecordTextWidth) {
            if (key[i] != ' ')
                return static_cast<unsigned char>(key[i]) > ' ' ? -1 : 1;
            return TDictn::KeyWidth < keySize ? -1 : TDictn::KeyWidth > keySize ? 1 : 0;
        }
        const char c = record[1 + i];
        if (c != '\0' && !(c >= 'a' && c <= 'z'))
            return static_cast<unsigned char>(c) < static_cast<unsigned char>(key[i]) ? -1 : 1;
    }
    char word[TDictn::KeyWidth];
    recordWord(record, word);
    return compareKeys(word, TDictn::KeyWidth, key, keySize);
}

} // namespace

TDictn::TDictn(QObject *owner, const QString &fileName, const QString &builtInPath, MissingListHandler onMissingList)
    : QObject(owner)
    , m_fileName(fileName)
    , m_builtInPath(builtInPath)
    , m_onMissingList(std::move(onMissingList))
{
    OpenWordList();
}

TDictn::~TDictn()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    // Only the copy this run wrote from the built-in list goes; a word file
    // that was there before belongs to the user.
    if (m_wrote)
        QFile::remove(m_path);
    if (!m_tempDir.isEmpty())
        QDir(m_tempDir).removeRecursively();
}

void TDictn::OpenWordList()
{
    // Fixed once, so a later change of working directory neither loses the
    // file nor deletes somebody else's. When the working directory is gone,
    // Qt would resolve against "/"; the bare name then fails as it should.
    const QString cwd = QDir::currentPath();
    m_path = (cwd.isEmpty() || QDir::isAbsolutePath(m_fileName)) ? m_fileName
                                                                : QDir::cleanPath(cwd + u'/' + m_fileName);

    if (!QFileInfo::exists(m_path)) {
        const QByteArray list = builtInList(m_builtInPath);
        if (!list.isNull()) {
            QString error;
            if (writeWholeFile(m_path, list, &error)) {
                m_wrote = true;
            } else {
                // A working directory we may not write to must not stop the
                // game: keep the list in a private folder for this run instead.
                const QString dir = makePrivateDir();
                const QString fallback = dir.isEmpty() ? QString() : QDir(dir).filePath(QFileInfo(m_fileName).fileName());
                QString fallbackError;
                if (dir.isEmpty() || !writeWholeFile(fallback, list, &fallbackError)) {
                    if (!dir.isEmpty())
                        QDir(dir).removeRecursively();
                    throw EInOutError(QStringLiteral("Cannot write the word file %1: %2")
                                          .arg(QDir::toNativeSeparators(m_path), error)
                                          .toStdString());
                }
                m_tempDir = dir;
                m_path = fallback;
                m_wrote = true;
            }
        }
    }

    // Read and write access, as the word file has always been opened: a file
    // we may only read counts as missing.
    m_open = true;
    m_fd = ::open(QFile::encodeName(m_path).constData(), O_RDWR | O_CLOEXEC);
    struct stat info;
    if (m_fd < 0 || ::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_open = false;
        const QString message = QStringLiteral("English.dic dictionary not found!");
        if (m_onMissingList)
            m_onMissingList(message);
        else
            qCWarning(glyphon::lcDictionary).noquote() << message;
        return;
    }
    const qint64 records = info.st_size / RecordSize;
    if (records == 0)
        return; // no words: every lookup is rejected without reading
    m_lastIndex = records - 1;
}

// One probe reads one record from the file, so a word file cut short by
// another program while we run only shortens the search.
const char *TDictn::readRecord(qint64 index)
{
    ++m_reads;
    const off_t offset = off_t(index) * RecordSize;
    ssize_t got;
    do {
        got = ::pread(m_fd, m_record, RecordSize, offset);
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        throw EInOutError(QStringLiteral("Cannot read the word file %1: %2")
                              .arg(QDir::toNativeSeparators(m_path), QString::fromLocal8Bit(std::strerror(errno)))
                              .toStdString());
    return got == RecordSize ? m_record : nullptr;
}

bool TDictn::CheckWord(const QString &word)
{
    if (!m_open)
        return false;

    // Keys longer than a record can match none, so the usual short word is
    // built on the stack without touching the heap.
    const QStringView cut = QStringView(word).left(MaxWordLength);
    char shortKey[KeyWidth];
    QByteArray longKey;
    const char *key = shortKey;
    qsizetype keySize = 0;
    bool ascii = cut.size() <= KeyWidth + 2;
    for (qsizetype i = 0; ascii && i < cut.size(); ++i)
        ascii = cut[i].unicode() < 0x80;
    if (ascii) {
        qsizetype begin = 0;
        qsizetype end = cut.size();
        auto blank = [&cut](qsizetype i) { return cut[i].unicode() == ' ' || cut[i].unicode() == 0; };
        while (begin < end && blank(begin))
            ++begin;
        while (end > begin && blank(end - 1))
            --end;
        keySize = end - begin;
        if (keySize > KeyWidth) {
            ascii = false;
        } else {
            for (qsizetype i = 0; i < keySize; ++i) {
                const char c = char(cut[begin + i].unicode());
                shortKey[i] = c == '\0' ? ' ' : (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
            }
        }
    }
    if (!ascii) {
        longKey = cut.toUtf8();
        longKey.replace('\0', ' ');
        trimBlanks(longKey);
        upperAscii(longKey);
        keySize = longKey.size();
        key = longKey.constData();
    }
    if (keySize == 0)
        return false;
    // Padded but never cut: a key past 15 can then match no record, so words
    // longer than a record are never taken for their first 14 letters.
    if (keySize < KeyWidth) {
        if (key != shortKey) {
            std::memcpy(shortKey, key, size_t(keySize));
            key = shortKey;
        }
        std::memset(shortKey + keySize, ' ', size_t(KeyWidth - keySize));
        keySize = KeyWidth;
    }

    return search(key, keySize);
}

bool TDictn::search(const char *key, qsizetype keySize)
{
    qint64 lo = 0;
    qint64 hi = m_lastIndex;
    while (lo <= hi) {
        const qint64 mid = (lo + hi) / 2;
        const char *record = readRecord(mid);
        if (!record)
            return false; // no whole record: the file has been cut short
        const int order = compareRecord(record, key, keySize);
        if (order == 0)
            return true;
        if (order < 0)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    return false;
}
