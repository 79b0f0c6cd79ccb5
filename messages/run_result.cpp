#include "run_result.h"

#include "messages.h"

std::string BoardMessage(const BoardResult& result, const PortName& port, const std::vector<PortInfo>& ports) {
    if (!result.opened.ok()) return PortOpenMessage(result.opened, port, ports);
    if (!result.written.ok()) return TransferFailedMessage(result.written, kStreamBytes, port);
    return std::string(Text().kProgrammingDone);
}

std::string ReportedMessage(const BoardResult& result, const PortName& port, const std::vector<PortInfo>& ports) {
    const InLanguage czech(Language::Czech);
    return BoardMessage(result, port, ports);
}

RunResult SummariseRun(const std::vector<BoardOutcome>& outcomes, const RunFacts& facts,
                       const std::vector<PortInfo>& ports) {
    RunResult run;
    bool transferFailed = false;
    for (const BoardOutcome& outcome : outcomes) {
        if (!outcome.result) continue;
        const BoardResult& result = *outcome.result;
        run.messages.push_back(BoardMessage(result, outcome.board.port, ports));
        run.rows.push_back(ReportRow(outcome, facts, ReportedMessage(result, outcome.board.port, ports)));
        ++run.boards;
        run.done += result.ok();
        transferFailed = transferFailed || (result.opened.ok() && !result.written.ok());
    }
    run.status = run.done == run.boards ? kDone : transferFailed ? kTransferFailed : kPortFailed;
    run.total = BoardsDone(run.done, run.boards);
    return run;
}
