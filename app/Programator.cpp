#include "Programator.h"

#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>

#include "ClassSetDialog.h"
#include "FileFollower.h"
#include "DiagnosisDialog.h"
#include "GridModel.h"
#include "QtText.h"
#include "Settings.h"
#include "Translations.h"
#include "grid_layout.h"
#include "hexfile.h"
#include "rebuilt_file.h"
#include "memimage.h"
#include "diagnosis.h"
#include "board_run.h"
#include "messages.h"
#include "run_result.h"
#include "system_info.h"
#include "transfer.h"

TForm1* Form1 = nullptr;

namespace {

// How often the idle window looks whether its port's device is still there.
constexpr std::chrono::milliseconds kPortWatchInterval{250};

constexpr int kRecentFiles = 5;
const QString kLastFolderKey = QStringLiteral("lastFolder");
const QString kRecentKey = QStringLiteral("recentFiles");

}  // namespace

TForm1::TForm1(Toolkit& toolkit, PortLister ports, QWidget* parent)
    : QMainWindow(parent), toolkit_(toolkit), listPorts_(std::move(ports)) {
    BuildLayout();
    setAcceptDrops(true);
    lastFolder_ = ProgramSettings()->value(kLastFolderKey).toString();
    ShowRecentFiles(ProgramSettings()->value(kRecentKey).toStringList());
    follower_ = new FileFollower(this);
    connect(follower_, &FileFollower::Due, this, [this] { RunCommand([this] { Reload(); }); });
    // An adapter pulled out while the window is idle is let go of at once,
    // so that the system frees its name for the adapter plugged in again.
    auto* portWatch = new QTimer(this);
    connect(portWatch, &QTimer::timeout, this, [this] {
        if (!transferring_) ComHandle.LetGoIfGone();
    });
    portWatch->start(kPortWatchInterval);
    Form1 = this;
    Init();
}

TForm1::~TForm1() {
    // The port belongs to the window's session: it is given back with the
    // window (ComHandle closes itself).
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::RunCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        ShowMessageBox(QString::fromUtf8(error.what()), MsgKind::Error, mbOK);
    } catch (...) {
        ShowMessageBox(QString(), MsgKind::Error, mbOK);
    }
}

ModalResult TForm1::ShowMessageBox(const QString& text, MsgKind kind, MsgButtons buttons) {
    // An error or a warning, not a question, is kept for the diagnosis.
    if (kind != MsgKind::Information && !(buttons & mbNo)) lastError_ = text;
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
            return port.UsbAdapter() && FindPort({port}, ComHandle.Port().Device()) == nullptr;
        });
        if (adapter != ports.end()) {
            const QString offer = text + '\n' + Q(UseAdapterInstead(*adapter));
            if (ShowMessageBox(offer, kind, mbYes | mbNo) == ModalResult::Yes && TakeOfferedAdapter(*adapter)) return;
            std::exit(1);
        }
    }
    ShowMessageBox(text, kind, mbYes);
    std::exit(1);
}

bool TForm1::TakeOfferedAdapter(const PortInfo& adapter) {
    starting_ = false;
    // An adapter behind COM2..COM5 is taken as that COM item, exactly as if
    // the user had chosen it.
    for (const ComPort& slot : ComPorts({adapter})) {
        if (slot.listed != nullptr) return SelectPort(slot.port, std::nullopt);
    }
    return SelectPort(PortName::Device(adapter.device), adapter);
}

void TForm1::OpenComPort(std::uint8_t index) {
    const PortName port = PortName::Com(index + 1);
    const OpenResult result = ComHandle.Open(port);
    if (result.ok()) return;
    Fatal(Q(PortOpenMessage(result, port, listPorts_())),
          result.failure == PortFailure::CannotOpen ? MsgKind::Error : MsgKind::Warning);
}

bool TForm1::SelectPort(const PortName& port, const std::optional<PortInfo>& listed) {
    const OpenResult result = ComHandle.SwitchTo(port, listed);
    Ports->MarkInUse();
    if (result.ok()) return true;
    const QString text = Q(PortOpenMessage(result, port, listPorts_()));
    if (port.IsMenuPort()) {
        Fatal(text, result.failure == PortFailure::CannotOpen ? MsgKind::Error : MsgKind::Warning);
    } else {
        ShowMessageBox(text, MsgKind::Error, mbOK);
    }
    return false;
}

