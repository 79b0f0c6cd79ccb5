#include "ClassSetDialog.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <filesystem>

#include "QtText.h"
#include "memimage.h"
#include "flash_texts.h"
#include "messages.h"
#include "report.h"
#include "sha256.h"

namespace {

// How often the bars are redrawn during a run, and the ports read again
// outside one.
constexpr int kTickMs = 50;
constexpr int kWatchMs = 1000;

}  // namespace

ClassSetDialog::ClassSetDialog(QWidget* parent, Toolkit& toolkit, PortLister lister, PortConnection& inUse,
                               std::string file)
    : QDialog(parent), toolkit_(toolkit), lister_(std::move(lister)), inUse_(inUse), file_(std::move(file)) {
    setObjectName("ClassSetDialog");
    setWindowTitle(Q(text::kClassSetTitle));
    resize(900, 380);
    auto* layout = new QVBoxLayout(this);
    Rows = new QTableWidget(0, 5, this);
    Rows->setObjectName("Rows");
    Rows->setHorizontalHeaderLabels({Q(text::kColumnPort), Q(text::kColumnLocation), Q(text::kColumnSerial),
                                     Q(text::kColumnProgress), Q(text::kColumnResult)});
    Rows->verticalHeader()->hide();
    Rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    Rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Rows->setWordWrap(false);
    Rows->horizontalHeader()->setSectionResizeMode(kPortColumn, QHeaderView::ResizeToContents);
    Rows->horizontalHeader()->setSectionResizeMode(kResultColumn, QHeaderView::Stretch);
    layout->addWidget(Rows);
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    layout->addWidget(Summary);
    auto* buttons = new QHBoxLayout;
    ProgramButton = new QPushButton(Q(text::kButtonProgram), this);
    RetryButton = new QPushButton(Q(text::kButtonRetryFailed), this);
    SaveButton = new QPushButton(Q(text::kButtonSaveReport), this);
    CloseButton = new QPushButton(Q(text::kButtonClose), this);
    buttons->addWidget(ProgramButton);
    buttons->addWidget(RetryButton);
    buttons->addStretch();
    buttons->addWidget(SaveButton);
    buttons->addWidget(CloseButton);
    layout->addLayout(buttons);
    connect(ProgramButton, &QPushButton::clicked, this, [this] { Program(false); });
    connect(RetryButton, &QPushButton::clicked, this, [this] { Program(true); });
    connect(SaveButton, &QPushButton::clicked, this, &ClassSetDialog::SaveReport);
    connect(CloseButton, &QPushButton::clicked, this, &ClassSetDialog::reject);

    ticker_ = new QTimer(this);
    connect(ticker_, &QTimer::timeout, this, &ClassSetDialog::Tick);
    // Adapters plugged in or out while the dialog is open, outside a run.
    watcher_ = new QTimer(this);
    connect(watcher_, &QTimer::timeout, this, [this] {
        if (Running()) return;
        const std::vector<Row> now = ListRows();
        bool same = now.size() == rows_.size();
        for (std::size_t i = 0; same && i < now.size(); ++i) same = now[i].Key() == rows_[i].Key();
        if (!same) Refresh();
    });
    watcher_->start(kWatchMs);
    Refresh();
}

ClassSetDialog::~ClassSetDialog() {
    if (worker_.joinable()) worker_.join();
}

std::vector<ClassSetDialog::Row> ClassSetDialog::ListRows() const {
    const std::vector<PortInfo> ports = lister_();
    std::vector<Row> rows;
    std::vector<bool> behindCom(ports.size(), false);
    // COM1..COM5 that have a device behind them, then the other ports.
    for (int n = 1; n <= kMenuPorts; ++n) {
        const PortName port = PortName::Com(n);
        const PortInfo* found = FindPort(ports, port.Device());
        if (found == nullptr && !DeviceExists(port.Device())) continue;
        if (found != nullptr) behindCom[static_cast<std::size_t>(found - ports.data())] = true;
        rows.push_back({port, found != nullptr ? std::optional<PortInfo>(*found) : std::nullopt});
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        if (!behindCom[i] && ports[i].HasPort()) rows.push_back({PortName::Device(ports[i].device), ports[i]});
    }
    // Checked: every USB adapter, and the window's own port.
    for (Row& row : rows) {
        const bool windows = inUse_.ChosenBy() ? row.listed && SameDevice(row.listed->device, inUse_.ChosenBy()->device)
                                               : row.port == inUse_.Port();
        row.checked = windows || (row.listed && row.listed->usb);
    }
    return rows;
}

void ClassSetDialog::Refresh() {
    if (Running()) return;
    std::vector<Row> rows = ListRows();
    for (Row& row : rows) {
        for (Row& old : rows_) {
            if (old.Key() != row.Key()) continue;
            row.checked = old.checked;
            row.result = std::move(old.result);
        }
    }
    rows_ = std::move(rows);
    ShowRows();
}

