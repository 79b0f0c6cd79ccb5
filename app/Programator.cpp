#include "Programator.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "GridModel.h"
#include "QtText.h"
#include "grid_layout.h"
#include "hexfile.h"
#include "memimage.h"
#include "messages.h"
#include "native.h"
#include "port.h"
#include "radix.h"
#include "transfer.h"

TForm1* Form1 = nullptr;

namespace {

// The window's outer size in the layout.
constexpr int kWindowWidth = 567;
constexpr int kWindowHeight = 568;

// Pixel font heights of the layout: the window's font and the label's.
constexpr int kWindowFontPixels = 11;
constexpr int kLabelFontPixels = 16;

// How often the idle window looks whether its port's device is still there.
constexpr std::chrono::milliseconds kPortWatchInterval{250};

}  // namespace

TForm1::TForm1(Toolkit& toolkit, PortLister ports, QWidget* parent)
    : QMainWindow(parent), toolkit_(toolkit), listPorts_(std::move(ports)) {
    setObjectName("Form1");
    setWindowTitle(Q(text::kWindowTitle));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/programator-48.png"));
    icon.addFile(QStringLiteral(":/icons/programator-256.png"));
    setWindowIcon(icon);
    QFont font = this->font();
    font.setPixelSize(kWindowFontPixels);
    setFont(font);
    // The layout's 567 x 568 is the whole window, frame and title bar
    // included; FitFrame takes the frame off once the window has one.
    move(207, 153);
    resize(kWindowWidth, kWindowHeight);

    BuildMenu();
    BuildControls();
    setAcceptDrops(true);
    // An adapter pulled out while the window is idle is let go of at once,
    // so that the system frees its name for the adapter plugged in again.
    auto* portWatch = new QTimer(this);
    connect(portWatch, &QTimer::timeout, this, &TForm1::LetGoOfAVanishedPort);
    portWatch->start(kPortWatchInterval);
    Form1 = this;
    Init();
}

TForm1::~TForm1() {
    // The port belongs to the window's session: give it back with the window.
    ComHandle.Close();
    if (Form1 == this) Form1 = nullptr;
}

QAction* TForm1::AddCommand(QMenu* menu, const char* name, const QString& caption,
                            void (TForm1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler != nullptr) {
        connect(action, &QAction::triggered, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
    }
    return action;
}

void TForm1::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");

    Soubor1 = MainMenu1->addMenu(Q(text::kMenuSoubor));
    Soubor1->setObjectName("Soubor1");
    Otev1 = AddCommand(Soubor1, "Otev1", Q(text::kMenuOtevrit), &TForm1::Otev1Click);
    Otev1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // An ordinary item captioned with eight hyphens, not a separator; it has
    // no handler, so choosing it does nothing.
    N1 = AddCommand(Soubor1, "N1", Q(text::kMenuHyphens), nullptr);
    Konec1 = AddCommand(Soubor1, "Konec1", Q(text::kMenuKonec), &TForm1::Konec1Click);
    Konec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));

    Nstroje1 = MainMenu1->addMenu(Q(text::kMenuNastroje));
    Nstroje1->setObjectName("Nstroje1");
    Programuj1 = AddCommand(Nstroje1, "Programuj1", Q(text::kMenuProgramuj), &TForm1::Programuj1Click);
    Programuj1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));

    Nastaven1 = MainMenu1->addMenu(Q(text::kMenuNastaveni));
    Nastaven1->setObjectName("Nastaven1");
    port1 = AddCommand(Nastaven1, "port1", Q(PortName::Com(1).Name()), &TForm1::port1Click);
    port2 = AddCommand(Nastaven1, "port2", Q(PortName::Com(2).Name()), &TForm1::port2Click);
    port3 = AddCommand(Nastaven1, "port3", Q(PortName::Com(3).Name()), &TForm1::port3Click);
    port4 = AddCommand(Nastaven1, "port4", Q(PortName::Com(4).Name()), &TForm1::port4Click);
    port5 = AddCommand(Nastaven1, "port5", Q(PortName::Com(5).Name()), &TForm1::port5Click);
    // COM1 is the port opened at start, so its item is the disabled one.
    port1->setEnabled(false);
    // Each item names the device it stands for, read as the menu opens.
    Nastaven1->setToolTipsVisible(true);
    connect(Nastaven1, &QMenu::aboutToShow, this, [this] { RunCommand([this] { ShowPortDevices(); }); });

    Npovda1 = MainMenu1->addMenu(Q(text::kMenuNapoveda));
    Npovda1->setObjectName("Npovda1");
    Vytvoil1 = AddCommand(Npovda1, "Vytvoil1", Q(text::kMenuVytvoril), &TForm1::Vytvoil1Click);
}

