// The main window of the programmer: the menu, the memory grid and the status
// label, with one handler per command.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>

#include "FileFollower.h"
#include "PortMenu.h"
#include "Toolkit.h"
#include "port_connection.h"
#include "port_list.h"
#include "port_name.h"
#include "texts.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QTableView;
class QTimer;
struct HexResult;
class GridModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs Init. The toolkit shows every message box
    // and dialog; it must outlive the window. The ports found by `ports`
    // are offered in the Nastavení menu beside COM1..COM5.
    explicit TForm1(Toolkit& toolkit, PortLister ports = ListPorts, QWidget* parent = nullptr);
    ~TForm1() override;

    // Runs one command; an exception that leaves it is reported in a modal
    // box with its message, and the program goes on.
    void RunCommand(const std::function<void()>& command);

    // Shows a message box through the toolkit, with this window as parent.
    ModalResult ShowMessageBox(const QString& text, MsgKind kind, MsgButtons buttons);

    // Opens and configures COM(index + 1) as the port in use. A port that
    // cannot be opened or set up is fatal: the message is shown and the
    // process ends with status 1. An index above 4 names no device.
    void OpenComPort(std::uint8_t index);

    // Writes the status line.
    void SetStatus(const QString& text);
    // Writes the status line with the text of `key` and then `rest`, said
    // again in the new language when the language changes.
    void SetStatus(TextKey key, const QString& rest = {});

    // Puts `language` in use at once, keeps it in the settings for the next
    // start, and says every caption of the window in it.
    void ChooseLanguage(Language language);

    // Components, named as the menu and controls are named in the layout.
    QMenuBar* MainMenu1;
    QMenu* Soubor1;
    QAction* Otev1;
    QAction* N1;
    QAction* Konec1;
    QMenu* Nstroje1;
    QAction* Programuj1;
    QAction* Programujvechnydesky1;
    QMenu* Nastaven1;
    QAction* port1;
    QMenu* Npovda1;
    QAction* Vytvoil1;
    QAction* Diagnostika1;
    QTableView* SData;
    GridModel* SDataCells;
    QLabel* Informace;
    QAction* port2;
    QAction* port3;
    QAction* port4;
    QAction* port5;
    // The ports of the Nastavení menu: port1..port5 and the other ports.
    PortMenu* Ports;
    // Nastavení's last item, the language, captioned in both languages.
    QMenu* JazykLanguage1;
    QAction* etina1;
    QAction* English1;

    // The port in use, with its line settings and time-outs: COM1 at start,
    // afterwards the last one chosen. Held until the next choice or the end
    // of the window.
    PortConnection ComHandle;

    // Loads `file` exactly as Otevřít would load it when chosen in its dialog,
    // and follows it from then on: a file that the compiler rewrites is
    // loaded again once it has stayed unchanged for a moment (not during a
    // transfer: after it).
    void OpenFile(const QString& file);

    // The recently loaded files, newest first, as Soubor lists them.
    QList<QAction*> RecentFiles;

    // Loads a file dropped on the window, exactly as Otevřít would load it;
    // anything but one local file is refused with a warning.
    void FileDropped(const QList<QUrl>& urls);

public slots:
    void Init();
    void Otev1Click();
    void Konec1Click();
    void Programuj1Click();
    void Programujvechnydesky1Click();
    void Vytvoil1Click();
    void Diagnostika1Click();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The window's fixed layout (ProgramatorLayout.cpp): size, font, icon,
    // the menu and the controls.
    void BuildLayout();
    // Makes the whole window, frame included, the layout's size.
    void FitFrame();
    // Makes `port` the port in use, as chosen in the menu: opened first,
    // then the old one given back. A COM item that cannot be opened ends
    // the program, as COM1 at start does; another port that cannot be
    // opened is reported, and the port in use stays. True when `port` is
    // the port in use now.
    bool SelectPort(const PortName& port, const std::optional<PortInfo>& listed);
    // Loads the followed file again, as it has changed: the same erase-then-
    // load as Otevřít, the image kept where it cannot be loaded. A file
    // without its end record is still being written: it is waited for, as
    // the follower's rule says.
    void Reload();
    // The warning of a file that cannot be loaded, as Otevřít gives it.
    void WarnNotLoaded(const HexResult& result, const QString& file);
    // Runs the reload that a change during a transfer put off.
    void ReloadIfPending();
    // Puts `file` first among the recent files, in the settings and in Soubor.
    void Remember(const QString& file);
    void ShowRecentFiles(const QStringList& recent);
    // Loads a recent file; one that is gone is dropped from the list.
    void OpenRecent(const QString& path);
    // Takes the adapter offered at start in place of COM1.
    bool TakeOfferedAdapter(const PortInfo& adapter);
    // A port that cannot be opened at start or when chosen ends the program;
    // at start, a USB adapter that the machine has is offered first, and
    // Fatal returns when the user takes it.
    void Fatal(const QString& text, MsgKind kind);
    void BuildMenu();
    void BuildControls();
    // Captions every menu, item and control in the language in use.
    void ApplyTexts();
    // Makes the first byte cell current where the grid has no current cell.
    void KeepCurrentCell();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption, void (TForm1::*handler)());

    Toolkit& toolkit_;
    PortLister listPorts_;
    bool starting_ = false;      // Init is opening COM1
    QString lastFolder_;         // of the last file loaded, in this run or the last one
    FileFollower* follower_;     // the file the image holds, followed
    QAction* recentSeparator_ = nullptr;
    QList<QAction*> recentItems_;  // Soubor's five, shown as RecentFiles says
    bool reloadPending_ = false;  // the file changed during a transfer
    QString lastError_;          // of the last error or warning box, for the diagnosis
    bool transferring_ = false;  // the window must not close mid-transfer
    bool frameFitted_ = false;
    TextKey statusKey_ = nullptr;  // what the status line says, by key
    QString statusRest_;
};

// The single main window, set while it exists.
extern TForm1* Form1;
