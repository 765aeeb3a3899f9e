#include "settings/settingsstore.h"

#include "protocol/colourtext.h"

#include <algorithm>
#include <limits>

namespace glyphon {

namespace {

constexpr int ShrinkStep = 15;
// Chat text outside this range would be unreadable or take the layout of
// every line to its knees; such a value counts as unreadable.
constexpr int SmallestTextSize = 1;
constexpr int LargestTextSize = 72;

std::optional<int> wholeNumber(const std::optional<QString> &text)
{
    if (!text || text->isEmpty())
        return std::nullopt;
    const auto number = numberFromText(*text);
    if (!number || *number < std::numeric_limits<int>::min() || *number > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*number);
}

QString boolText(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

} // namespace

WindowPlacement fitToWorkArea(WindowPlacement placement, const QRect &workArea)
{
    if (placement.width > workArea.width())
        placement.width -= ShrinkStep;
    if (placement.height > workArea.height())
        placement.height -= ShrinkStep;
    return placement;
}

QRect placeOnWorkAreas(QRect outer, int titleHeight, const QList<QRect> &workAreas)
{
    if (workAreas.isEmpty())
        return outer;
    titleHeight = std::max(titleHeight, 1);
    // The screen that shows most of the window, or the nearest when none does.
    QRect area = workAreas.first();
    qint64 shownMost = 0;
    qint64 nearest = std::numeric_limits<qint64>::max();
    for (const QRect &candidate : workAreas) {
        const QRect shown = candidate & outer;
        const qint64 size = qint64(shown.width()) * shown.height();
        const qint64 dx = std::max({qint64(candidate.left()) - outer.center().x(), 0LL,
                                    qint64(outer.center().x()) - candidate.right()});
        const qint64 dy = std::max({qint64(candidate.top()) - outer.center().y(), 0LL,
                                    qint64(outer.center().y()) - candidate.bottom()});
        const qint64 distance = dx * dx + dy * dy;
        if (size > shownMost || (shownMost == 0 && size == 0 && distance < nearest)) {
            shownMost = size;
            nearest = distance;
            area = candidate;
        }
    }
    // A side longer than the screen's is cut to it.
    outer.setSize(outer.size().boundedTo(area.size()));
    // Kept where it was only with the whole title bar and two thirds of the
    // window on the screen; else the whole window comes onto it.
    const QRect titleBar(outer.topLeft(), QSize(outer.width(), titleHeight));
    const QRect shown = area & outer;
    if (area.contains(titleBar) && 3 * qint64(shown.width()) * shown.height() >= 2 * qint64(outer.width()) * outer.height())
        return outer;
    outer.moveTo(std::clamp(outer.left(), area.left(), area.right() + 1 - outer.width()),
                 std::clamp(outer.top(), area.top(), area.bottom() + 1 - outer.height()));
    return outer;
}

StoredSettings readSettings(const ProfileText &text, const QString &section)
{
    StoredSettings s;
    auto read = [&](const char *key) { return text.value(section, QLatin1String(key)); };
    auto readInt = [&](const char *key, int fallback) { return wholeNumber(read(key)).value_or(fallback); };

    const int size = readInt("Textsize", s.textSize);
    if (size >= SmallestTextSize && size <= LargestTextSize)
        s.textSize = size;
    s.placement.top = readInt("Top", s.placement.top);
    s.placement.left = readInt("Left", s.placement.left);
    s.placement.width = readInt("Width", s.placement.width);
    s.placement.height = readInt("Height", s.placement.height);
    s.textColour = colourFromText(read("Textcolor").value_or(QStringLiteral("clblack"))).value_or(0);
    if (const auto tiles = read("Tiles"); tiles && !tiles->isEmpty())
        s.tiles = *tiles;
    s.playToScore = wholeNumber(read("Playtoscore").value_or(QStringLiteral("200")));
    s.timePerTurn = wholeNumber(read("Timeperturn").value_or(QStringLiteral("90")));
    const QString speed = read("Botspeed").value_or(QString());
    s.botSpeed = speed == QLatin1String("2000") ? 2000 : speed == QLatin1String("500") ? 500 : 1000;
    const QString level = read("RiziLevel").value_or(QString()).trimmed().toLower();
    if (level == QLatin1String("gentle") || level == QLatin1String("strong"))
        s.riziLevel = level;
    s.turnSound = read("Turnsound") == QStringLiteral("1") ? 1 : 0;
    for (int n = 1; n <= StoredSettings::PhraseCount; ++n)
        s.phrases[n - 1] = text.value(section, QStringLiteral("Phrase%1").arg(n)).value_or(QString());
    s.playSounds = read("Playsounds") != QStringLiteral("false");
    s.playerPhraseSounds = read("Playerphrasesounds") != QStringLiteral("false");
    s.showHelp = read("Help").value_or(QStringLiteral("1")) == QLatin1String("1");
    return s;
}

ProfileEntries settingsEntries(const ClientSettings &s, const WindowPlacement &p)
{
    return {
        {QStringLiteral("Textsize"), QString::number(s.textSize)},
        {QStringLiteral("Top"), QString::number(p.top)},
        {QStringLiteral("Left"), QString::number(p.left)},
        {QStringLiteral("Width"), QString::number(p.width)},
        {QStringLiteral("Height"), QString::number(p.height)},
        {QStringLiteral("Textcolor"), colourToText(s.textColour)},
        {QStringLiteral("Playtoscore"), QString::number(s.playToScore)},
        {QStringLiteral("Timeperturn"), QString::number(s.timePerTurn)},
        {QStringLiteral("Botspeed"), QString::number(s.botSpeed)},
        {QStringLiteral("RiziLevel"), s.riziLevel},
        {QStringLiteral("Turnsound"), QString::number(s.turnSound)},
        {QStringLiteral("Tiles"), s.tiles},
        {QStringLiteral("Playerphrasesounds"), boolText(s.playerPhraseSounds)},
        {QStringLiteral("Playsounds"), boolText(s.playSounds)},
    };
}

QString SettingsStore::path() const
{
    return m_files.writablePath(QString::fromLatin1(FileName), QStandardPaths::AppConfigLocation);
}

StoredSettings SettingsStore::load() const
{
    return readSettings(ProfileFile(path()).read(), QString::fromLatin1(Section));
}

bool SettingsStore::save(const ClientSettings &settings, const WindowPlacement &placement) const
{
    return ProfileFile(path()).write(QString::fromLatin1(Section), settingsEntries(settings, placement));
}

bool SettingsStore::savePhrases(const QStringList &phrases) const
{
    ProfileEntries entries;
    for (int n = 1; n <= StoredSettings::PhraseCount; ++n)
        entries.append({QStringLiteral("Phrase%1").arg(n), n <= phrases.size() ? phrases.at(n - 1) : QString()});
    return ProfileFile(path()).write(QString::fromLatin1(Section), entries);
}

bool SettingsStore::markHelpShown() const
{
    return ProfileFile(path()).write(QString::fromLatin1(Section), {{QStringLiteral("Help"), QStringLiteral("2")}});
}

} // namespace glyphon
