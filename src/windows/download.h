#pragma once
// The window that offers the optional lobby program to a solo player: fetch
// and start its installer, go on with the solo game, or hand over to the
// installed lobby program.

#include "settings/userfiles.h"

#include <QDialog>
#include <QString>

#include <memory>

class QFile;
class QLabel;
class QPushButton;
class THttpCli;

class Tdownload : public QDialog
{
    Q_OBJECT
public:
    // Where the lobby program comes from and where it is installed; an
    // empty text stands for the built-in one.
    struct LobbyPlaces
    {
        QString installerUrl;
        QString program;
    };

    // The installer is saved beside the program when files allow it.
    explicit Tdownload(const glyphon::UserFiles &files, const LobbyPlaces &lobby = {}, QWidget *parent = nullptr);
    ~Tdownload() override;

    // Download state: 0 at creation, 1 while a download runs or after it
    // ended normally, 2 after it was stopped or failed.
    int downloadState() const { return m_state; }

    // The installer's address: the one given, else the one built in.
    QString installerUrl() const;
    // The installed lobby program: the one given, else its fixed place.
    QString lobbyProgram() const;
    // Parameters for a silent installation.
    static QStringList installerParameters();

    // Where the current or last download is saved (final name, not ".part").
    QString installerPath() const { return m_installerPath; }

    QLabel *image_lobby;
    QLabel *label_closed;
    QLabel *Label1;
    QPushButton *getbutton;
    QPushButton *abortbutton;
    QLabel *infolabel;
    QLabel *infolabel3;
    QLabel *infolabel2;
    QLabel *Label7;
    QPushButton *Button1;
    QLabel *Label3;
    QLabel *Label5;
    QPushButton *Button2;
    THttpCli *HttpCli1;

signals:
    // The program should end now (a hand-over to the installer or the lobby).
    void exitRequested();
    // "Play with Others" without the lobby program: open the game's own window.
    void playWithOthersRequested();

public slots:
    void getbuttonClick();
    void abortbuttonClick();
    // "Play Solo Game": the solo game behind the window goes on.
    void Button1Click();
    void Button2Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void HttpCli1HeaderData();
    void HttpCli1DocBegin();
    void HttpCli1DocData(qint64 received);
    void HttpCli1RequestDone(bool succeeded);
    // Closes the partial file and gives it the installer's name when the
    // transfer is complete; removes it otherwise.
    bool keepDownload(bool complete);
    void showMessage(const QString &text);

    glyphon::UserFiles m_files;
    LobbyPlaces m_lobby;
    std::unique_ptr<QFile> m_partFile;
    QString m_installerPath;
    int m_state = 0;
};
