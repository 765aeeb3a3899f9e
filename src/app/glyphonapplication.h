#pragma once
// The application object: title, desktop entry and icon, and the top-level
// handler that shows an error raised inside the event loop in a message box
// and lets the program go on.

#include <QApplication>

class GlyphonApplication : public QApplication
{
public:
    GlyphonApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows text in a message box captioned with the application title.
    static void showError(const QString &text);
};
