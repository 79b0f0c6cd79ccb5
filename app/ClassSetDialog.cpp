#include "ClassSetDialog.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "QtText.h"
#include "memimage.h"
#include "messages.h"
#include "report.h"
#include "run_result.h"
#include "transfer.h"

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
    setWindowTitle(Q(Text().kClassSetTitle));
    // Its size, or the screen's where that is smaller (a large scale).
    const QSize available = screen() != nullptr ? screen()->availableGeometry().size() : QSize(900, 380);
    resize(std::min(900, available.width()), std::min(380, available.height()));
    auto* layout = new QVBoxLayout(this);
    Rows = new QTableWidget(0, 5, this);
    Rows->setObjectName("Rows");
    Rows->setHorizontalHeaderLabels({Q(Text().kColumnPort), Q(Text().kColumnLocation), Q(Text().kColumnSerial),
                                     Q(Text().kColumnProgress), Q(Text().kColumnResult)});
    Rows->verticalHeader()->hide();
    Rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    Rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Rows->setWordWrap(false);
    // Heard as "Desky" with what to do in it; Space checks the current
    // row's board, the arrows move between rows, Tab goes on to the buttons.
    Rows->setAccessibleName(Q(Text().kAxBoards));
    Rows->setAccessibleDescription(Q(Text().kNoBoardChecked));
    Rows->setTabKeyNavigation(false);
    Rows->horizontalHeader()->setSectionResizeMode(kPortColumn, QHeaderView::ResizeToContents);
    Rows->horizontalHeader()->setSectionResizeMode(kResultColumn, QHeaderView::Stretch);
    layout->addWidget(Rows);
    Summary = new QLabel(this);
    Summary->setObjectName("Summary");
    layout->addWidget(Summary);
    auto* buttons = new QHBoxLayout;
    ProgramButton = new QPushButton(Q(Text().kButtonProgram), this);
    RetryButton = new QPushButton(Q(Text().kButtonRetryFailed), this);
    SaveButton = new QPushButton(Q(Text().kButtonSaveReport), this);
    CloseButton = new QPushButton(Q(Text().kButtonClose), this);
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
    // Adapters plugged in or out while the dialog is open, outside a run:
    // read on a thread of their own, as finding who holds an adapter may
    // mean looking through every process of the machine.
    watcher_ = new QTimer(this);
    connect(watcher_, &QTimer::timeout, this, [this] {
        if (!listing_.valid()) {
            listing_ = std::async(std::launch::async, lister_);
        } else if (listing_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
            std::vector<PortInfo> ports = listing_.get();
            if (!Running()) Take(std::move(ports));
        }
    });
    watcher_->start(kWatchMs);
    Refresh();
}

ClassSetDialog::~ClassSetDialog() {
    run_.reset();  // waits for a run still going
    if (listing_.valid()) listing_.wait();
}

bool ClassSetDialog::Windows(const Row& row) const {
    return inUse_.ChosenBy() ? row.listed && SameDevice(row.listed->device, inUse_.ChosenBy()->device)
                             : row.port == inUse_.Port();
}

std::vector<ClassSetDialog::Row> ClassSetDialog::RowsOf(const std::vector<PortInfo>& ports) const {
    // COM1..COM5 that have a device behind them, then the other ports.
    const std::array<ComPort, kMenuPorts> com = ComPorts(ports);
    std::vector<Row> rows;
    for (const ComPort& slot : com) {
        if (slot.exists) rows.push_back({slot.port, slot.listed ? std::optional<PortInfo>(*slot.listed) : std::nullopt});
    }
    for (const PortInfo* port : PortsBesideCom(ports, com)) rows.push_back({PortName::Device(port->device), *port});
    // Checked: every USB adapter, and the window's own port.
    for (Row& row : rows) row.checked = Windows(row) || (row.listed && row.listed->UsbAdapter());
    return rows;
}

void ClassSetDialog::Refresh() {
    if (!Running()) Take(lister_());
}