void ClassSetDialog::ShowRows() {
    Rows->setRowCount(static_cast<int>(rows_.size()));
    bool failed = false;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        const int r = static_cast<int>(i);
        const std::string label = row.port.IsMenuPort()
                                      ? row.port.Name() + ": " +
                                            ComItemTooltip(row.port.Device(), row.listed ? &*row.listed : nullptr, true)
                                      : PortLabel(*row.listed);
        auto* port = new QTableWidgetItem(Q(label));
        port->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        port->setCheckState(row.checked ? Qt::Checked : Qt::Unchecked);
        Rows->setItem(r, kPortColumn, port);
        Rows->setItem(r, kLocationColumn, new QTableWidgetItem(Q(row.listed ? row.listed->location : "")));
        Rows->setItem(r, kSerialColumn, new QTableWidgetItem(Q(row.listed ? row.listed->serial : "")));
        auto* bar = new QProgressBar;
        bar->setRange(0, static_cast<int>(kStreamBytes));
        bar->setValue(row.result ? static_cast<int>(row.result->written.written) : 0);
        Rows->setCellWidget(r, kProgressColumn, bar);
        const std::string message = row.result ? BoardResultMessage(*row.result, row.port, kStreamBytes) : "";
        auto* result = new QTableWidgetItem(Q(Brief(message)));
        result->setToolTip(Q(message));  // the whole message, its advice included
        Rows->setItem(r, kResultColumn, result);
        failed = failed || (row.result && !row.result->ok());
    }
    const bool idle = !Running();
    ProgramButton->setEnabled(idle);
    RetryButton->setEnabled(idle && failed);
    SaveButton->setEnabled(idle && !report_.empty());
    CloseButton->setEnabled(idle);
}

void ClassSetDialog::Program(bool failedOnly) {
    if (Running()) return;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        rows_[i].checked = Rows->item(static_cast<int>(i), kPortColumn)->checkState() == Qt::Checked;
    }
    std::vector<std::size_t> chosen;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const Row& row = rows_[i];
        if (failedOnly ? row.result && !row.result->ok() : row.checked) chosen.push_back(i);
    }
    if (chosen.empty()) {
        toolkit_.MessageDlg(this, Q(text::kNoBoardChecked), MsgKind::Information, mbOK);
        return;
    }
    if (toolkit_.MessageDlg(this, Q(ConfirmBoards(chosen.size())), MsgKind::Warning, mbYes | mbNo) !=
        ModalResult::Yes) {
        return;
    }
    // The window's own port takes part through the window's connection,
    // never by a second open; the others each through one of their own.
    stream_ = MakeProgrammingStream(MemImage);
    own_.clear();
    std::vector<PortConnection*> connections;
    for (const std::size_t i : chosen) {
        Row& row = rows_[i];
        const bool windows = inUse_.ChosenBy() ? row.listed && SameDevice(row.listed->device, inUse_.ChosenBy()->device)
                                               : row.port == inUse_.Port();
        connections.push_back(windows ? &inUse_ : &own_.emplace_back(row.port, row.listed));
        row.result.reset();
    }
    running_ = chosen;
    left_ = std::make_unique<std::atomic<std::size_t>[]>(chosen.size());
    for (std::size_t k = 0; k < chosen.size(); ++k) left_[k] = 0;
    ended_ = false;
    emit RunningChanged(true);
    worker_ = std::thread([this, connections] {
        results_ = ProgramBoards(connections, stream_, std::nullopt,
                                 [this](std::size_t board, std::size_t left) { left_[board] = left; });
        ended_ = true;
    });
    ShowRows();
    Summary->clear();
    ticker_->start(kTickMs);
}

void ClassSetDialog::Tick() {
    if (ended_) {
        Finish();
        return;
    }
    for (std::size_t k = 0; k < running_.size(); ++k) {
        auto* bar = qobject_cast<QProgressBar*>(Rows->cellWidget(static_cast<int>(running_[k]), kProgressColumn));
        if (bar != nullptr) bar->setValue(static_cast<int>(left_[k].load()));
    }
}

void ClassSetDialog::Finish() {
    ticker_->stop();
    worker_.join();
    own_.clear();  // the ports of this run are given back
    const std::string sha256 = Sha256Hex(stream_);
    std::size_t done = 0;
    for (std::size_t k = 0; k < running_.size(); ++k) {
        Row& row = rows_[running_[k]];
        row.result = std::move(results_[k]);
        done += row.result->ok();
        report_.push_back(ReportRow(*row.result, row.port, row.listed ? &*row.listed : nullptr, file_, sha256,
                                    BoardResultMessage(*row.result, row.port, kStreamBytes)));
    }
    Summary->setText(Q(BoardsDone(done, running_.size())));
    running_.clear();
    ShowRows();
    emit RunningChanged(false);
}

void ClassSetDialog::SaveReport() {
    const OpenDialogOptions options{Q(text::kReportFilter), QStringLiteral("csv"), QString()};
    const std::optional<QString> file = toolkit_.ExecuteSaveDialog(this, options);
    if (!file) return;
    if (!AppendReport(std::filesystem::path(file->toStdU16String()), report_)) {
        toolkit_.MessageDlg(this, Q(CannotWrite(file->toStdString())), MsgKind::Error, mbOK);
    }
}

void ClassSetDialog::reject() {
    if (!Running()) QDialog::reject();
}

void ClassSetDialog::closeEvent(QCloseEvent* event) {
    if (Running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
