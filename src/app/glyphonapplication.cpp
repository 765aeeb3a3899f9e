#include "app/glyphonapplication.h"

#include "protocol/tsock.h"

#include <QIcon>
#include <QMessageBox>
#include <exception>

GlyphonApplication::GlyphonApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Glyphon"));
    setApplicationDisplayName(QStringLiteral("Glyphon"));
    setApplicationVersion(QStringLiteral("1.0.2"));
    setDesktopFileName(QStringLiteral("glyphon"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/glyphon.png")));
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
    box.exec();
}
