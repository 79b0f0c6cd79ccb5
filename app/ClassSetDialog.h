// "Programuj všechny desky…": the boards the machine has, one row each, all
// programmed at once, each through a connection of its own (the window's
// port through the window's own), with a progress bar and a result per row,
// a retry of the rows that failed, and the report of the runs.
#pragma once

#include <QDialog>
#include <QString>
#include <atomic>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "PortMenu.h"
#include "Toolkit.h"
#include "board_set.h"
#include "port_connection.h"
#include "transfer.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

class ClassSetDialog : public QDialog {
    Q_OBJECT
public:
    // `inUse` is the window's own connection, which the window's port takes
    // part through; `file` the loaded file, for the report.
    ClassSetDialog(QWidget* parent, Toolkit& toolkit, PortLister lister, PortConnection& inUse, std::string file);
    ~ClassSetDialog() override;

    // Reads the ports again and makes the rows, keeping what each row that
    // stays had (its check mark, its result). Not during a run.
    void Refresh();
    // Asks once, then programs the checked rows, or with `failedOnly` the
    // rows whose last run failed, all at once. Returns at once: the run
    // goes on while the dialog keeps answering.
    void Program(bool failedOnly);
    bool Running() const { return worker_.joinable(); }
    // Asks where, and appends the rows of every run so far to that report.
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
        std::string Key() const { return listed ? listed->device : port.Name(); }
    };
    std::vector<Row> ListRows() const;
    void ShowRows();
    void Tick();     // during a run: the bars; at its end, the results
    void Finish();

    Toolkit& toolkit_;
    PortLister lister_;
    PortConnection& inUse_;
    std::string file_;
    std::vector<Row> rows_;
    // The run under way: which rows, their connections (the window's own
    // where it takes part), how far each has got, and its results.
    std::vector<std::size_t> running_;
    std::deque<PortConnection> own_;
    std::unique_ptr<std::atomic<std::size_t>[]> left_;
    std::atomic<bool> ended_{false};
    std::vector<BoardResult> results_;
    ProgrammingStream stream_{};
    std::thread worker_;
    std::vector<std::string> report_;  // rows of every run so far
    QTimer* ticker_;
    QTimer* watcher_;
};