void TForm1::BuildControls() {
    // Fixed positions: resizing the window leaves the grid and label as they are.
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);

    SDataCells = new GridModel(this);
    SData = new QTableView(client);
    SData->setObjectName("SData");
    SData->setModel(SDataCells);
    SData->setItemDelegate(new GridCellDelegate(SData));
    SData->setGeometry(14, 40, 531, 409);
    SData->horizontalHeader()->hide();
    SData->verticalHeader()->hide();
    SData->horizontalHeader()->setMinimumSectionSize(1);
    SData->verticalHeader()->setMinimumSectionSize(1);
    SData->horizontalHeader()->setDefaultSectionSize(30);
    SData->verticalHeader()->setDefaultSectionSize(20);
    SData->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SData->setShowGrid(false);
    SData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SData->setSelectionMode(QAbstractItemView::SingleSelection);
    SData->setWordWrap(false);
    SData->setTextElideMode(Qt::ElideNone);
    SData->setToolTip(Q(text::kGridHint));
    SData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SData->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // As in a string grid, the first byte cell (not the fixed column) is current.
    SData->setCurrentIndex(SDataCells->index(0, 1));
    SData->setFocus();

    Informace = new QLabel(client);
    Informace->setObjectName("Informace");
    QFont labelFont = Informace->font();
    labelFont.setPixelSize(kLabelFontPixels);
    Informace->setFont(labelFont);
    Informace->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Informace->setGeometry(192, 472, 249, 20);
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const ConversionError& error) {
        ShowMessageBox(Q(ConversionMessage(error)), MsgKind::Error, mbOK);
    } catch (const std::exception& error) {
        ShowMessageBox(QString::fromUtf8(error.what()), MsgKind::Error, mbOK);
    } catch (...) {
        ShowMessageBox(QString(), MsgKind::Error, mbOK);
    }
}

ModalResult TForm1::ShowMessageBox(const QString& text, MsgKind kind, MsgButtons buttons) {
    return toolkit_.MessageDlg(this, text, kind, buttons);
}

void TForm1::Init() {
    LabelGrid(*SDataCells);
    starting_ = true;
    OpenComPort(0);
    starting_ = false;
}

void TForm1::Fatal(const QString& text, MsgKind kind) {
    // At start, a USB adapter the machine has may stand in for COM1; a
    // built-in port never: it may be the machine's own console.
    if (starting_) {
        const std::vector<PortInfo> ports = listPorts_();
        const auto adapter = std::find_if(ports.begin(), ports.end(), [this](const PortInfo& port) {
            return port.usb && FindPort({port}, selectedPort_.Device()) == nullptr;
        });
        if (adapter != ports.end()) {
            const QString offer = text + '\n' + Q(UseAdapterInstead(*adapter));
            if (ShowMessageBox(offer, kind, mbYes | mbNo) == ModalResult::Yes) {
                // An adapter behind COM2..COM5 is taken as that COM item,
                // exactly as if the user had chosen it.
                for (int n = 2; n <= kMenuPorts; ++n) {
                    if (FindPort({*adapter}, PortName::Com(n).Device()) == nullptr) continue;
                    starting_ = false;
                    SelectPort(n);
                    return;
                }
                if (SelectOtherPort(*adapter)) return;
            }
            std::exit(1);
        }
    }
    ShowMessageBox(text, kind, mbYes);
    std::exit(1);
}

void TForm1::OpenComPort(std::uint8_t index) {
    selectedPort_ = PortName::Com(index + 1);
    selectedOther_.reset();
    const OpenResult result = OpenPort(selectedPort_, ComHandle, ComState, ComTimeouts);
    if (result.ok()) return;
    Fatal(Q(PortOpenMessage(result, selectedPort_)),
          result.failure == PortFailure::CannotOpen ? MsgKind::Error : MsgKind::Warning);
}

