#pragma once
// The row of phrase buttons above the chat: nine buttons that each send a
// stored phrase, and a tenth that opens the menu of chatter sounds. A
// phrase button works at most once every two seconds, measured by the
// clock (the window's message timer rests while there is nothing to do, so
// counting its ticks would never release the block).

#include <QObject>
#include <QPixmap>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

class QMenu;
class QToolButton;
class QWidget;

namespace glyphon {

class PhraseRow : public QObject
{
    Q_OBJECT
public:
    static constexpr int PhraseCount = 9;
    static constexpr int SoundCount = 20;
    static constexpr int BlockMs = 2000;

    // Creates the ten buttons on parent, at y 231 and the x positions of
    // the row, and the chatter sound menu.
    explicit PhraseRow(QWidget *parent);

    static QStringList defaultPhrases();
    // The caption of chatter sound "wave<number>" (1..20); empty otherwise.
    static QString soundCaption(int number);
    // The caption of the menu item of that sound name, "" when none.
    QString captionOfSound(const QString &name) const;

    QString phrase(int number) const;
    void setPhrase(int number, const QString &text);
    QStringList phrases() const;

    // Whether a phrase may be sent now; when it may, the block starts.
    bool takePhrase();
    // Milliseconds since some fixed point; tests replace the clock.
    void setClock(std::function<qint64()> clock) { m_clock = std::move(clock); }

    // Opens popup_sounds with its top-left corner at the lower-right corner
    // of the chatter button.
    void popUpSounds();

    // Buttons 1..10, b_phrase10 being the chatter sound button.
    QToolButton *button(int number) const;
    QMenu *popup_sounds = nullptr;

    static QPixmap picture(int number, qreal devicePixelRatio);
    // Draws the buttons' pictures anew to fit the buttons as they are sized
    // now (the board around them scales them with the window).
    void fitPictures();

signals:
    // A phrase button was clicked (block or not: the window decides).
    void phraseClicked(int number);
    // Any mouse button released over the chatter sound button.
    void chatterButtonReleased();
    // An item of popup_sounds was chosen: 0 for "<Cancel>", else 1..20.
    void soundChosen(int number);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QToolButton *, PhraseCount + 1> m_buttons{};
    std::function<qint64()> m_clock;
    qint64 m_blockedSince = 0;
    bool m_blocked = false;
};

} // namespace glyphon
