// Cost of the settings file: one load (every key) and one save (thirteen keys,
// new copy renamed over the old) of a typical file and of a file just under
// the 1 MiB cap, which another program could have filled. Prints medians.
// Run: bench_settings [runs]

#include "settings/profilefile.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void measure(const char *label, const QByteArray &content, int runs)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("marnetlobby.ini"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(content);
    f.close();
    const glyphon::ProfileFile file(path);
    glyphon::ClientSettings settings;
    std::vector<double> loads, saves;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        const glyphon::StoredSettings s = glyphon::readSettings(file.read(), QStringLiteral("Glyphon"));
        loads.push_back(t.nsecsElapsed() / 1e3);
        settings.textSize = s.textSize + (i % 2); // a real change each time
        t.restart();
        file.write(QStringLiteral("Glyphon"), glyphon::settingsEntries(settings, s.placement));
        saves.push_back(t.nsecsElapsed() / 1e3);
    }
    std::printf("%-28s load %8.1f us   save %8.1f us\n", label, median(loads), median(saves));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 51;
    QByteArray typical = "[MarnetLobby]\r\nName=Ann\r\nServer=lobby.example.org\r\n\r\n[Glyphon]\r\n";
    for (const auto &[key, value] : glyphon::settingsEntries({}, {}))
        typical += key.toUtf8() + '=' + value.toUtf8() + "\r\n";
    measure("typical (15 lines)", typical, runs);
    QByteArray large;
    for (int n = 0; large.size() < glyphon::ProfileFile::MaxBytes - 4096; ++n)
        large += "[Other" + QByteArray::number(n / 50) + "]\r\nKey" + QByteArray::number(n) + "=some value here\r\n";
    measure("near the 1 MiB cap", typical + large, runs);
    return 0;
}
