// The sounds built into the program: every name the window plays exists as
// a small uncompressed mono wave the sound effect can play.

#include "chat/phraserow.h"
#include "client/sounds.h"

#include <QFile>
#include <QTest>
#include <QtEndian>

class TestSounds : public QObject
{
    Q_OBJECT

private slots:
    void namedSoundsArePlayableWaves_data();
    void namedSoundsArePlayableWaves();
    void allTogetherStaySmall();
    void namesFromTheNetworkStayInTheFolder();
};

namespace {
QStringList allNames()
{
    QStringList names{"entered", "turn", "turnnew", "tick", "timeup", "goodword", "badword", "roundover",
                      "gameover", "clear"};
    for (int n = 1; n <= glyphon::PhraseRow::SoundCount; ++n)
        names << QStringLiteral("wave%1").arg(n);
    return names;
}
} // namespace

void TestSounds::namedSoundsArePlayableWaves_data()
{
    QTest::addColumn<QString>("name");
    for (const QString &name : allNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestSounds::namedSoundsArePlayableWaves()
{
    QFETCH(QString, name);
    QFile file(glyphon::SoundPlayer::resourcePath(name.toUpper())); // names match in any case
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
    const QByteArray head = file.read(44);
    QCOMPARE(head.size(), 44);
    QCOMPARE(head.left(4), QByteArray("RIFF"));
    QCOMPARE(head.mid(8, 8), QByteArray("WAVEfmt "));
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(head.constData() + at); };
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head.constData() + at); };
    QCOMPARE(u16(20), quint16(1)); // PCM
    QCOMPARE(u16(22), quint16(1)); // mono
    QVERIFY(u32(24) >= 8000 && u32(24) <= 22050);
    QVERIFY(u16(34) == 8 || u16(34) == 16);
    QVERIFY(file.size() > 44 + 100); // some sound at all
}

void TestSounds::allTogetherStaySmall()
{
    qint64 total = 0;
    for (const QString &name : allNames())
        total += QFile(glyphon::SoundPlayer::resourcePath(name)).size();
    QVERIFY2(total < 2 * 1024 * 1024, qPrintable(QString::number(total)));
}

void TestSounds::namesFromTheNetworkStayInTheFolder()
{
    for (const char *name : {"../icons/glyphon-48", "", "turn/../turn", "w\u00e4ve"})
        QVERIFY2(glyphon::SoundPlayer::resourcePath(QString::fromUtf8(name)).isEmpty(), name);
}

QTEST_GUILESS_MAIN(TestSounds)
#include "tst_sounds.moc"