void ClassSetDialog::Take(std::vector<PortInfo> ports) {
    std::vector<Row> rows = RowsOf(ports);
    bool same = rows.size() == rows_.size();
    for (std::size_t i = 0; same && i < rows.size(); ++i) same = rows[i].Key() == rows_[i].Key();
    ports_ = std::move(ports);
    if (same && !rows_.empty()) return;
    for (Row& row : rows) {
        for (Row& old : rows_) {
            if (old.Key() != row.Key()) continue;
            row.checked = old.checked;
            row.result = std::move(old.result);
            row.message = std::move(old.message);
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
        bar->setAccessibleName(Q(Text().kColumnProgress));
        bar->setRange(0, static_cast<int>(kStreamBytes));
        bar->setValue(row.result ? static_cast<int>(row.result->written.written) : 0);
        Rows->setCellWidget(r, kProgressColumn, bar);
        auto* result = new QTableWidgetItem(Q(Brief(row.message)));
        result->setToolTip(Q(row.message));  // the whole message, its advice included
        result->setData(Qt::AccessibleDescriptionRole, Q(row.message));
        Rows->setItem(r, kResultColumn, result);
        failed = failed || (row.result && !row.result->ok());
    }
    // The check marks are in the port column: Space there checks a row.
    if (!rows_.empty() && (!Rows->currentIndex().isValid() || Rows->currentColumn() != kPortColumn)) {
        Rows->setCurrentCell(std::max(Rows->currentRow(), 0), kPortColumn);
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
        toolkit_.MessageDlg(this, Q(Text().kNoBoardChecked), MsgKind::Information, mbOK);
        return;
    }
    // A retry sends the build the other boards got, even when the file has
    // been loaded again since: the question says so.
    const ProgrammingStream current = MakeProgrammingStream(MemImage);
    const ProgrammingStream stream = failedOnly && run_ ? run_->Stream() : current;
    std::string question = ConfirmBoards(chosen.size());
    if (stream != current) question += '\n' + std::string(Text().kRetrySameBuild);
    if (toolkit_.MessageDlg(this, Q(question), MsgKind::Warning, mbYes | mbNo) != ModalResult::Yes) return;

    run_.reset();
    left_ = std::make_unique<std::atomic<std::size_t>[]>(chosen.size());
    for (std::size_t k = 0; k < chosen.size(); ++k) left_[k] = 0;
    inRun_ = chosen;
    running_ = true;
    run_ = std::make_unique<BoardRun>(stream, std::nullopt, static_cast<RunObserver*>(this));
    // The window's own port takes part through the window's connection,
    // never by a second open; the others each through one of their own.
    for (const std::size_t i : chosen) {
        Row& row = rows_[i];
        row.result.reset();
        row.message.clear();
        run_->Add({row.port, row.listed, Windows(row) ? &inUse_ : nullptr});
    }
    emit RunningChanged(true);
    ShowRows();
    Summary->clear();
    ticker_->start(kTickMs);
}

void ClassSetDialog::Progressed(std::size_t board, std::size_t left) {
    left_[board] = left;
}

void ClassSetDialog::Tick() {
    if (run_->Ended()) {
        Finish();
        return;
    }
    for (std::size_t k = 0; k < inRun_.size(); ++k) {
        auto* bar = qobject_cast<QProgressBar*>(Rows->cellWidget(static_cast<int>(inRun_[k]), kProgressColumn));
        if (bar != nullptr) bar->setValue(static_cast<int>(left_[k].load()));
    }
}

void ClassSetDialog::Finish() {
    ticker_->stop();
    run_->Wait();
    const std::vector<BoardOutcome> outcomes = run_->Outcomes();
    const RunResult result = SummariseRun(outcomes, FactsOf(file_, run_->Stream()), ports_);
    for (std::size_t k = 0; k < inRun_.size(); ++k) {
        Row& row = rows_[inRun_[k]];
        row.result = outcomes[k].result;
        row.message = result.messages[k];
    }
    report_.insert(report_.end(), result.rows.begin(), result.rows.end());
    Summary->setText(Q(result.total));
    running_ = false;
    ShowRows();
    emit RunningChanged(false);
}

void ClassSetDialog::SaveReport() {
    const OpenDialogOptions options{Q(Text().kReportFilter), QStringLiteral("csv"), QString()};
    const std::optional<QString> file = toolkit_.ExecuteSaveDialog(this, options);
    if (!file) return;
    // Each file gets the rows it does not have yet: saved twice, no run twice.
    std::size_t& saved = saved_[QFileInfo(*file).absoluteFilePath().toStdString()];
    std::string error;
    std::optional<ReportFile> report = ReportFile::Open(std::filesystem::path(file->toStdU16String()),
                                                        QDir::toNativeSeparators(*file).toStdString(), error);
    while (report && saved < report_.size() && report->Append(report_[saved], error)) ++saved;
    if (!error.empty()) toolkit_.MessageDlg(this, Q(error), MsgKind::Error, mbOK);
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
