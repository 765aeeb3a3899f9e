// The settings file is shared with other programs and may hold anything: a
// read of any text gives usable settings, and a write of one key reads back
// as written and changes no other key's value.

#include "fuzz_support.h"

#include "settings/profilefile.h"
#include "settings/settingsstore.h"

using namespace glyphon;

namespace {
const char *const Keys[] = {"Textsize", "Top", "Tiles", "Botspeed", "Phrase1", "Help"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    fuzz::Input in(data, size);
    const int keyIndex = in.byte() % 6;
    const QString value = QString::number(in.byte() * 257 + in.byte());
    const QString section = (in.byte() & 1) ? QStringLiteral("Glyphon") : QStringLiteral("gLyPhOn");
    ProfileText text(in.rest());

    const StoredSettings stored = readSettings(text, QStringLiteral("Glyphon"));
    FUZZ_CHECK(stored.botSpeed == 500 || stored.botSpeed == 1000 || stored.botSpeed == 2000);
    FUZZ_CHECK(stored.turnSound == 0 || stored.turnSound == 1);
    FUZZ_CHECK(stored.textSize > 0);

    std::optional<QString> before[6];
    for (int i = 0; i < 6; ++i)
        before[i] = text.value(QStringLiteral("Glyphon"), QString::fromLatin1(Keys[i]));

    text.setValue(section, QString::fromLatin1(Keys[keyIndex]), value);
    FUZZ_CHECK(text.value(QStringLiteral("GLYPHON"), QString::fromLatin1(Keys[keyIndex]).toLower()) == value);
    for (int i = 0; i < 6; ++i)
        if (i != keyIndex)
            FUZZ_CHECK(text.value(QStringLiteral("Glyphon"), QString::fromLatin1(Keys[i])) == before[i]);
    return 0;
}
