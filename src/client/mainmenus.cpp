#include "client/mainmenus.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

namespace glyphon {

MainMenus::MainMenus(QMenuBar *bar, QMenu *tiles)
{
    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    StartGame1 = file->addAction(QStringLiteral("Start Game"));
    StartGame1->setEnabled(false);
    PlayWithOthers1 = file->addAction(QStringLiteral("Play with Others..."));
    file->addSeparator();
    Exit1 = file->addAction(QStringLiteral("Exit"));

    options = bar->addMenu(QStringLiteral("&Options"));
    bar->addMenu(tiles);

    view = bar->addMenu(QStringLiteral("&View"));
    SpyList1 = view->addAction(QStringLiteral("Spy List"));
    PrhaseList1 = view->addAction(QStringLiteral("Phrase List"));
    ViewTally1 = view->addAction(QStringLiteral("View Tally"));

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    Help2 = help->addAction(QStringLiteral("Content"));
    Help2->setShortcut(QKeySequence(Qt::Key_F1));
    QuickInstructions1 = help->addAction(QStringLiteral("Quick Instructions"));
    QuickInstructions1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    Connecting1 = help->addAction(QStringLiteral("Connecting"));
    help->addSeparator();
    About1 = help->addAction(QStringLiteral("About"));
}

} // namespace glyphon
