#pragma once
// The about window; its version label is also the version the client sends
// when it logs in.

#include <QDialog>
#include <QUrl>

class QLabel;
class QPushButton;

namespace glyphon {
class LogoWidget;
inline constexpr const char *ProductUrl = "https://glyphon.example.org";
}

class Tabout : public QDialog
{
    Q_OBJECT
public:
    explicit Tabout(QWidget *parent = nullptr);

    QString versionText() const;
    static QUrl productUrl() { return QUrl(QString::fromLatin1(glyphon::ProductUrl)); }

    glyphon::LogoWidget *image_aboutlogo;
    QLabel *label_name;
    QLabel *label_versioncaption;
    QLabel *version;
    QLabel *label_versionsuffix;
    QLabel *label_url;
    QLabel *label_copyright;
    QLabel *label_year;
    QLabel *label_owner;
    QPushButton *button_done;

public slots:
    void label_urlClick();
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
};
