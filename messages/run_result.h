// What a board run came to, as every front end shows it: each board's
// message, worded with the machine's ports, its report row, the counts, the
// total and the exit status. The command line and the window's class set
// take it alike.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "board_run.h"
#include "port_list.h"
#include "report.h"

// ktq51-flash's exit statuses.
enum ExitStatus {
    kDone = 0,            // every board programmed
    kFileRefused = 1,     // the file was refused
    kPortFailed = 2,      // a port could not be opened or set up
    kTransferFailed = 3,  // a transfer failed or timed out
    kUsage = 4,           // a usage error, or sending not confirmed
    kReportFailed = 5,    // every board programmed, but the report could not be written
};

// What one board got, in the words of a single board: the success text, why
// its port could not be opened (naming the machine's `ports` where that
// helps), or why its transfer failed.
std::string BoardMessage(const BoardResult& result, const PortName& port, const std::vector<PortInfo>& ports);

// The message as a report row holds it: in Czech whatever language the user
// reads, so that a class's reports compare and scripts read them alike.
std::string ReportedMessage(const BoardResult& result, const PortName& port, const std::vector<PortInfo>& ports);

struct RunResult {
    std::size_t boards = 0;  // that have ended
    std::size_t done = 0;    // of them programmed
    // kDone when every board was programmed, kTransferFailed when a transfer
    // failed, otherwise kPortFailed.
    int status = kDone;
    std::vector<std::string> messages;  // per board, as BoardMessage words it
    std::vector<std::string> rows;      // per board, the report's row
    std::string total;                  // "Naprogramováno 7 z 8 desek"
};

// The boards of `outcomes` that have ended, in their order.
RunResult SummariseRun(const std::vector<BoardOutcome>& outcomes, const RunFacts& facts,
                       const std::vector<PortInfo>& ports);
