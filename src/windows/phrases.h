#pragma once
// Editor of the nine phrase buttons' texts.

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

class Tphrases : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PhraseCount = 9;
    static constexpr int MaxPhraseLength = 50;

    explicit Tphrases(QWidget *parent = nullptr);

    // Fills the edit boxes; missing entries leave their box empty.
    void setPhrases(const QStringList &phrases);
    QStringList phrases() const;
    QLineEdit *phrase(int number) const;

    QLineEdit *phrase1;
    QLineEdit *phrase2;
    QLineEdit *phrase3;
    QLineEdit *phrase4;
    QLineEdit *phrase5;
    QLineEdit *phrase6;
    QLineEdit *phrase7;
    QLineEdit *phrase8;
    QLineEdit *phrase9;
    QLabel *label_note;
    QPushButton *button_done;

signals:
    // "Done": the texts of all nine boxes, empty ones included. Closing the
    // window any other way does not emit it, so the buttons keep their texts.
    void phrasesAccepted(const QStringList &phrases);

public slots:
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;
};
