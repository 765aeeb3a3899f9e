#pragma once
// TDictn: is this string an English word? The word list is a file of 15-byte
// records (a length byte, then the word in capitals padded with blanks), kept
// on disk and searched there by binary search, one positioned read per
// probe; no copy of the list is held in memory. When the file is missing, the built-in list (resource
// TEXT_DEMO) is written out first, and that copy is deleted again when the
// dictionary goes.

#include <QObject>
#include <QString>
#include <functional>
#include <stdexcept>

class TDictn : public QObject
{
    Q_OBJECT
public:
    static constexpr int RecordSize = 15;
    static constexpr int KeyWidth = 15;

    // Told when the word file cannot be opened: a message box in the window;
    // empty, standard error (the headless host).
    using MissingListHandler = std::function<void(const QString &)>;

    // Opens fileName, relative to the working directory; when it is missing,
    // writes out the built-in list at builtInPath (a resource or a file;
    // empty: there is none). Throws EInOutError when the built-in list can be
    // written neither there nor in a private temporary folder.
    explicit TDictn(QObject *owner = nullptr, const QString &fileName = QStringLiteral("English"),
                    const QString &builtInPath = QStringLiteral(":/TEXT_DEMO"),
                    MissingListHandler onMissingList = {});
    ~TDictn() override;

    // False also when the file has been cut short since it was opened;
    // throws EInOutError when the file cannot be read.
    bool CheckWord(const QString &word);

    bool isOpen() const { return m_open; }
    // Where the word file actually is: the working directory, or a private
    // temporary folder when the working directory cannot be written.
    QString filePath() const { return m_path; }
    bool wroteFile() const { return m_wrote; }
    qint64 recordCount() const { return m_lastIndex + 1; }
    // Records read from the file since creation: one per probe of the search.
    qint64 readCount() const { return m_reads; }

private:
    void OpenWordList();
    const char *readRecord(qint64 index);
    bool search(const char *key, qsizetype keySize);

    QString m_fileName;
    QString m_builtInPath;
    QString m_path;
    QString m_tempDir;
    MissingListHandler m_onMissingList;
    int m_fd = -1;
    char m_record[RecordSize + 1] = {}; // one record, and a 0 that stays
    bool m_open = false;
    bool m_wrote = false;
    qint64 m_lastIndex = -1;
    qint64 m_reads = 0;
};

// Raised when the built-in list cannot be written out.
class EInOutError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};