void TForm1::SetStatus(TextKey key, const QString& rest) {
    SetStatus(Q(Text().*key) + rest);
    statusKey_ = key;
    statusRest_ = rest;
}

void TForm1::SetStatus(const QString& text) {
    statusKey_ = nullptr;
    Informace->setText(text);
    // The label sizes itself to its text, keeping its place and height.
    Informace->resize(std::max(Informace->sizeHint().width(), 1), Informace->height());
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
    OpenDialogOptions options{Q(Text().kOpenFilter), QStringLiteral("hex"), lastFolder_};
    const std::optional<QString> file = toolkit_.ExecuteOpenDialog(this, options);
    if (!file) {
        // A cancelled dialog erases the image and the grid.
        FillImage();
        RefreshGrid(*SDataCells);
        KeepCurrentCell();
        follower_->Stop();
        return;
    }
    OpenFile(*file);
}

void TForm1::OpenFile(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    lastFolder_ = QFileInfo(path).absolutePath();
    ProgramSettings()->setValue(kLastFolderKey, lastFolder_);
    // Erase, then load: a file that cannot be loaded changes nothing.
    const std::optional<FileStamp> loaded = StampOf(std::filesystem::path(path.toStdU16String()));
    const HexResult result = EraseAndLoadHexFile(std::filesystem::path(path.toStdU16String()), MemImage);
    if (!result.ok()) {
        WarnNotLoaded(result, file);
        return;
    }
    RefreshGrid(*SDataCells);
    KeepCurrentCell();
    follower_->Follow(path, loaded);
    Remember(path);
}

void TForm1::Reload() {
    const QString file = follower_->File();
    if (file.isEmpty()) return;
    if (transferring_) {
        reloadPending_ = true;  // a transfer never sends a half-reloaded image
        return;
    }
    auto image = std::make_unique<ImageCells>();
    const HexResult result = EraseAndLoadHexFile(std::filesystem::path(file.toStdU16String()), *image);
    switch (follower_->Judge(result)) {
        case RebuiltFile::Verdict::Wait:
            return;  // still being written
        case RebuiltFile::Verdict::Refuse:
            WarnNotLoaded(result, file);
            return;
        case RebuiltFile::Verdict::Take:
            break;
    }
    MemImage = *image;
    RefreshGrid(*SDataCells);
    KeepCurrentCell();
    SetStatus(&TextTable::kReloaded, QFileInfo(file).fileName());
}

void TForm1::WarnNotLoaded(const HexResult& result, const QString& file) {
    ShowMessageBox(Q(HexLoadMessage(result, QDir::toNativeSeparators(file).toStdString())), MsgKind::Warning, mbYes);
}

void TForm1::ReloadIfPending() {
    if (!reloadPending_) return;
    reloadPending_ = false;
    Reload();
}

void TForm1::Remember(const QString& file) {
    const QString path = QFileInfo(file).absoluteFilePath();
    QStringList recent = ProgramSettings()->value(kRecentKey).toStringList();
    recent.removeAll(path);
    recent.prepend(path);
    while (recent.size() > kRecentFiles) recent.removeLast();
    ProgramSettings()->setValue(kRecentKey, recent);
    ShowRecentFiles(recent);
}

void TForm1::ShowRecentFiles(const QStringList& recent) {
    // The items are made once and then only rewritten: one that is chosen
    // may rewrite the list while its own signal runs.
    if (recentSeparator_ == nullptr) {
        recentSeparator_ = Soubor1->addSeparator();
        for (int n = 0; n < kRecentFiles; ++n) {
            QAction* item = Soubor1->addAction(QString());
            connect(item, &QAction::triggered, this,
                    [this, item] { RunCommand([this, path = item->data().toString()] { OpenRecent(path); }); });
            recentItems_.append(item);
        }
    }
    RecentFiles.clear();
    for (int n = 0; n < kRecentFiles; ++n) {
        QAction* item = recentItems_[n];
        item->setVisible(n < recent.size());
        if (n >= recent.size()) continue;
        const QFileInfo info(recent[n]);
        item->setText(QStringLiteral("&%1 %2").arg(n + 1).arg(info.fileName()));
        item->setToolTip(QDir::toNativeSeparators(info.absolutePath()));
        item->setData(recent[n]);
        RecentFiles.append(item);
    }
    recentSeparator_->setVisible(!recent.isEmpty());
}

