#include "watch.h"

#include <cstdio>
#include <memory>
#include <thread>

#include "flash_texts.h"
#include "hexfile.h"
#include "messages.h"
#include "program.h"
#include "rebuilt_file.h"
#include "run_result.h"

namespace {

// Says why `result`, a load of `file` that cannot be sent, was refused.
void SayRefused(const std::string& file, const HexResult& result) {
    std::fprintf(stderr, "%s\n", HexLoadReport(result, file).c_str());
}

}  // namespace

int Watch(const Options& o) {
    if (!MayAsk(o)) return kUsage;
    if (!o.yes && !Confirmed(ConfirmPrompt())) {
        std::fprintf(stderr, "%s\n", std::string(text::kProgrammingCancelled).c_str());
        return kUsage;
    }
    std::optional<ReportFile> report;
    if (!OpenReport(o, report)) return kReportFailed;
    std::fprintf(stderr, "%s\n", WatchingFile(o.file).c_str());
    const std::filesystem::path path = PathOf(o.file);
    auto image = std::make_unique<ImageCells>();
    // At the start the file is taken as Otevřít takes it; after that, each
    // build as the rule for a rebuilt file says.
    RebuiltFile rule(StampOf(path));
    HexResult loaded = EraseAndLoadHexFile(path, *image);
    RebuiltFile::Verdict verdict = loaded.ok() ? RebuiltFile::Verdict::Take : RebuiltFile::Verdict::Refuse;
    for (bool waiting = false;;) {
        switch (verdict) {
            case RebuiltFile::Verdict::Wait:
                if (!waiting) std::fprintf(stderr, "%s\n", NoEndRecordYet(o.file).c_str());
                break;
            case RebuiltFile::Verdict::Refuse:
                SayRefused(o.file, loaded);
                break;
            case RebuiltFile::Verdict::Take:
                if (loaded.summary.windowBytes == 0) {
                    std::fprintf(stderr, "%s\n", EmptyWindowMessage(o.file, loaded.summary).c_str());
                } else if (ProgramNamed(o, *image, report, true) == kUsage) {
                    return kUsage;
                }
                break;
        }
        waiting = verdict == RebuiltFile::Verdict::Wait;
        while (!rule.Look(StampOf(path), RebuiltFile::Clock::now())) std::this_thread::sleep_for(kHexFileLook);
        if (!waiting) std::fprintf(stderr, "%s%s\n", TimeOfDay(o).c_str(), FileChanged(o.file).c_str());
        auto next = std::make_unique<ImageCells>();
        loaded = EraseAndLoadHexFile(path, *next);
        verdict = rule.Judge(loaded);
        if (verdict == RebuiltFile::Verdict::Take) image = std::move(next);
    }
}
