// ktq51-flash: programs the KTQ-51 board from a terminal, a makefile or a
// lab script, with the same HEX reader, stream and serial port layer as the
// window, and the same Czech messages.
//
//   ktq51-flash [--port COMn|DEVICE] [--yes] [--timeout S] FILE.hex
//   ktq51-flash --check FILE.hex
//   ktq51-flash --stream-out OUT.bin FILE.hex
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "console.h"
#include "hexfile.h"
#include "memimage.h"
#include "messages.h"
#include "port.h"
#include "transfer.h"

namespace {

using Clock = std::chrono::steady_clock;

enum ExitStatus { kDone = 0, kFileRefused = 1, kPortFailed = 2, kTransferFailed = 3, kUsage = 4 };

constexpr const char* kUsageText =
    "Použití:\n"
    "  ktq51-flash [--port COMn|ZAŘÍZENÍ] [--yes] [--timeout S] SOUBOR.hex\n"
    "  ktq51-flash --check SOUBOR.hex\n"
    "  ktq51-flash --stream-out VÝSTUP.bin SOUBOR.hex\n"
    "\n"
    "Pošle paměťové okno 0x3000–0x3FFF souboru Intel HEX do desky KTQ-51 po sériové\n"
    "lince (19200 Bd, 8 datových bitů, bez parity, 1 stop bit), stejně jako okno\n"
    "programátoru.\n"
    "\n"
    "  --port COMn       COM1 až COM5 jako v okně programátoru (i s proměnnou KTQ51_COMn)\n"
    "  --port ZAŘÍZENÍ   jiné zařízení: /dev/ttyUSB0 na Linuxu, COM7 ve Windows\n"
    "                    (bez volby --port se použije COM1)\n"
    "  --yes             neptat se před odesláním\n"
    "  --timeout S       nejdelší doba přenosu v sekundách (jinak 163,85 s)\n"
    "  --check           jen přečíst soubor a vypsat, co obsahuje; port se neotevře\n"
    "  --stream-out F    zapsat 16384 bajtů, které by se poslaly, do souboru F\n"
    "  --help            tato nápověda\n"
    "  --version         verze\n"
    "\n"
    "Návratový kód: 0 hotovo, 1 soubor odmítnut, 2 port nelze otevřít ani nastavit,\n"
    "3 přenos selhal, 4 chybné použití nebo odeslání nepotvrzeno.\n";

enum class Mode { Program, Check, StreamOut, Help, Version };

struct Options {
    Mode mode = Mode::Program;
    std::string port = "COM1";
    bool portGiven = false;
    bool yes = false;
    std::optional<std::chrono::milliseconds> timeout;
    std::string streamOut;
    std::string file;
};

std::filesystem::path PathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The options, or nothing with the reason in `error`.
std::optional<Options> Parse(const std::vector<std::string>& args, std::string& error) {
    Options o;
    bool check = false, stream = false;
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 < args.size()) return args[++i];
            error = std::string("u volby ") + name + " chybí hodnota";
            return std::nullopt;
        };
        if (a == "--help" || a == "-h") {
            o.mode = Mode::Help;
            return o;
        } else if (a == "--version") {
            o.mode = Mode::Version;
            return o;
        } else if (a == "--yes" || a == "-y") {
            o.yes = true;
        } else if (a == "--check") {
            check = true;
        } else if (a == "--port") {
            const auto v = value("--port");
            if (!v) return std::nullopt;
            o.port = *v;
            o.portGiven = true;
        } else if (a == "--stream-out") {
            const auto v = value("--stream-out");
            if (!v) return std::nullopt;
            o.streamOut = *v;
            stream = true;
        } else if (a == "--timeout") {
            const auto v = value("--timeout");
            if (!v) return std::nullopt;
            char* end = nullptr;
            const double seconds = std::strtod(v->c_str(), &end);
            if (end == v->c_str() || *end != '\0' || !(seconds > 0) || seconds > 1e6) {
                error = "--timeout chce kladný počet sekund, ne „" + *v + "“";
                return std::nullopt;
            }
            o.timeout = std::chrono::milliseconds(static_cast<long long>(seconds * 1000 + 0.5));
        } else if (a.size() > 1 && a[0] == '-') {
            error = "neznámá volba " + a;
            return std::nullopt;
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 1) {
        error = files.empty() ? "chybí soubor HEX" : "zadejte jen jeden soubor HEX";
        return std::nullopt;
    }
    o.file = files.front();
    if (check && stream) {
        error = "--check a --stream-out nejdou spolu";
        return std::nullopt;
    }
    if ((check || stream) && (o.portGiven || o.yes || o.timeout)) {
        error = std::string(check ? "--check" : "--stream-out") + " nic neposílá: --port, --yes ani --timeout nemají smysl";
        return std::nullopt;
    }
    o.mode = check ? Mode::Check : stream ? Mode::StreamOut : Mode::Program;
    return o;
}

