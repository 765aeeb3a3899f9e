// Copies running at once each get a window place of their own.

#include "settings/placeclaim.h"

#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

using glyphon::PlaceClaim;

class TstPlaceClaim : public QObject
{
    Q_OBJECT
private slots:
    void copiesStandAside();
};

void TstPlaceClaim::copiesStandAside()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath(QStringLiteral("marnetlobby.ini"));
    auto first = std::make_unique<PlaceClaim>(settings);
    PlaceClaim second(settings);
    PlaceClaim third(settings);
    QCOMPARE(first->offset(), QPoint(0, 0));
    QCOMPARE(second.offset(), QPoint(PlaceClaim::Step, PlaceClaim::Step));
    QCOMPARE(third.index(), 2);
    // The first copy ends: the next one takes the saved place itself.
    first.reset();
    QCOMPARE(PlaceClaim(settings).index(), 0);
    // Another settings file is another place.
    QCOMPARE(PlaceClaim(dir.filePath(QStringLiteral("other.ini"))).index(), 0);
    // A crowd shares the last step rather than walking off the screen.
    std::vector<std::unique_ptr<PlaceClaim>> crowd;
    for (int n = 0; n < PlaceClaim::MaxCopies + 2; ++n)
        crowd.push_back(std::make_unique<PlaceClaim>(settings));
    QCOMPARE(crowd.back()->index(), PlaceClaim::MaxCopies - 1);
}

QTEST_GUILESS_MAIN(TstPlaceClaim)
#include "tst_placeclaim.moc"
