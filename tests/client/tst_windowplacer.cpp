// Where a loaded window comes, and what closing it saves: nothing when it
// stayed where it was loaded, the corrected place when the loaded one had to
// be brought onto the screen.

#include "client/windowplacer.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

using glyphon::WindowPlacement;

class TestWindowPlacer : public QObject
{
    Q_OBJECT

private slots:
    void placeAndSave_data();
    void placeAndSave();
    void roomForATitleBarBeforeFraming();
};

void TestWindowPlacer::placeAndSave_data()
{
    QTest::addColumn<QPoint>("loaded"); // the saved corner; the size is 300 x 200
    QTest::addColumn<QPoint>("movedBy"); // the user's move before closing
    QTest::addColumn<bool>("saves");
    QTest::newRow("untouched") << QPoint(10, 10) << QPoint() << false;
    QTest::newRow("moved") << QPoint(10, 10) << QPoint(20, 5) << true;
    QTest::newRow("brought back onto the screen") << QPoint(30000, 20000) << QPoint() << true;
}

void TestWindowPlacer::placeAndSave()
{
    QFETCH(QPoint, loaded);
    QFETCH(QPoint, movedBy);
    QFETCH(bool, saves);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    glyphon::WindowPlacer placer(&window);
    placer.apply({loaded.x(), loaded.y(), 300, 200});
    QVERIFY(screen.contains(window.frameGeometry()));
    window.move(window.pos() + movedBy);
    placer.moved();
    const std::optional<WindowPlacement> saved = placer.toSaveOnClose();
    QCOMPARE(saved.has_value(), saves);
    if (saves)
        QCOMPARE(*saved, placer.current()); // where it is now, never the place it was loaded at
}

void TestWindowPlacer::roomForATitleBarBeforeFraming()
{
    // A window as tall as the screen (the default on 960 x 540 logical
    // pixels) would have its title bar above the screen once framed.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    glyphon::WindowPlacer(&window).apply({0, 0, 300, screen.height()});
    QVERIFY(window.height() <= screen.height() - 20);
}

QTEST_MAIN(TestWindowPlacer)
#include "tst_windowplacer.moc"
