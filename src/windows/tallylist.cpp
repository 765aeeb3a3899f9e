#include "windows/tallylist.h"

#include "tallyfile/tallyfile.h"
#include "windows/windowutil.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

using glyphon::tally::ScoreTable;

namespace {

QLabel *countCell(QWidget *parent)
{
    auto *label = new QLabel(QStringLiteral("0"), parent);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMinimumWidth(48);
    return label;
}

QListWidget *checkList(QWidget *parent)
{
    auto *list = new QListWidget(parent);
    list->setFixedSize(150, 130);
    return list;
}

} // namespace

Ttallylist::Ttallylist(QWidget *parent, const QString &tallyPath)
    : QDialog(parent)
    , m_path(tallyPath)
{
    setObjectName(QStringLiteral("tallylist"));
    setWindowTitle(QStringLiteral("Glyphon - Tally List"));

    auto *own = new QGroupBox(QStringLiteral("Your Total Tally"), this);
    mylabel_1 = countCell(own);
    mylabel_2 = countCell(own);
    mylabel_3 = countCell(own);
    mylabel_4 = countCell(own);
    mylabel_3->hide();
    mylabel_4->hide();
    auto *ownLayout = new QGridLayout(own);
    ownLayout->addWidget(new QLabel(QStringLiteral("Total Games:"), own), 0, 0);
    ownLayout->addWidget(mylabel_1, 0, 1);
    ownLayout->addWidget(new QLabel(QStringLiteral("Your Wins"), own), 1, 0);
    ownLayout->addWidget(mylabel_2, 1, 1);

    listbox_tally = checkList(this);
    checklist = checkList(this);
    auto *lists = new QGridLayout;
    lists->addWidget(new QLabel(QStringLiteral("Players Being Tallied"), this), 0, 0);
    lists->addWidget(listbox_tally, 1, 0);
    lists->addWidget(new QLabel(QStringLiteral("Players In Current Game"), this), 0, 1);
    lists->addWidget(checklist, 1, 1);

    auto *his = new QGroupBox(this);
    label_hisnametop = new QLabel(his);
    QFont bold = label_hisnametop->font();
    bold.setBold(true);
    label_hisnametop->setFont(bold);
    label_hisname = new QLabel(QStringLiteral(" Wins:"), his);
    label_1 = countCell(his);
    label_2 = countCell(his);
    label_3 = countCell(his);
    label_4 = countCell(his);
    label_5 = countCell(his);
    label_6 = countCell(his);
    label_7 = countCell(his);
    label_8 = countCell(his);
    auto *hisLayout = new QGridLayout(his);
    hisLayout->addWidget(label_hisnametop, 0, 0);
    hisLayout->addWidget(new QLabel(QStringLiteral("Total"), his), 0, 1, Qt::AlignRight);
    hisLayout->addWidget(new QLabel(QStringLiteral("Session"), his), 0, 2, Qt::AlignRight);
    const QList<QLabel *> heads = {new QLabel(QStringLiteral("Number of Games"), his), label_hisname,
                                   new QLabel(QStringLiteral("Your Wins:"), his),
                                   new QLabel(QStringLiteral("Neither Won:"), his)};
    for (int row = 0; row < 4; ++row) {
        hisLayout->addWidget(heads.at(row), row + 1, 0);
        hisLayout->addWidget(countLabel(row + 1), row + 1, 1);
        hisLayout->addWidget(countLabel(row + 5), row + 1, 2);
    }

    button_reset = new QPushButton(QStringLiteral("Reset Tally"), this);
    button_done = new QPushButton(QStringLiteral("Done"), this);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(button_reset);
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(own);
    layout->addLayout(lists);
    layout->addWidget(his);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(checklist, &QListWidget::itemChanged, this, &Ttallylist::checklistClickCheck);
    connect(listbox_tally, &QListWidget::itemChanged, this, &Ttallylist::listbox_tallyClickCheck);
    connect(listbox_tally, &QListWidget::currentRowChanged, this, &Ttallylist::listbox_tallyClick);
    connect(button_reset, &QPushButton::clicked, this, &Ttallylist::button_resetClick);
    connect(button_done, &QPushButton::clicked, this, &Ttallylist::button_doneClick);

    FormCreate();
}

Ttallylist::~Ttallylist()
{
    FormDestroy();
}

void Ttallylist::FormCreate()
{
    if (m_path.isEmpty())
        return;
    glyphon::tally::TallyFile file(m_path);
    glyphon::tally::TallyRead read = file.load();
    if (read.table) {
        m_table = *read.table;
        loadtally();
        return;
    }
    // The run goes on with an empty tally. The box says where the old one
    // went; one that could not be moved aside is never written over.
    m_loadError = read.error + QLatin1Char('\n');
    if (!file.damagedPath().isEmpty()) {
        m_loadError += QStringLiteral("The tally was started afresh; the damaged file was kept as %1.")
                               .arg(QDir::toNativeSeparators(file.damagedPath()));
    } else {
        m_loadError += QStringLiteral("The tally was started afresh for this run only; the damaged file "
                                      "was left as it is.");
        m_path.clear();
    }
    // The box waits for the event loop so start-up is not blocked.
    QTimer::singleShot(0, this, [this] {
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(glyphon::AppTitle), m_loadError,
                        QMessageBox::Ok, parentWidget());
        glyphon::execOnTop(box);
    });
}

