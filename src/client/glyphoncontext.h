#pragma once
// One running copy of the program: its nine windows, created hidden in a
// fixed order, the client window first. Nothing is global, so a test can run
// a hosting copy and a joining copy side by side in one process.

#include "artwork/tilepainter.h"
#include "client/clientconfig.h"

#include <QObject>
#include <QStringList>

class Tchat;
class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class Tspylist;
class Ttallylist;

namespace glyphon {
class Hosting;
}

class GlyphonContext : public QObject
{
    Q_OBJECT
public:
    // params: the command line without the program name.
    explicit GlyphonContext(const QStringList &params = {}, const glyphon::ClientConfig &config = {},
                            QObject *parent = nullptr);
    // Destroys the windows in reverse order: the host's sockets close and
    // the dictionary removes the word file it wrote.
    ~GlyphonContext() override;

    const glyphon::ClientConfig config;
    // This copy's tile pictures: a tile set chosen here shows nowhere else.
    glyphon::TileArt art;
    Tchat *chat = nullptr;
    Tabout *about = nullptr;
    Tdownload *download = nullptr;
    Tgamestart *gamestart = nullptr;
    Thelp *help = nullptr;
    Tphrases *phrases = nullptr;
    // The copy's game host, used as a solo game's, a hosting copy's, or not
    // at all; it ends when the main window closes, and the program with it.
    glyphon::Hosting *hosting = nullptr;
    Tspylist *spylist = nullptr;
    Ttallylist *tallylist = nullptr;

    // Shows the main window, whose first show reads the command line.
    void start();
};
