#include "windows/spylist.h"

#include "windows/windowutil.h"

#include <QContextMenuEvent>
#include <algorithm>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

Tspylist::Tspylist(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("spylist"));
    setWindowTitle(QStringLiteral("Glyphon - Spys"));

    label_title = new QLabel(QStringLiteral("Spy List"), this);
    QFont titleFont = label_title->font();
    titleFont.setBold(true);
    label_title->setFont(titleFont);
    label_title->setAlignment(Qt::AlignCenter);

    listbox_spys = new QListWidget(this);
    listbox_spys->setFixedSize(180, 150);
    listbox_spys->setMouseTracking(true);
    listbox_spys->viewport()->setMouseTracking(true);
    listbox_spys->viewport()->installEventFilter(this);
    listbox_spys->setContextMenuPolicy(Qt::DefaultContextMenu);

    popup_kickhim = new QMenu(this);
    RemoveFromGame1 = popup_kickhim->addAction(QStringLiteral("Remove From Game"));
    RemoveFromGame1->setObjectName(QStringLiteral("RemoveFromGame1"));
    RemoveFromGame1->setEnabled(false);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_done);
    buttons->addStretch();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label_title);
    layout->addWidget(listbox_spys);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough that a window manager shows the whole caption.
    const QMargins margins = layout->contentsMargins();
    listbox_spys->setFixedWidth(std::max(listbox_spys->width(),
                                         glyphon::captionWidth(this) - margins.left() - margins.right()));

    connect(RemoveFromGame1, &QAction::triggered, this, &Tspylist::popup_kickhimClick);
    connect(button_done, &QPushButton::clicked, this, &Tspylist::button_doneClick);
}

void Tspylist::addEntry(const QString &entry)
{
    listbox_spys->addItem(entry);
}

bool Tspylist::removeEntry(const QString &entry)
{
    for (int row = 0; row < listbox_spys->count(); ++row) {
        if (listbox_spys->item(row)->text() == entry) {
            delete listbox_spys->takeItem(row);
            // The remembered index may now name a different spectator, or
            // none; forget it rather than remove the wrong person.
            m_hoverIndex = -1;
            return true;
        }
    }
    return false;
}

QStringList Tspylist::entries() const
{
    QStringList texts;
    for (int row = 0; row < listbox_spys->count(); ++row)
        texts << listbox_spys->item(row)->text();
    return texts;
}

void Tspylist::setRemoveEnabled(bool enabled)
{
    RemoveFromGame1->setEnabled(enabled);
}

void Tspylist::listbox_spysMouseMove(const QPoint &pos)
{
    const QModelIndex index = listbox_spys->indexAt(pos);
    m_hoverIndex = index.isValid() ? index.row() : -1;
}

bool Tspylist::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == listbox_spys->viewport()) {
        switch (event->type()) {
        case QEvent::MouseMove:
            listbox_spysMouseMove(static_cast<QMouseEvent *>(event)->position().toPoint());
            break;
        case QEvent::ContextMenu: {
            auto *menuEvent = static_cast<QContextMenuEvent *>(event);
            // A keyboard menu key has no pointer position: act on the current item.
            if (menuEvent->reason() == QContextMenuEvent::Mouse)
                listbox_spysMouseMove(menuEvent->pos());
            else
                m_hoverIndex = listbox_spys->currentRow();
            popup_kickhim->popup(menuEvent->globalPos());
            return true;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tspylist::popup_kickhimClick()
{
    if (!RemoveFromGame1->isEnabled() || m_hoverIndex < 0 || m_hoverIndex >= listbox_spys->count())
        return;
    const QString text = listbox_spys->item(m_hoverIndex)->text();
    bool ok = false;
    const int seat = text.section(QLatin1Char(':'), 0, 0).trimmed().toInt(&ok);
    if (ok)
        emit removeRequested(seat);
}

void Tspylist::button_doneClick()
{
    close();
}

void Tspylist::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
