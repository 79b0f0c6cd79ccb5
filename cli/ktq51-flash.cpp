// ktq51-flash: programs the KTQ-51 board from a terminal, a makefile or a
// lab script, with the same HEX reader, stream, board run and serial port
// layer as the window, and the same messages, in Czech or in English.
//
//   ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] [--report F] [--wait S] [--watch] FILE.hex
//   ktq51-flash --all [--yes] [--timeout S] [--report F] [--wait S] [--watch] FILE.hex
//   ktq51-flash --each [N] [--yes] [--timeout S] [--report F] FILE.hex
//   ktq51-flash [--port COMn|DEVICE]... [--yes] [--timeout S] --erase
//   ktq51-flash --check FILE.hex
//   ktq51-flash --stream-out OUT.bin FILE.hex
//   ktq51-flash --list [--verbose]
//   (each with --lang cs|en, or KTQ51_LANG)
#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

#include "console.h"
#include "diagnosis.h"
#include "flash_texts.h"
#include "hexfile.h"
#include "memimage.h"
#include "options.h"
#include "port_list.h"
#include "program.h"
#include "run_result.h"
#include "system_info.h"
#include "transfer.h"
#include "watch.h"

namespace {

int List(bool verbose) {
    const std::vector<PortInfo> ports = ListPorts();
    if (verbose) {
        // The command line keeps no errors of earlier runs.
        std::fputs(DiagnosisText(KTQ_VERSION, SystemDescription(), ports, "").c_str(), stdout);
        return kDone;
    }
    for (const PortInfo& port : ports) std::printf("%s\n", PortListLine(port).c_str());
    return kDone;
}

int StreamOut(const std::string& out, const ImageCells& image) {
    const ProgrammingStream stream = MakeProgrammingStream(image);
    errno = 0;
    std::ofstream file(PathOf(out), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    file.close();
    if (!file) {
        // The stream's own error, as the system said it; a part of the
        // stream is no stream, and goes.
        const int error = errno != 0 ? errno : EIO;
        std::error_code ignored;
        std::filesystem::remove(PathOf(out), ignored);
        std::fprintf(stderr, "%s\n", CannotWrite(out, std::strerror(error)).c_str());
        return kFileRefused;
    }
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    std::string error;
    const std::vector<std::string> args = Utf8Arguments(argc, argv);
    // The language first, so that every line, a usage error's too, is in it.
    SetLanguage(LanguageOf(args, std::getenv("KTQ51_LANG"), error));
    if (!error.empty()) {
        std::fprintf(stderr, "ktq51-flash: %s\n", error.c_str());
        return kUsage;
    }
    const std::optional<Options> options = Parse(args, error);
    if (!options) {
        std::fprintf(stderr, "ktq51-flash: %s\n\n%s", error.c_str(), std::string(Text().kFlashUsage).c_str());
        return kUsage;
    }
    const Options& o = *options;
    switch (o.mode) {
        case Mode::Help:
            std::fputs(std::string(Text().kFlashUsage).c_str(), stdout);
            return kDone;
        case Mode::Version:
            std::puts(Format(Text().kFlashVersion, {KTQ_VERSION}).c_str());
            return kDone;
        case Mode::List:
            return List(o.verbose);
        default:
            break;
    }
    // From here on something may be sent: an interrupt, even one that comes
    // while the program asks or waits, ends it the one way.
    HandleInterrupts();
    if (o.watch) return Watch(o);

    // Loaded as Otevřít loads it: erase, then load. --erase sends the erased window.
    auto image = std::make_unique<ImageCells>(ErasedImage());
    if (o.mode != Mode::Erase) {
        const HexResult loaded = EraseAndLoadHexFile(PathOf(o.file), *image);
        if (!loaded.ok()) {
            std::fprintf(stderr, "%s\n", HexLoadReport(loaded, o.file).c_str());
            return kFileRefused;
        }
        if (o.mode == Mode::Check) {
            std::fputs(CheckReport(o.file, loaded.summary, ProgrammedCells(*image)).c_str(), stdout);
            return kDone;
        }
        if (o.mode == Mode::StreamOut) return StreamOut(o.streamOut, *image);
        // A file that puts nothing into the board's window would only erase
        // it: most likely it was built for another address.
        if (loaded.summary.windowBytes == 0) {
            std::fprintf(stderr, "%s\n", EmptyWindowMessage(o.file, loaded.summary).c_str());
            return kFileRefused;
        }
    }
    std::optional<ReportFile> report;
    return o.each ? ProgramEach(o, *image, report) : ProgramNamed(o, *image, report, false);
}
