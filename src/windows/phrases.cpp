#include "windows/phrases.h"

#include "windows/windowutil.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tphrases::Tphrases(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("phrases"));
    setWindowTitle(QStringLiteral("Glyphon - Phrase Buttons "));

    auto *form = new QFormLayout;
    QLineEdit **edits[PhraseCount] = {
        &phrase1, &phrase2, &phrase3, &phrase4, &phrase5, &phrase6, &phrase7, &phrase8, &phrase9,
    };
    for (int n = 1; n <= PhraseCount; ++n) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("phrase%1").arg(n));
        edit->setMaxLength(MaxPhraseLength);
        edit->setMinimumWidth(260);
        form->addRow(QStringLiteral("Phrase Button %1:").arg(n), edit);
        *edits[n - 1] = edit;
    }

    label_note = new QLabel(QStringLiteral("Buttons can only be used once every 2 seconds"), this);
    button_done = new QPushButton(QStringLiteral("Done"), this);
    button_done->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(label_note);
    buttons->addStretch();
    buttons->addWidget(button_done);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(button_done, &QPushButton::clicked, this, &Tphrases::button_doneClick);
}

QLineEdit *Tphrases::phrase(int number) const
{
    const QLineEdit *const edits[PhraseCount] = {
        phrase1, phrase2, phrase3, phrase4, phrase5, phrase6, phrase7, phrase8, phrase9,
    };
    if (number < 1 || number > PhraseCount)
        return nullptr;
    return const_cast<QLineEdit *>(edits[number - 1]);
}

void Tphrases::setPhrases(const QStringList &phrases)
{
    for (int n = 1; n <= PhraseCount; ++n)
        phrase(n)->setText(n <= phrases.size() ? phrases.at(n - 1) : QString());
}

QStringList Tphrases::phrases() const
{
    QStringList texts;
    for (int n = 1; n <= PhraseCount; ++n)
        texts << phrase(n)->text();
    return texts;
}

void Tphrases::button_doneClick()
{
    emit phrasesAccepted(phrases());
    close();
}

void Tphrases::showEvent(QShowEvent *event)
{
    glyphon::centreOnParent(this);
    QDialog::showEvent(event);
}
