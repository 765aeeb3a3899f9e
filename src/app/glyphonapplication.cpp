#include "app/glyphonapplication.h"

#include "protocol/tsock.h"
#include "windows/windowutil.h"

#include <QIcon>
#include <QMessageBox>
#include <exception>

GlyphonApplication::GlyphonApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Glyphon"));
    // No display name: desktops append it to every caption, and the
    // captions must read exactly as the windows set them.
    setApplicationVersion(QStringLiteral("1.0.2"));
    setDesktopFileName(QStringLiteral("glyphon"));
    QIcon icon;
    for (int size : {48, 128, 256})
        icon.addFile(QStringLiteral(":/icons/glyphon-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
}

bool GlyphonApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const ESockException &e) {
        showError(e.message());
    } catch (const std::exception &e) {
        showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

void GlyphonApplication::showError(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Glyphon"), text, QMessageBox::Ok);
    glyphon::execOnTop(box);
}
