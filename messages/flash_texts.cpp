#include "flash_texts.h"

#include "adapter_rules.h"

#include "messages.h"
#include "transfer.h"

std::string MissingValue(std::string_view option) {
    return Format(Text().kMissingValue, {option});
}

std::string BadSeconds(std::string_view option, std::string_view value) {
    return Format(Text().kBadSeconds, {option, value});
}

std::string TimeoutTooShort(std::string_view value, long long shortestSeconds) {
    return Format(Text().kTimeoutTooShort, {value, Bytes(kStreamBytes), std::to_string(shortestSeconds)});
}

std::string BadCount(std::string_view option, std::string_view value) {
    return Format(Text().kBadCount, {option, value});
}

std::string BadLanguage(std::string_view option, std::string_view value) {
    return Format(Text().kBadLanguage, {option, value});
}

std::string GivenTwice(std::string_view option) {
    return Format(Text().kGivenTwice, {option});
}

std::string StreamOutIsTheFile(std::string_view file) {
    return Format(Text().kStreamOutIsTheFile, {file});
}

std::string UnknownOption(std::string_view option) {
    return Format(Text().kUnknownOption, {option});
}

std::string NothingIsSent(std::string_view mode) {
    return Format(Text().kNothingIsSent, {mode});
}

std::string HexLoadReport(const HexResult& result, const std::string& file) {
    const bool namesTheFile = result.status == HexStatus::OpenFailed || result.status == HexStatus::ReadFailed ||
                              result.status == HexStatus::NotARegularFile || result.status == HexStatus::TooLarge;
    return (namesTheFile ? std::string() : file + ": ") + HexLoadMessage(result, file);
}

std::string WatchingFile(const std::string& file) {
    return Format(Text().kWatchingFile, {file});
}

std::string FileChanged(const std::string& file) {
    return Format(Text().kFileChanged, {file});
}

std::string NoEndRecordYet(const std::string& file) {
    return Format(Text().kNoEndRecordYet, {file});
}

std::string WaitingForPort(const std::string& port, long long seconds) {
    return Format(Text().kWaitingForPort, {std::to_string(seconds), port});
}

std::string ConfirmPrompt() {
    return Format(Text().kConfirmPrompt, {Text().kConfirmProgramming});
}

std::string SendingText(std::size_t total, const std::string& device) {
    return Format(Text().kSending,
                  {Bytes(static_cast<long long>(total)), device, std::to_string(LineSeconds(total))});
}

std::string CannotWrite(const std::string& file, const std::string& reason) {
    return Format(Text().kCannotWrite, {file, reason});
}

std::string EmptyWindowMessage(const std::string& file, const HexSummary& s) {
    const std::string where =
        s.dataBytes == 0 ? std::string(Text().kNoDataInFile)
                         : Format(Text().kDataLiesAt, {HexAddress(s.lowest), HexAddress(s.highest),
                                                       Bytes(static_cast<long long>(s.dataBytes))});
    return Format(Text().kEmptyWindow, {file}) + '\n' + where + '\n' + std::string(Text().kEraseOnPurpose);
}

std::string NoAdapterMessage(const std::vector<PortInfo>& ports) {
    std::string message;
    for (const PortInfo& port : ports) {
        if (port.HasPort()) continue;
        if (!message.empty()) message += '\n';
        message += AdapterWithoutPortMessage(port);
    }
    return message.empty() ? std::string(Text().kNoAdapter) : message;
}

std::string OneAdapterWithSeveralPorts(std::size_t ports) {
    return Format(ports < 5 ? Text().kOneAdapterPorts2 : Text().kOneAdapterPorts5, {std::to_string(ports)});
}

std::string PortListLine(const PortInfo& port) {
    const std::string description = PortDescription(port);
    std::string line;
    for (const std::string* field :
         {&port.name, &description, &port.vidPid, &port.serial, &port.stableName, &port.location}) {
        if (!line.empty()) line += '\t';
        line += field->empty() ? std::string("-") : *field;
    }
    if (!port.HasPort()) {
        const AdapterDiagnosis diagnosis = DiagnoseAdapter(port);
        line += '\t' + Format(Text().kIsConnectedBut, {diagnosis.reason, diagnosis.fix});
    }
    return line;
}

std::string CheckReport(const std::string& file, const HexSummary& s, std::size_t programmedCells) {
    const TextTable& t = Text();
    const std::string_view recordNames[] = {
        t.kRecordData, t.kRecordEnd, t.kRecordSegment, t.kRecordSegmentStart, t.kRecordLinear, t.kRecordLinearStart,
    };
    std::string records;
    for (std::size_t type = 0; type < s.records.size(); ++type) {
        if (s.records[type] == 0) continue;
        if (!records.empty()) records += ", ";
        records += Format(t.kRecordCount, {std::to_string(s.records[type]), recordNames[type], std::to_string(type)});
    }
    std::string report = Format(t.kCheckOk, {file}) + '\n';
    report += Format(t.kCheckRecords, {records.empty() ? t.kNoneOfThem : records}) + '\n';
    if (s.dataBytes == 0) {
        report += std::string(t.kCheckNoData) + '\n';
    } else {
        report += Format(t.kCheckData, {HexAddress(s.lowest), HexAddress(s.highest),
                                        Bytes(static_cast<long long>(s.dataBytes)),
                                        Bytes(static_cast<long long>(s.windowBytes))}) +
                  '\n';
        if (s.windowBytes < s.dataBytes) {
            report += Format(t.kCheckOutside, {Bytes(static_cast<long long>(s.dataBytes - s.windowBytes))}) + '\n';
        }
    }
    report += Format(t.kCheckNotFf, {Bytes(static_cast<long long>(programmedCells))}) + '\n';
    return report;
}
