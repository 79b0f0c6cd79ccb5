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

// Says `text` as a result line of the watch: headed by the time of day.
void Say(const Options& o, const std::string& text) {
    std::fprintf(stderr, "%s%s\n", TimeOfDay(o).c_str(), text.c_str());
}

}  // namespace

int Watch(const Options& o) {
    if (!MayAsk(o)) return kUsage;
    if (!o.yes && !Confirmed(ConfirmPrompt())) {
        std::fprintf(stderr, "%s\n", std::string(Text().kProgrammingCancelled).c_str());
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
                if (!waiting) Say(o, NoEndRecordYet(o.file));
                break;
            case RebuiltFile::Verdict::Refuse:
                Say(o, HexLoadReport(loaded, o.file));
                break;
            case RebuiltFile::Verdict::Take:
                if (loaded.summary.windowBytes == 0) {
                    Say(o, EmptyWindowMessage(o.file, loaded.summary));
                } else if (ProgramNamed(o, *image, report, true) == kUsage) {
                    return kUsage;
                }
                break;
        }
        waiting = verdict == RebuiltFile::Verdict::Wait;
        while (!rule.Look(StampOf(path), RebuiltFile::Clock::now())) std::this_thread::sleep_for(kHexFileLook);
        if (!waiting) Say(o, FileChanged(o.file));
        auto next = std::make_unique<ImageCells>();
        loaded = EraseAndLoadHexFile(path, *next);
        verdict = rule.Judge(loaded);
        if (verdict == RebuiltFile::Verdict::Take) image = std::move(next);
    }
}
