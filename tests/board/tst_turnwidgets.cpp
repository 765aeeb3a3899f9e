#include "artwork/tilepainter.h"
#include "board/tilewidget.h"
#include "board/turnwidgets.h"

#include <QSignalSpy>
#include <QTest>

using glyphon::BoardTile;
using glyphon::TilePainter;

// The small drawn controls of the board: tiles, the time bar, the turn
// markers and the picture buttons.
class tst_TurnWidgets : public QObject
{
    Q_OBJECT

private slots:
    void tileWidget()
    {
        TileWidget first(11);
        TileWidget last(66);
        QCOMPARE(first.hint(), QStringLiteral("11"));
        QCOMPARE(last.hint(), QStringLiteral("66"));
        QCOMPARE(last.position(), 66);
        QCOMPARE(last.objectName(), QStringLiteral("image_word66"));
        QCOMPARE(first.size(), QSize(44, 44));

        QVERIFY(!first.isChosen());
        first.showChosen();
        QVERIFY(first.isChosen() && first.isGap());
        first.showGap();
        QVERIFY(!first.isChosen());

        QSignalSpy spy(&first, &TileWidget::mouseUp);
        QTest::mouseClick(&first, Qt::LeftButton);
        QTest::mouseClick(&first, Qt::RightButton);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).value<TileWidget *>(), &first);
        QCOMPARE(spy.at(0).at(1).value<Qt::MouseButton>(), Qt::LeftButton);
        QCOMPARE(spy.at(1).at(1).value<Qt::MouseButton>(), Qt::RightButton);
    }

    void tileWidgetPicture()
    {
        QWidget board;
        board.setAutoFillBackground(true);
        QPalette palette = board.palette();
        palette.setColor(QPalette::Window, QColor(255, 0, 255));
        board.setPalette(palette);
        board.resize(60, 60);
        TileWidget *tile = new TileWidget(34, &board);
        tile->move(8, 8);
        board.show();
        QVERIFY(QTest::qWaitForWindowExposed(&board));

        const BoardTile record{3, 12, 1, 2};
        tile->showTile(record, 2);
        QVERIFY(!tile->isGap());
        const qreal dpr = tile->devicePixelRatioF();
        // Whatever the screen's ratio, the widget shows the picture made for it.
        const QImage shown = tile->grab().toImage();
        const QImage expected = TilePainter::drawtile(record, 2, dpr).toImage();
        const QPoint centre = QPoint(22, 22) * dpr;
        QCOMPARE(shown.pixel(centre), expected.pixel(centre));
        QCOMPARE(shown.size(), expected.size());

        tile->showGap();
        QVERIFY(tile->isGap());
        QVERIFY(tile->picture(dpr).isNull());
        // The board shows through a gap.
        QCOMPARE(QColor(tile->grab().toImage().pixel(centre)), QColor(255, 0, 0xff));
        tile->showTile(record, 2);
        QCOMPARE(tile->grab().toImage().pixel(centre), expected.pixel(centre));
    }

    void timeBar()
    {
        TimeBar bar;
        QCOMPARE(bar.size(), QSize(369, 19));
        QCOMPARE(bar.barWidth(), 369);
        bar.setBarWidth(-5);
        QCOMPARE(bar.barWidth(), 0);
        bar.setBarWidth(1000);
        QCOMPARE(bar.barWidth(), 369);

        // It shrinks from the right: the left end stays filled.
        bar.setBarWidth(360);
        const QImage full = bar.grab().toImage();
        bar.setBarWidth(100);
        const QImage part = bar.grab().toImage();
        const qreal dpr = bar.devicePixelRatioF();
        const int mid = int(9 * dpr);
        QCOMPARE(part.pixel(int(50 * dpr), mid), full.pixel(int(50 * dpr), mid));
        QVERIFY(part.pixel(int(200 * dpr), mid) != full.pixel(int(200 * dpr), mid));
    }

    void turnMarkerFollowsSlot()
    {
        TurnMarker marker;
        marker.resize(60, 24);
        marker.setSlot(1);
        const QImage own = marker.grab().toImage();
        marker.setSlot(2);
        const QImage other = marker.grab().toImage();
        const QPoint at = QPoint(30, 12) * marker.devicePixelRatioF();
        QVERIFY(qGray(own.pixel(at)) > qGray(other.pixel(at)));
    }

    void pictureButton()
    {
        PictureButton button(QStringLiteral("SUBMIT"));
        QCOMPARE(button.text(), QStringLiteral("SUBMIT"));
        QCOMPARE(button.size(), QSize(158, 34));
        QCOMPARE(button.cursor().shape(), Qt::PointingHandCursor);
        QSignalSpy clicked(&button, &QAbstractButton::clicked);
        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(clicked.size(), 1);

        // The caption is drawn: another caption gives another picture.
        PictureButton clear(QStringLiteral("CLEAR"));
        QVERIFY(clear.grab().toImage() != button.grab().toImage());
    }
};

QTEST_MAIN(tst_TurnWidgets)
#include "tst_turnwidgets.moc"
