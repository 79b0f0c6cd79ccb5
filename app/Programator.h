// The main window of the programmer: the menu, the memory grid and the status
// label, with one handler per command.
#pragma once

#include <QList>
#include <QMainWindow>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>

#include "Toolkit.h"
#include "memimage.h"
#include "port_name.h"

class QAction;
class QCloseEvent;
class QDragEnterEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QTableView;
class GridModel;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window and runs Init. The toolkit shows every message box
    // and dialog; it must outlive the window.
    explicit TForm1(Toolkit& toolkit, QWidget* parent = nullptr);
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

    // Components, named as the menu and controls are named in the layout.
    QMenuBar* MainMenu1;
    QMenu* Soubor1;
    QAction* Otev1;
    QAction* N1;
    QAction* Konec1;
    QMenu* Nstroje1;
    QAction* Programuj1;
    QMenu* Nastaven1;
    QAction* port1;
    QMenu* Npovda1;
    QAction* Vytvoil1;
    QTableView* SData;
    GridModel* SDataCells;
    QLabel* Informace;
    QAction* port2;
    QAction* port3;
    QAction* port4;
    QAction* port5;

    // Loads `file` exactly as Otevřít would load it when chosen in its dialog.
    void OpenFile(const QString& file);

    // Loads a file dropped on the window, exactly as Otevřít would load it;
    // anything but one local file is refused with a warning.
    void FileDropped(const QList<QUrl>& urls);

public slots:
    void Init();
    void Otev1Click();
    void Konec1Click();
    void Programuj1Click();
    void Vytvoil1Click();
    void port2Click();
    void port1Click();
    void port3Click();
    void port4Click();
    void port5Click();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Makes the whole window, frame included, the layout's size.
    void FitFrame();
    // Sets each port item's tooltip to the device it opens now.
    void ShowPortDevices();
    // Closes the port in use when its device has gone (not mid-transfer).
    void LetGoOfAVanishedPort();
    void SelectPort(int number);
    [[noreturn]] void Fatal(const QString& text, MsgKind kind);
    void BuildMenu();
    void BuildControls();
    QAction* AddCommand(QMenu* menu, const char* name, const QString& caption,
                        void (TForm1::*handler)());

    Toolkit& toolkit_;
    PortName selectedPort_ = PortName::Com(1);  // the port chosen last (COM1 at start)
    QString lastFolder_;         // of the last file opened or dropped in this run
    bool transferring_ = false;  // the window must not close mid-transfer
    bool frameFitted_ = false;
};

// The single main window, set while it exists.
extern TForm1* Form1;
