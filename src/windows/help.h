#pragma once
// The help window: eight pages behind a row of page buttons. Hiding it keeps
// the page last shown, so F1 brings the reader back where they left off.

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTextBrowser;
class Tabout;

namespace glyphon {

inline constexpr int HelpPageCount = 8;
inline constexpr int HelpConnectingPage = 2;

// Page 1 to 8: the caption of its button and its rich-text content.
QString helpPageCaption(int page);
QString helpPageHtml(int page);

} // namespace glyphon

class Thelp : public QDialog
{
    Q_OBJECT
public:
    explicit Thelp(QWidget *parent = nullptr);

    // The window whose "About" button shows it; may stay unset.
    void setAboutWindow(Tabout *about) { m_about = about; }

    void showPage(int page);
    int currentPage() const;
    QTextBrowser *memo(int page) const;
    QPushButton *pageButton(int page) const;

    QFrame *panel_side;
    QLabel *label_caption;
    QStackedWidget *pages;
    QTextBrowser *memo1;
    QTextBrowser *memo2;
    QTextBrowser *memo3;
    QTextBrowser *memo4;
    QTextBrowser *memo5;
    QTextBrowser *memo6;
    QTextBrowser *memo7;
    QTextBrowser *memo8;
    QPushButton *SelButton1;
    QPushButton *SelButton2;
    QPushButton *SelButton3;
    QPushButton *SelButton4;
    QPushButton *SelButton5;
    QPushButton *SelButton6;
    QPushButton *SelButton7;
    QPushButton *SelButton8;
    QPushButton *button_about;
    QPushButton *button_done;
    QLabel *label_year;

public slots:
    void SelButton1Click();
    void button_aboutClick();
    void button_doneClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();

    Tabout *m_about = nullptr;
    bool m_placed = false;
};
