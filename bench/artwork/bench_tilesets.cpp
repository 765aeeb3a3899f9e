// Choosing a tile set happens while a turn runs, so it has to be quick:
// measures reading and cutting the shipped strips, and painting a board of
// 36 tiles with an empty picture cache (what the first repaint after a
// choice costs). Prints the median of several runs in milliseconds.

#include "artwork/tilesets.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 21;
    glyphon::TileArt art;
    for (const char *name : {"HighContrast", "Ice", "Wood"}) {
        QFile file(QStringLiteral(GLYPHON_TILESETS_DIR "/%1.bmp").arg(QLatin1String(name)));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", name);
            return 1;
        }
        const QByteArray bytes = file.readAll();
        std::vector<double> load, paint;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            const glyphon::StripResult strip = glyphon::artworkFromBitmapBytes(bytes);
            load.push_back(timer.nsecsElapsed() / 1e6);
            if (!strip.artwork)
                return 1;

            art.setArtwork(strip.artwork); // empties the kept pictures
            timer.restart();
            for (int i = 0; i < 36; ++i) {
                const glyphon::BoardTile tile{i % 5, 1 + i % 26, i % 7 == 0, i % 3};
                art.drawtile(tile, tile.owner, 1.0);
            }
            paint.push_back(timer.nsecsElapsed() / 1e6);
        }
        std::printf("%-12s load and cut %.2f ms, 36 tiles painted %.2f ms (median of %d)\n", name,
                    median(load), median(paint), runs);
    }
    art.setArtwork(nullptr);
    return 0;
}
