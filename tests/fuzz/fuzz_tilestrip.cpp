// A tile set is a bitmap any user can drop into the tile folder: any bytes
// give pictures or an error text, never a crash or a decode past the caps,
// and pictures always come as the full lists of 44-pixel cells.

#include "fuzz_support.h"

#include "artwork/tilesets.h"

#include <QGuiApplication>

using namespace glyphon;

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's image readers warn about every malformed file; thousands of lines
    // would bury a real finding in the log.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const StripResult result =
        artworkFromBitmapBytes(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    FUZZ_CHECK(bool(result.artwork) == result.error.isEmpty());
    if (result.artwork) {
        FUZZ_CHECK(result.artwork->letters.size() == 27);
        FUZZ_CHECK(result.artwork->backgrounds.size() == 3);
        FUZZ_CHECK(result.artwork->bonuses.size() == 4);
        for (const QImage &cell : result.artwork->letters)
            FUZZ_CHECK(cell.isNull() || (cell.width() <= 44 && cell.height() <= 44));
    }
    return 0;
}
