#include "server/soloport.h"

#include "protocol/tsock.h"

namespace glyphon {

void listenForSoloGame(TSock &listener, std::optional<quint16> wanted)
{
    listener.setLoopbackOnly(true);
    if (wanted) {
        listener.setPortName(QString::number(*wanted));
        try {
            listener.setListen(true);
            return;
        } catch (const ESockException &) {
            // The failed bind leaves its handle open; a second try needs it gone.
            listener.Close();
        }
    }
    listener.setPortName(QStringLiteral("0"));
    listener.setListen(true);
}

} // namespace glyphon
