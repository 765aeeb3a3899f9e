#pragma once
// The window that offers the optional lobby program to a solo player.

#include <QDialog>

class QLabel;
class QPushButton;

class Tdownload : public QDialog
{
    Q_OBJECT
public:
    explicit Tdownload(QWidget *parent = nullptr);

    QLabel *Label1;
    QLabel *Label7;
    QPushButton *Button1;

public slots:
    // "Play Solo Game": the solo game behind the window goes on.
    void Button1Click();

protected:
    void showEvent(QShowEvent *event) override;
};
