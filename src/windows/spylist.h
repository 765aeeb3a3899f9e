#pragma once
// The list of spectators ("spies"), with the host's removal command.

#include <QDialog>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;

class Tspylist : public QDialog
{
    Q_OBJECT
public:
    explicit Tspylist(QWidget *parent = nullptr);

    // Entries read "seat: name", for example "3: Ann".
    void addEntry(const QString &entry);
    bool removeEntry(const QString &entry);
    QStringList entries() const;

    // Only the host may remove people; the menu item stays disabled otherwise.
    void setRemoveEnabled(bool enabled);

    // Index of the entry last under the mouse pointer, -1 over no entry.
    int hoverIndex() const { return m_hoverIndex; }

    QLabel *label_title;
    QListWidget *listbox_spys;
    QMenu *popup_kickhim;
    QAction *RemoveFromGame1;
    QPushButton *button_done;

signals:
    void removeRequested(int seat);

public slots:
    void popup_kickhimClick();
    void button_doneClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void listbox_spysMouseMove(const QPoint &pos);

    int m_hoverIndex = -1;
};