// Loads the file as Otevřít does: into an erased image. Says why it cannot.
bool Load(const std::string& file, ImageCells& image, HexResult& result) {
    image = ErasedImage();
    result = LoadHexFile(PathOf(file), image);
    if (result.ok()) return true;
    const std::string message = HexLoadMessage(result, file);
    const bool namesTheFile = result.status == HexStatus::OpenFailed || result.status == HexStatus::ReadFailed;
    std::fprintf(stderr, "%s%s\n", namesTheFile ? "" : (file + ": ").c_str(), message.c_str());
    return false;
}

int Check(const std::string& file, const ImageCells& image, const HexResult& r) {
    static const char* const kRecordNames[] = {
        "data", "konec souboru", "rozšířená segmentová adresa", "počáteční segmentová adresa",
        "rozšířená lineární adresa", "počáteční lineární adresa",
    };
    std::printf("%s: soubor v pořádku\n", file.c_str());
    std::string records;
    for (std::size_t type = 0; type < r.summary.records.size(); ++type) {
        if (r.summary.records[type] == 0) continue;
        records += (records.empty() ? "" : ", ") + std::to_string(r.summary.records[type]) + "× " +
                   kRecordNames[type] + " (0" + std::to_string(type) + ")";
    }
    std::printf("záznamy: %s\n", records.empty() ? "žádné" : records.c_str());
    if (r.summary.dataBytes == 0) {
        std::printf("data: žádná\n");
    } else {
        std::printf("data: %s–%s, %s, z toho v okně 0x3000–0x3FFF %s\n", HexAddress(r.summary.lowest).c_str(),
                    HexAddress(r.summary.highest).c_str(), Bytes(static_cast<long long>(r.summary.dataBytes)).c_str(),
                    Bytes(static_cast<long long>(r.summary.windowBytes)).c_str());
        if (r.summary.windowBytes < r.summary.dataBytes) {
            std::printf("mimo okno 0x3000–0x3FFF: %s; ty se do desky neposílají\n",
                        Bytes(static_cast<long long>(r.summary.dataBytes - r.summary.windowBytes)).c_str());
        }
    }
    std::printf("v okně 0x3000–0x3FFF je %s jiných než FF (z 4096)\n",
                Bytes(static_cast<long long>(ProgrammedCells(image))).c_str());
    return kDone;
}

int StreamOut(const std::string& out, const ImageCells& image) {
    const ProgrammingStream stream = MakeProgrammingStream(image);
    std::ofstream file(PathOf(out), std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(stream.data()), static_cast<std::streamsize>(stream.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "Soubor %s nelze zapsat\n", out.c_str());
        return kFileRefused;
    }
    return kDone;
}

// The progress on standard error: on a terminal one line redrawn in place,
// at most ten times a second; elsewhere one line at the start and one at
// the end.
class Progress {
public:
    Progress(std::size_t total, const std::string& device) : total_(total), terminal_(IsTerminal(stderr)) {
        if (!terminal_) {
            std::fprintf(stderr, "Odesílám %s na %s (asi %zu s)\n", Bytes(static_cast<long long>(total)).c_str(),
                         device.c_str(), LineSeconds(total));
        }
    }