void TForm1::OpenRecent(const QString& path) {
    if (QFileInfo::exists(path)) {
        OpenFile(path);
        return;
    }
    QStringList kept = ProgramSettings()->value(kRecentKey).toStringList();
    kept.removeAll(path);
    ProgramSettings()->setValue(kRecentKey, kept);
    ShowRecentFiles(kept);
    ShowMessageBox(Q(RecentFileGone(QDir::toNativeSeparators(path).toStdString())), MsgKind::Warning, mbOK);
}

void TForm1::FileDropped(const QList<QUrl>& urls) {
    if (urls.size() != 1 || !urls.first().isLocalFile()) {
        ShowMessageBox(Q(Text().kDropOneFile), MsgKind::Warning, mbOK);
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

void TForm1::Konec1Click() {
    close();
}

namespace {

// How far the one board of Programuj has got.
class Progress : public RunObserver {
public:
    void Progressed(std::size_t, std::size_t left) override { left_ = left; }
    std::size_t Left() const { return left_; }

private:
    std::atomic<std::size_t> left_{0};
};

}  // namespace

void TForm1::Programuj1Click() {
    SetStatus(&TextTable::kProgramming);
    if (ShowMessageBox(Q(Text().kConfirmProgramming), MsgKind::Warning, mbYes | mbNo) != ModalResult::Yes) {
        SetStatus(&TextTable::kProgrammingCancelled);
        return;
    }

    // One board, through the window's own connection: a port whose device
    // vanished is let go and opened afresh, exactly as at selection.
    Progress progress;
    std::optional<BoardOutcome> outcome;
    transferring_ = true;
    {
        BoardRun run(MakeProgrammingStream(MemImage), std::nullopt, &progress);
        run.Add({ComHandle.Port(), ComHandle.ChosenBy(), &ComHandle});
        toolkit_.ShowProgress(this, kStreamBytes, Q(ProgressPortText(PortLabel(ComHandle))),
                              {[&] { return progress.Left(); }, [&] { return run.Ended(); }});
        run.Wait();
        outcome = run.Outcomes().front();
    }
    transferring_ = false;

    const BoardResult& result = *outcome->result;
    // A port that could not be opened is worded with the ports there are.
    const std::vector<PortInfo> ports = result.opened.ok() ? std::vector<PortInfo>{} : listPorts_();
    ShowMessageBox(Q(BoardMessage(result, ComHandle.Port(), ports)), result.ok() ? MsgKind::Information : MsgKind::Error,
                   mbOK);
    SetStatus(QString());
    ReloadIfPending();
}

void TForm1::Programujvechnydesky1Click() {
    ClassSetDialog dialog(this, toolkit_, listPorts_, ComHandle,
                          QDir::toNativeSeparators(follower_->File()).toStdString());
    connect(&dialog, &ClassSetDialog::RunningChanged, this, [this](bool running) {
        transferring_ = running;
        if (!running) RunCommand([this] { ReloadIfPending(); });
    });
    toolkit_.ExecDialog(dialog);
}

void TForm1::Diagnostika1Click() {
    DiagnosisDialog dialog(this, Q(DiagnosisText(KTQ_VERSION, SystemDescription(), listPorts_(), lastError_.toStdString())));
    toolkit_.ExecDialog(dialog);
}

void TForm1::ChooseLanguage(Language language) {
    UseLanguage(language);
    ApplyTexts();
    if (QString file; !KeepLanguage(language, file)) {
        ShowMessageBox(Q(Format(Text().kLanguageNotKept, {QDir::toNativeSeparators(file).toStdString()})),
                       MsgKind::Warning, mbOK);
    }
    Ports->Refresh();  // the COM items' tooltips, the other ports' items
}

void TForm1::Vytvoil1Click() {
    ShowMessageBox(Q(AboutText(KTQ_VERSION)), MsgKind::Information, mbOK);
}
