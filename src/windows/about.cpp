#include "windows/about.h"

#include "protocol/wire.h"
#include "windows/logo.h"
#include "windows/windowutil.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

Tabout::Tabout(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("about"));
    setWindowTitle(QStringLiteral("Glyphon - About"));

    image_aboutlogo = new glyphon::LogoWidget(96, this);
    image_aboutlogo->setToolTip(QString::fromLatin1(glyphon::ProductUrl));

    label_name = new QLabel(QStringLiteral("Glyphon"), this);
    QFont nameFont = label_name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 2);
    label_name->setFont(nameFont);

    label_versioncaption = new QLabel(QStringLiteral("Version"), this);
    version = new QLabel(QString::fromLatin1(glyphon::VersionText), this);
    version->setObjectName(QStringLiteral("version"));
    label_versionsuffix = new QLabel(QStringLiteral(".0"), this);
    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(0);
    versionRow->addWidget(label_versioncaption);
    versionRow->addSpacing(4);
    versionRow->addWidget(version);
    versionRow->addWidget(label_versionsuffix);
    versionRow->addStretch();

    label_url = new QLabel(this);
    label_url->setTextFormat(Qt::RichText);
    label_url->setText(QStringLiteral("<a href=\"%1\">%1</a>").arg(QString::fromLatin1(glyphon::ProductUrl)));
    label_url->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    label_url->setOpenExternalLinks(false);
    label_url->setCursor(Qt::PointingHandCursor);

    label_copyright = new QLabel(QStringLiteral("Copyright \u00a9"), this);
    label_year = new QLabel(this);
    label_owner = new QLabel(QStringLiteral("Glyphon developers"), this);
    auto *ownerRow = new QHBoxLayout;
    ownerRow->setSpacing(4);
    ownerRow->addWidget(label_copyright);
    ownerRow->addWidget(label_year);
    ownerRow->addWidget(label_owner);
    ownerRow->addStretch();

    auto *text = new QVBoxLayout;
    text->addWidget(label_name);
    text->addLayout(versionRow);
    text->addSpacing(6);
    text->addWidget(new QLabel(QStringLiteral("A word game for two players and their spectators."), this));
    text->addWidget(label_url);
    text->addSpacing(6);
    text->addLayout(ownerRow);
    text->addWidget(new QLabel(QStringLiteral("Free software under the MIT licence."), this));
    text->addStretch();

    auto *top = new QHBoxLayout;
    top->addWidget(image_aboutlogo, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text);

    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(image_aboutlogo, &glyphon::LogoWidget::clicked, this, &Tabout::label_urlClick);
    connect(label_url, &QLabel::linkActivated, this, &Tabout::label_urlClick);
    connect(button_done, &QPushButton::clicked, this, &Tabout::button_doneClick);
    FormCreate();
}

void Tabout::FormCreate()
{
    label_year->setText(glyphon::currentYearText());
}

QString Tabout::versionText() const
{
    return version->text();
}

void Tabout::label_urlClick()
{
    if (QDesktopServices::openUrl(productUrl()))
        return;
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(glyphon::AppTitle), QStringLiteral("Cannot open Webpage"),
                    QMessageBox::Ok, this);
    glyphon::execOnTop(box);
}

void Tabout::button_doneClick()
{
    close();
}

void Tabout::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