    void operator()(std::size_t left) {
        last_ = left;
        if (!terminal_) return;
        const auto now = Clock::now();
        if (left != total_ && drawn_ && now - drawnAt_ < std::chrono::milliseconds(100)) return;
        drawn_ = true;
        drawnAt_ = now;
        constexpr std::size_t kBar = 24;
        const std::size_t filled = total_ == 0 ? kBar : left * kBar / total_;
        const std::string bar = std::string(filled, '#') + std::string(kBar - filled, '.');
        std::fprintf(stderr, "\r[%s] %-50s", bar.c_str(), ProgressText(left, total_).c_str());
        std::fflush(stderr);
    }

    void Finish() {
        if (terminal_) {
            (*this)(last_);
            std::fputc('\n', stderr);
        } else {
            std::fprintf(stderr, "%s\n", ProgressText(last_, total_).c_str());
        }
    }

private:
    std::size_t total_;
    bool terminal_;
    bool drawn_ = false;
    Clock::time_point drawnAt_;
    std::size_t last_ = 0;
};

bool Confirmed() {
    std::fputs("Opravdu chcete přeprogramovat KTQ - 51? [a/N] ", stderr);
    std::fflush(stderr);
    std::string answer;
    if (!std::getline(std::cin, answer)) return false;
    answer.erase(std::remove(answer.begin(), answer.end(), '\r'), answer.end());
    return answer == "a" || answer == "A" || answer == "ano" || answer == "Ano";
}

// COM1 .. COM5 as the window means them; anything else names a device.
OpenResult OpenPort(const std::string& port, PortHandle& handle, CommStateRecord& state,
                    CommTimeouts& timeouts, int& index) {
    index = 0;
    if (port.size() == 4 && (port.compare(0, 3, "COM") == 0 || port.compare(0, 3, "com") == 0) &&
        port[3] >= '1' && port[3] <= '0' + kPortCount) {
        index = port[3] - '1';
        return OpenAndConfigure(index, handle, state, timeouts);
    }
    return OpenDevice(port, handle, state, timeouts);
}

int Program(const Options& o, const ImageCells& image) {
    if (!o.yes && !IsTerminal(stdin)) {
        std::fputs("Odeslání musí potvrdit člověk u terminálu, nebo volba --yes. Nic nebylo odesláno.\n", stderr);
        return kUsage;
    }
    PortHandle port;
    CommStateRecord state{};
    CommTimeouts timeouts;
    int index = 0;
    const OpenResult opened = OpenPort(o.port, port, state, timeouts, index);
    if (!opened.ok()) {
        std::fprintf(stderr, "%s\n", PortOpenMessage(opened, index).c_str());
        return kPortFailed;
    }
    if (!o.yes && !Confirmed()) {
        std::fputs("Programování zrušeno\n", stderr);
        return kUsage;
    }

    DiscardQueueOnInterrupt(port, kTransferFailed);
    const ProgrammingStream stream = MakeProgrammingStream(image);
    const std::chrono::milliseconds limit = o.timeout.value_or(WriteLimit(timeouts, stream.size()));
    Progress progress(stream.size(), opened.device);
    const WriteResult result = WritePort(port, stream, limit, [&](std::size_t left) { progress(left); });
    progress.Finish();
    if (!result.error.empty()) {
        std::fprintf(stderr, "%s\n", TransferFailedMessage(result, stream.size()).c_str());
        return kTransferFailed;
    }
    std::puts("Programovani proběhlo v pořádku");
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareConsole();
    std::string error;
    const std::optional<Options> options = Parse(Utf8Arguments(argc, argv), error);
    if (!options) {
        std::fprintf(stderr, "ktq51-flash: %s\n\n%s", error.c_str(), kUsageText);
        return kUsage;
    }
    switch (options->mode) {
        case Mode::Help:
            std::fputs(kUsageText, stdout);
            return kDone;
        case Mode::Version:
            std::puts("ktq51-flash (Programator KTQ-51) verze " KTQ_VERSION);
            return kDone;
        default:
            break;
    }

    auto image = std::make_unique<ImageCells>();
    HexResult loaded;
    if (!Load(options->file, *image, loaded)) return kFileRefused;
    switch (options->mode) {
        case Mode::Check: return Check(options->file, *image, loaded);
        case Mode::StreamOut: return StreamOut(options->streamOut, *image);
        default: return Program(*options, *image);
    }
}