void Ttallylist::FormDestroy()
{
    save();
}

void Ttallylist::save()
{
    // A failed save keeps the previous file whole; the next change or the
    // end of the run tries again.
    if (!m_path.isEmpty())
        glyphon::tally::TallyFile(m_path).save(m_table);
}

QLabel *Ttallylist::ownLabel(int column) const
{
    const QList<QLabel *> labels = {mylabel_1, mylabel_2, mylabel_3, mylabel_4};
    return column >= 1 && column <= 4 ? labels.at(column - 1) : nullptr;
}

QLabel *Ttallylist::countLabel(int column) const
{
    const QList<QLabel *> labels = {label_1, label_2, label_3, label_4, label_5, label_6, label_7, label_8};
    return column >= 1 && column <= 8 ? labels.at(column - 1) : nullptr;
}

void Ttallylist::loadtally()
{
    for (int column = 1; column <= 4; ++column)
        ownLabel(column)->setText(QString::number(m_table.count(column, 0)));
    const QSignalBlocker blocker(listbox_tally);
    listbox_tally->clear();
    for (const QString &name : m_table.names()) {
        auto *item = new QListWidgetItem(name, listbox_tally);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    m_table.resetSession();
}

bool Ttallylist::isTallied(const QString &name) const
{
    return m_table.rowOf(name) >= 0;
}

void Ttallylist::setChecked(QListWidgetItem *item, bool checked)
{
    const QSignalBlocker blocker(item->listWidget());
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void Ttallylist::setCurrentGame(const QStringList &names)
{
    const QSignalBlocker blocker(checklist);
    checklist->clear();
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, checklist);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(isTallied(name) ? Qt::Checked : Qt::Unchecked);
    }
}

void Ttallylist::addgame(const QString &winner)
{
    QStringList current;
    for (int i = 0; i < checklist->count(); ++i)
        current << checklist->item(i)->text();
    addtomineincrease(1);
    if (winner == AddToMine)
        addtomineincrease(2);
    m_table.addOpponents(winner, current);
    if (listbox_tally->currentRow() >= 0)
        listbox_tallyClick();
    save();
}

void Ttallylist::addtomineincrease(int column)
{
    const int value = m_table.addit(column, 0);
    if (QLabel *label = ownLabel(column))
        label->setText(QString::number(value));
}

int Ttallylist::addit(int column, int row)
{
    return m_table.addit(column, row);
}

void Ttallylist::moverow(int row)
{
    m_table.moverow(row);
}

void Ttallylist::addTallied(const QString &name)
{
    m_table.addRow(name);
    const QSignalBlocker blocker(listbox_tally);
    auto *item = new QListWidgetItem(name, listbox_tally);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
}

void Ttallylist::checklistClickCheck(QListWidgetItem *item)
{
    // Unchecking here does nothing: names leave the tally only through the
    // list of tallied players and its question.
    if (item->checkState() != Qt::Checked || isTallied(item->text()))
        return;
    addTallied(item->text());
    save();
}

void Ttallylist::listbox_tallyClickCheck(QListWidgetItem *item)
{
    if (item->checkState() == Qt::Checked)
        return;
    const QString name = item->text();
    if (!ask(QStringLiteral("This will delete ") + name + QStringLiteral("'s Tally, Are you want to delete it?"))) {
        setChecked(item, true);
        return;
    }
    moverow(listbox_tally->row(item) + 1);
    delete listbox_tally->takeItem(listbox_tally->row(item));
    // The current game's list shows the name as no longer tallied.
    for (int i = 0; i < checklist->count(); ++i) {
        if (checklist->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            setChecked(checklist->item(i), false);
    }
    listbox_tallyClick();
    save();
}

void Ttallylist::listbox_tallyClick()
{
    const int row = listbox_tally->currentRow() + 1;
    const QString name = row >= 1 ? m_table.cell(0, row) : QString();
    for (int column = 1; column <= 8; ++column)
        countLabel(column)->setText(row >= 1 ? m_table.cell(column, row) : QStringLiteral("0"));
    label_hisname->setText(name + QStringLiteral(" Wins:"));
    label_hisnametop->setText(row >= 1 ? name + QStringLiteral("'s Tally") : QString());
}

void Ttallylist::button_resetClick()
{
    if (!ask(QStringLiteral("Are you sure you want to reset the Tally?")))
        return;
    for (int column = 1; column <= 4; ++column)
        ownLabel(column)->setText(QStringLiteral("0"));
    m_table.reset();
    {
        const QSignalBlocker blocker(listbox_tally);
        listbox_tally->clear();
    }
    for (int i = 0; i < checklist->count(); ++i)
        setChecked(checklist->item(i), false);
    for (int column = 1; column <= 8; ++column)
        countLabel(column)->setText(QStringLiteral("0"));
    save();
}

void Ttallylist::button_doneClick()
{
    close();
}

bool Ttallylist::ask(const QString &question)
{
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(glyphon::AppTitle), question,
                    QMessageBox::Yes | QMessageBox::No, this);
    return glyphon::execOnTop(box) == QMessageBox::Yes;
}

void Ttallylist::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}

void Ttallylist::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    glyphon::paintPaper(painter, rect());
}
