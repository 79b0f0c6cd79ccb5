// "Programuj všechny desky…": the boards the machine has, one row each, all
// programmed at once by one board run (the window's port through the
// window's own connection), with a progress bar and a result per row, a
// retry of the rows that failed with the same build, and the report.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "PortMenu.h"
#include "Toolkit.h"
#include "board_run.h"
#include "port_connection.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

class ClassSetDialog : public QDialog, private RunObserver {
    Q_OBJECT
public:
    // `inUse` is the window's own connection, which the window's port takes
    // part through; `file` the loaded file, for the report.
    ClassSetDialog(QWidget* parent, Toolkit& toolkit, PortLister lister, PortConnection& inUse, std::string file);
    ~ClassSetDialog() override;

    // Reads the ports again and makes the rows, keeping what each row that
    // stays had (its check mark, its result). Not during a run.
    void Refresh();
    // Asks once, then programs the checked rows all at once; with
    // `failedOnly` the rows whose last run failed, with that run's build.
    // Returns at once: the run goes on while the dialog keeps answering.
    void Program(bool failedOnly);
    bool Running() const { return running_; }
    // Asks where, and appends to that report the rows it does not have yet.
    void SaveReport();

    QTableWidget* Rows;
    QPushButton* ProgramButton;
    QPushButton* RetryButton;
    QPushButton* SaveButton;
    QPushButton* CloseButton;
    QLabel* Summary;

    // Columns of Rows.
    enum Column { kPortColumn, kLocationColumn, kSerialColumn, kProgressColumn, kResultColumn };

signals:
    // A run starts or has ended: the window must not close meanwhile.
    void RunningChanged(bool running);

public slots:
    void reject() override;  // Escape and Zavřít, refused during a run

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Row {
        PortName port;
        std::optional<PortInfo> listed;
        bool checked = false;
        std::optional<BoardResult> result = {};  // of its last run
        std::string message = {};                // what that result says
        std::string Key() const { return listed ? listed->device : port.Name(); }
    };
    std::vector<Row> RowsOf(const std::vector<PortInfo>& ports) const;
    // Whether `row` is the window's own port.
    bool Windows(const Row& row) const;
    void Take(std::vector<PortInfo> ports);
    void ShowRows();
    void Tick();  // during a run: the bars; at its end, the results
    void Finish();
    void Progressed(std::size_t board, std::size_t left) override;

    Toolkit& toolkit_;
    PortLister lister_;
    PortConnection& inUse_;
    std::string file_;
    std::vector<PortInfo> ports_;  // as last listed
    std::vector<Row> rows_;
    // The last run, its rows and how far each of its boards has got. Kept
    // after it ended: a retry sends its build.
    std::unique_ptr<std::atomic<std::size_t>[]> left_;
    std::unique_ptr<BoardRun> run_;
    std::vector<std::size_t> inRun_;
    bool running_ = false;
    std::vector<std::string> report_;          // rows of every run so far
    std::map<std::string, std::size_t> saved_;  // how many of them each report file has
    std::future<std::vector<PortInfo>> listing_;  // the ports read again, off this thread
    QTimer* ticker_;
    QTimer* watcher_;
};