void TForm1::SelectPort(int number) {
    ComHandle.Close();
    OpenComPort(static_cast<std::uint8_t>(number - 1));
    MarkPortInUse();
}

bool TForm1::SelectOtherPort(const PortInfo& port) {
    const PortName name = PortName::Device(port.device);
    PortHandle opened;
    CommStateRecord state{};
    CommTimeouts timeouts;
    const OpenResult result = OpenPort(name, opened, state, timeouts);
    if (!result.ok()) {
        ShowMessageBox(Q(PortOpenMessage(result, name)), MsgKind::Error, mbOK);
        return false;
    }
    ComHandle = std::move(opened);
    ComState = state;
    ComTimeouts = timeouts;
    selectedPort_ = name;
    selectedOther_ = port;
    MarkPortInUse();
    return true;
}

void TForm1::MarkPortInUse() {
    QAction* const items[] = {port1, port2, port3, port4, port5};
    for (int n = 1; n <= kMenuPorts; ++n) items[n - 1]->setEnabled(selectedOther_ || selectedPort_.Number() != n);
    for (QAction* item : otherPorts) {
        item->setEnabled(!selectedOther_ || item->data().toString() != Q(selectedOther_->device));
    }
}

std::string TForm1::SelectedPortLabel() const {
    return selectedOther_ ? PortLabel(*selectedOther_) : selectedPort_.Name();
}

void TForm1::LetGoOfAVanishedPort() {
    if (!transferring_ && ComHandle.IsOpen() && PortGone(ComHandle)) ComHandle.Close();
}

void TForm1::SetStatus(const QString& text) {
    Informace->setText(text);
    // The label sizes itself to its text, keeping its place and height.
    Informace->resize(std::max(Informace->sizeHint().width(), 1), Informace->height());
}

bool TForm1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The window system tells the frame only after the window is shown and
    // decorated, which it follows with a move or a resize.
    if (!frameFitted_ && (event->type() == QEvent::Show || event->type() == QEvent::Move ||
                          event->type() == QEvent::Resize)) {
        FitFrame();
    }
    return handled;
}

void TForm1::FitFrame() {
    if (windowHandle() == nullptr || !isVisible()) return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) return;  // not decorated (yet), or never (offscreen)
    frameFitted_ = true;
    resize(kWindowWidth - frame.left() - frame.right(), kWindowHeight - frame.top() - frame.bottom());
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Closing mid-transfer would leave the board half-programmed.
    if (transferring_) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TForm1::Otev1Click() {
    OpenDialogOptions options{Q(text::kOpenFilter), QStringLiteral("hex"), lastFolder_};
    const std::optional<QString> file = toolkit_.ExecuteOpenDialog(this, options);
    if (!file) {
        // A cancelled dialog erases the image and the grid.
        FillImage();
        RefreshGrid(*SDataCells);
        return;
    }
    OpenFile(*file);
}

void TForm1::OpenFile(const QString& file) {
    lastFolder_ = QFileInfo(file).absolutePath();
    // Erase, then load: a file that cannot be loaded changes nothing.
    const HexResult result = EraseAndLoadHexFile(std::filesystem::path(file.toStdU16String()), MemImage);
    if (!result.ok()) {
        ShowMessageBox(Q(HexLoadMessage(result, QDir::toNativeSeparators(file).toStdString())), MsgKind::Warning,
                       mbYes);
        return;
    }
    RefreshGrid(*SDataCells);
}

void TForm1::FileDropped(const QList<QUrl>& urls) {
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        ShowMessageBox(Q(text::kDropOneFile), MsgKind::Warning, mbOK);
        return;
    }
    OpenFile(urls.first().toLocalFile());
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    // Nothing is taken while a transfer runs.
    if (!transferring_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    if (transferring_ || !event->mimeData()->hasUrls()) return;
    event->acceptProposedAction();
    const QList<QUrl> urls = event->mimeData()->urls();
    RunCommand([this, urls] { FileDropped(urls); });
}

