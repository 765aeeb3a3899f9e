#include "windows/help.h"

#include "windows/about.h"
#include "windows/windowutil.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
const char *const PageProperty = "page";
}

Thelp::Thelp(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("help"));
    setWindowTitle(QStringLiteral("Glyphon - Help File"));
    setSizeGripEnabled(true);

    panel_side = new QFrame(this);
    panel_side->setFrameShape(QFrame::StyledPanel);
    panel_side->setFixedWidth(150);
    auto *side = new QVBoxLayout(panel_side);

    QPushButton **buttons[glyphon::HelpPageCount] = {
        &SelButton1, &SelButton2, &SelButton3, &SelButton4,
        &SelButton5, &SelButton6, &SelButton7, &SelButton8,
    };
    for (int page = 1; page <= glyphon::HelpPageCount; ++page) {
        auto *button = new QPushButton(glyphon::helpPageCaption(page), panel_side);
        button->setProperty(PageProperty, page);
        button->setCheckable(true);
        button->setAutoExclusive(true);
        connect(button, &QPushButton::clicked, this, &Thelp::SelButton1Click);
        side->addWidget(button);
        *buttons[page - 1] = button;
    }
    side->addSpacing(12);
    button_about = new QPushButton(QStringLiteral("About"), panel_side);
    button_done = new QPushButton(QStringLiteral("Done"), panel_side);
    side->addWidget(button_about);
    side->addWidget(button_done);
    side->addStretch();

    label_year = new QLabel(panel_side);
    for (QLabel *line : {new QLabel(QStringLiteral("Glyphon"), panel_side),
                         new QLabel(QStringLiteral("Copyright \u00a9"), panel_side), label_year,
                         new QLabel(QStringLiteral("Glyphon developers"), panel_side)}) {
        line->setAlignment(Qt::AlignCenter);
        side->addWidget(line);
    }

    label_caption = new QLabel(this);
    QFont captionFont = label_caption->font();
    captionFont.setBold(true);
    captionFont.setPointSizeF(captionFont.pointSizeF() * 1.4);
    label_caption->setFont(captionFont);

    pages = new QStackedWidget(this);
    QTextBrowser **memos[glyphon::HelpPageCount] = {
        &memo1, &memo2, &memo3, &memo4, &memo5, &memo6, &memo7, &memo8,
    };
    for (int page = 1; page <= glyphon::HelpPageCount; ++page) {
        auto *memo = new QTextBrowser(pages);
        memo->setObjectName(QStringLiteral("memo%1").arg(page));
        memo->setReadOnly(true);
        memo->setOpenExternalLinks(true);
        memo->setHtml(glyphon::helpPageHtml(page));
        pages->addWidget(memo);
        *memos[page - 1] = memo;
    }

    auto *main = new QVBoxLayout;
    main->addWidget(label_caption);
    main->addWidget(pages, 1);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(panel_side);
    layout->addLayout(main, 1);

    connect(button_about, &QPushButton::clicked, this, &Thelp::button_aboutClick);
    connect(button_done, &QPushButton::clicked, this, &Thelp::button_doneClick);
    resize(680, 480);
    FormCreate();
}

void Thelp::FormCreate()
{
    showPage(1);
    label_year->setText(glyphon::currentYearText());
}

void Thelp::showPage(int page)
{
    if (page < 1 || page > glyphon::HelpPageCount)
        return;
    pages->setCurrentIndex(page - 1);
    QPushButton *button = pageButton(page);
    button->setChecked(true);
    label_caption->setText(button->text());
}

int Thelp::currentPage() const
{
    return pages->currentIndex() + 1;
}

QTextBrowser *Thelp::memo(int page) const
{
    if (page < 1 || page > glyphon::HelpPageCount)
        return nullptr;
    return static_cast<QTextBrowser *>(pages->widget(page - 1));
}

QPushButton *Thelp::pageButton(int page) const
{
    const QPushButton *const buttons[glyphon::HelpPageCount] = {
        SelButton1, SelButton2, SelButton3, SelButton4,
        SelButton5, SelButton6, SelButton7, SelButton8,
    };
    if (page < 1 || page > glyphon::HelpPageCount)
        return nullptr;
    return const_cast<QPushButton *>(buttons[page - 1]);
}

void Thelp::SelButton1Click()
{
    if (QObject *button = sender())
        showPage(button->property(PageProperty).toInt());
}

void Thelp::button_aboutClick()
{
    if (!m_about)
        return;
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void Thelp::button_doneClick()
{
    hide();
}

void Thelp::showEvent(QShowEvent *event)
{
    // Centred the first time only: a reader who moved or resized the window
    // finds it where they left it.
    if (!m_placed) {
        glyphon::centreOnParent(this);
        m_placed = true;
    }
    QDialog::showEvent(event);
}
