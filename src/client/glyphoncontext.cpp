#include "client/glyphoncontext.h"

#include "client/tchat.h"
#include "server/hosting.h"
#include "windows/about.h"
#include "windows/download.h"
#include "windows/gamestart.h"
#include "windows/help.h"
#include "windows/phrases.h"
#include "windows/spylist.h"
#include "windows/tallylist.h"

GlyphonContext::GlyphonContext(const QStringList &params, const glyphon::ClientConfig &config, QObject *parent)
    : QObject(parent)
    , config(config)
{
    // The order of creation is fixed: the client window first (it is the
    // main window), the host among the others.
    chat = new Tchat(*this, params);
    about = new Tabout(chat);
    download = new Tdownload(this->config.files, {this->config.lobbyInstallerUrl, this->config.lobbyProgram}, chat);
    gamestart = new Tgamestart(chat);
    help = new Thelp(chat);
    phrases = new Tphrases(chat);
    glyphon::HostConfig host;
    host.port = this->config.gamePortNumber();
    // Strangers may join: one address cannot take every seat.
    host.perAddress = glyphon::HostConfig::DefaultPerAddress;
    host.onMissingWordFile = this->config.onMissingWordFile;
    hosting = new glyphon::Hosting(host, this->config.discovery, glyphon::Hosting::Reader::Window, this);
    spylist = new Tspylist(chat);
    tallylist = new Ttallylist(chat, this->config.files.writablePath(QStringLiteral("Glyphontally.tld"),
                                                                    QStandardPaths::AppDataLocation));
    chat->connectSideWindows();
}

GlyphonContext::~GlyphonContext()
{
    // Reverse order; the side windows are children of the client window and
    // are gone before it.
    delete tallylist;
    delete spylist;
    delete hosting;
    delete phrases;
    delete help;
    delete gamestart;
    delete download;
    delete about;
    delete chat;
}

void GlyphonContext::start()
{
    chat->show();
}
