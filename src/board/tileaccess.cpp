#include "board/tileaccess.h"

#include "board/tilewidget.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QStringList>

namespace glyphon {

QString tileAccessibleName(int position, const BoardTile &tile, const QString &holder, bool chosen, bool lastMove)
{
    const QString where = QStringLiteral("Row %1, column %2").arg(position / 10).arg(position % 10);
    if (tile.letter < 1 || tile.letter > 26)
        return where + QStringLiteral(": empty");
    QStringList parts{QString(QChar(u'A' + tile.letter - 1))};
    // Worth as the server scores it: a bonus value, else one point.
    parts << (tile.value >= 2 && tile.value <= 4 ? QStringLiteral("bonus %1 points").arg(tile.value)
                                                 : QStringLiteral("1 point"));
    parts << holder;
    if (tile.locked)
        parts << QStringLiteral("locked");
    if (chosen)
        parts << QStringLiteral("chosen for your word");
    if (lastMove)
        parts << QStringLiteral("part of the last move");
    return where + QStringLiteral(": ") + parts.join(QStringLiteral(", "));
}

namespace {

QAccessibleInterface *tileFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TileWidget") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Button);
    return nullptr;
}

} // namespace

void installTileAccessibility()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(tileFactory);
}

} // namespace glyphon
