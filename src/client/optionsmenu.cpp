#include "client/optionsmenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <tuple>

namespace glyphon {

OptionsMenu::OptionsMenu(QMenu *menu, QAction *scrollChatOff, QAction *clearMainChat)
    : QObject(menu)
    , m_menu(menu)
{
    PlaySounds1 = menu->addAction(QStringLiteral("Play Sounds"));
    PlaySounds1->setCheckable(true);
    PlaySounds1->setChecked(true);
    connect(PlaySounds1, &QAction::triggered, this, &OptionsMenu::playSoundsToggled);
    PlayerPhraseSounds1 = menu->addAction(QStringLiteral("Player Phrase Sounds"));
    PlayerPhraseSounds1->setCheckable(true);
    PlayerPhraseSounds1->setChecked(true);
    connect(PlayerPhraseSounds1, &QAction::triggered, this, &OptionsMenu::playerPhraseSoundsToggled);

    QMenu *turnSound = menu->addMenu(QStringLiteral("Turn Sound"));
    m_turnSound = new QActionGroup(this);
    Classic1 = addRadio(turnSound, m_turnSound, QStringLiteral("Classic"), 0);
    New1 = addRadio(turnSound, m_turnSound, QStringLiteral("New"), 1);
    Classic1->setChecked(true);
    connect(m_turnSound, &QActionGroup::triggered, this,
            [this](QAction *item) { emit turnSoundChosen(item->data().toInt()); });

    QMenu *botSpeed = menu->addMenu(QStringLiteral("Bot Speed"));
    m_botSpeed = new QActionGroup(this);
    Slow1 = addRadio(botSpeed, m_botSpeed, QStringLiteral("Slow"), 2000);
    Normal1 = addRadio(botSpeed, m_botSpeed, QStringLiteral("Normal"), 1000);
    Fast1 = addRadio(botSpeed, m_botSpeed, QStringLiteral("Fast"), 500);
    Normal1->setChecked(true);
    connect(m_botSpeed, &QActionGroup::triggered, this,
            [this](QAction *item) { emit botSpeedChosen(item->data().toInt()); });

    // How the host's Rizi plays; the level's settings word is the item's data.
    m_riziLevel = new QActionGroup(this);
    for (const auto &[caption, level, item] :
         {std::tuple{"Rizi Plays Gentle", "gentle", &RiziGentle1}, std::tuple{"Rizi Plays Classic", "classic", &RiziClassic1},
          std::tuple{"Rizi Plays Strong", "strong", &RiziStrong1}}) {
        *item = menu->addAction(QString::fromLatin1(caption));
        (*item)->setCheckable(true);
        (*item)->setData(QString::fromLatin1(level));
        m_riziLevel->addAction(*item);
    }
    RiziClassic1->setChecked(true);
    connect(m_riziLevel, &QActionGroup::triggered, this,
            [this](QAction *item) { emit riziLevelChosen(item->data().toString()); });

    TextColor1 = menu->addAction(QStringLiteral("Text Color"));
    connect(TextColor1, &QAction::triggered, this, &OptionsMenu::textColourRequested);

    QMenu *textSize = menu->addMenu(QStringLiteral("Text Size"));
    m_textSize = new QActionGroup(this);
    // None is checked until a size is loaded or chosen.
    m_textSize->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    N81 = addRadio(textSize, m_textSize, QStringLiteral("8"), 8);
    N101 = addRadio(textSize, m_textSize, QStringLiteral("10"), 10);
    N121 = addRadio(textSize, m_textSize, QStringLiteral("12"), 12);
    N141 = addRadio(textSize, m_textSize, QStringLiteral("14"), 14);
    connect(m_textSize, &QActionGroup::triggered, this, [this](QAction *item) {
        // Choosing the checked size again must not leave none checked.
        item->setChecked(true);
        emit textSizeChosen(item->data().toInt());
    });

    menu->addSeparator();
    menu->addAction(scrollChatOff);
    menu->addAction(clearMainChat);
    menu->addSeparator();
    ResetScreenLocation1 = menu->addAction(QStringLiteral("Reset Screen Location"));
    connect(ResetScreenLocation1, &QAction::triggered, this, &OptionsMenu::resetScreenLocationRequested);
}

QAction *OptionsMenu::addRadio(QMenu *menu, QActionGroup *group, const QString &caption, int number)
{
    QAction *item = menu->addAction(caption);
    item->setCheckable(true);
    item->setData(number);
    group->addAction(item);
    return item;
}

void OptionsMenu::checkByNumber(QActionGroup *group, int number)
{
    for (QAction *item : group->actions())
        item->setChecked(item->data().toInt() == number);
}

void OptionsMenu::show(const ClientSettings &settings)
{
    PlaySounds1->setChecked(settings.playSounds);
    PlayerPhraseSounds1->setChecked(settings.playerPhraseSounds);
    checkByNumber(m_turnSound, settings.turnSound);
    checkByNumber(m_botSpeed, settings.botSpeed);
    for (QAction *item : m_riziLevel->actions())
        item->setChecked(item->data().toString() == settings.riziLevel);
}

void OptionsMenu::checkTextSize(int points)
{
    checkByNumber(m_textSize, points);
}

} // namespace glyphon
