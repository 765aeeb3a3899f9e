#pragma once
// The tally window: a view over the score table (tallyfile/scoretable.h)
// and the owner of the tally file. The table is loaded when the window is
// created and saved after every change and when the window goes, each time
// as a complete new file renamed over the old one.

#include "tallyfile/scoretable.h"

#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

class Ttallylist : public QDialog
{
    Q_OBJECT
public:
    // The argument of addgame() when the local user won.
    static inline const QString AddToMine = glyphon::tally::ScoreTable::AddToMine;

    // tallyPath: the tally file; empty keeps the tally in memory only.
    explicit Ttallylist(QWidget *parent = nullptr, const QString &tallyPath = {});
    ~Ttallylist() override;

    // The other players of the present game (Tchat.loadchecklist); an item
    // is checked when its name is tallied.
    void setCurrentGame(const QStringList &names);

    // A game ended: winner is the winner's name, or AddToMine.
    void addgame(const QString &winner);
    void addtomineincrease(int column);
    int addit(int column, int row);
    void loadtally();
    void moverow(int row);

    const glyphon::tally::ScoreTable &table() const { return m_table; }
    // The text of the error box shown when the file could not be read.
    const QString &loadError() const { return m_loadError; }

    QLabel *mylabel_1;
    QLabel *mylabel_2;
    QLabel *mylabel_3;
    QLabel *mylabel_4;
    QLabel *label_1;
    QLabel *label_2;
    QLabel *label_3;
    QLabel *label_4;
    QLabel *label_5;
    QLabel *label_6;
    QLabel *label_7;
    QLabel *label_8;
    QLabel *label_hisname;
    QLabel *label_hisnametop;
    QListWidget *listbox_tally;
    QListWidget *checklist;
    QPushButton *button_reset;
    QPushButton *button_done;

public slots:
    void checklistClickCheck(QListWidgetItem *item);
    void listbox_tallyClickCheck(QListWidgetItem *item);
    void listbox_tallyClick();
    void button_resetClick();
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void FormCreate();
    void FormDestroy();
    QLabel *ownLabel(int column) const;
    QLabel *countLabel(int column) const;
    void addTallied(const QString &name);
    void setChecked(QListWidgetItem *item, bool checked);
    bool isTallied(const QString &name) const;
    bool ask(const QString &question);
    void save();

    glyphon::tally::ScoreTable m_table;
    QString m_path;
    QString m_loadError;
};