void TForm1::ShowPortDevices() {
    std::vector<PortInfo> ports = listPorts_();
    QAction* const items[] = {port1, port2, port3, port4, port5};
    std::vector<bool> behindComItem(ports.size(), false);
    for (int n = 1; n <= kMenuPorts; ++n) {
        const std::string device = PortName::Com(n).Device();
        const PortInfo* found = FindPort(ports, device);
        items[n - 1]->setToolTip(Q(ComItemTooltip(device, found, found == nullptr && DeviceExists(device))));
        if (found != nullptr) behindComItem[static_cast<std::size_t>(found - ports.data())] = true;
    }
    // The port in use stays in the menu, even when it is no longer found.
    if (selectedOther_ && FindPort(ports, selectedOther_->device) == nullptr) {
        ports.push_back(*selectedOther_);
        behindComItem.push_back(false);
    }

    for (QAction* item : otherPorts) delete item;
    otherPorts.clear();
    QAction* separator = Nastaven1->findChild<QAction*>(QStringLiteral("otherPortsSeparator"));
    delete separator;
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (behindComItem[i]) continue;
        if (otherPorts.isEmpty()) Nastaven1->addSeparator()->setObjectName(QStringLiteral("otherPortsSeparator"));
        const PortInfo port = ports[i];
        QAction* item = Nastaven1->addAction(Q(PortLabel(port)));
        item->setData(Q(port.device));
        item->setToolTip(Q(port.stableName.empty() ? SystemPath(port.device) : port.stableName));
        connect(item, &QAction::triggered, this, [this, port] { RunCommand([this, port] { SelectOtherPort(port); }); });
        otherPorts.append(item);
    }
    MarkPortInUse();
}

void TForm1::Konec1Click() {
    close();
}

void TForm1::Programuj1Click() {
    SetStatus(Q(text::kProgramming));
    if (ShowMessageBox(Q(text::kConfirmProgramming), MsgKind::Warning, mbYes | mbNo) != ModalResult::Yes) {
        SetStatus(Q(text::kProgrammingCancelled));
        return;
    }

    // A port whose device vanished was let go, so that its name is free for
    // the adapter when it is plugged in again: open it afresh, exactly as at
    // selection. Failing that, the program goes on.
    LetGoOfAVanishedPort();
    if (!ComHandle.IsOpen()) {
        const OpenResult reopened = OpenPort(selectedPort_, ComHandle, ComState, ComTimeouts);
        if (!reopened.ok()) {
            ShowMessageBox(Q(PortOpenMessage(reopened, selectedPort_)), MsgKind::Error, mbOK);
            SetStatus(QString());
            return;
        }
    }

    const ProgrammingStream stream = MakeProgrammingStream(MemImage);
    const std::chrono::milliseconds limit = WriteLimit(ComTimeouts, stream.size());
    WriteResult result;
    transferring_ = true;
    try {
        toolkit_.RunWithProgress(this, stream.size(), Q(ProgressPortText(SelectedPortLabel())),
                                 [&](const std::function<void(std::size_t)>& progress) {
            result = WritePort(ComHandle, stream, limit, progress);
        });
    } catch (...) {
        transferring_ = false;
        SetStatus(QString());
        throw;
    }
    transferring_ = false;
    // After any failure but a time-out the handle may be useless (a device
    // gone, a driver that refuses it from now on): the next Programuj opens
    // the port afresh. A timed-out line is only slow, and stays open.
    if (!result.ok() && result.cause != PortCause::TimedOut) ComHandle.Close();

    if (result.ok()) {
        ShowMessageBox(Q(text::kProgrammingDone), MsgKind::Information, mbOK);
    } else {
        ShowMessageBox(Q(TransferFailedMessage(result, stream.size(), selectedPort_)), MsgKind::Error, mbOK);
    }
    SetStatus(QString());
}

void TForm1::Vytvoil1Click() {
    ShowMessageBox(Q(AboutText(KTQ_VERSION)), MsgKind::Information, mbOK);
}

void TForm1::port1Click() { SelectPort(1); }
void TForm1::port2Click() { SelectPort(2); }
void TForm1::port3Click() { SelectPort(3); }
void TForm1::port4Click() { SelectPort(4); }
void TForm1::port5Click() { SelectPort(5); }
