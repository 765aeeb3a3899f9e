#pragma once
// The host's game start dialog: target score and time per turn.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace glyphon {
class UpDown;
}

class Tgamestart : public QDialog
{
    Q_OBJECT
public:
    static constexpr int PlayToScoreMin = 50;
    static constexpr int PlayToScoreMax = 1000;
    static constexpr int PlayToScoreStep = 50;
    static constexpr int CreationTimeMin = 30;
    static constexpr int CreationTimeMax = 120;
    static constexpr int CreationTimeStep = 5;

    explicit Tgamestart(QWidget *parent = nullptr);

    // Values from the settings file are brought into the arrows' range; a
    // value within it stays as it was typed.
    void setValues(int playtoscore, int timeperturn);
    int playtoscore() const;
    int timeperturn() const;

    QLabel *label_title;
    QLabel *label_playtoscore;
    QLabel *label_creationtime;
    QLineEdit *edit_playtoscore;
    glyphon::UpDown *UpDown1;
    QLineEdit *edit_creationtime;
    glyphon::UpDown *UpDown2;
    QPushButton *button_start;

signals:
    // The texts exactly as the edits show them; the client sends them on.
    void startRequested(const QString &playtoscoreText, const QString &creationTimeText);

public slots:
    void button_startClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
};
