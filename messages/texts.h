// Every text the program shows, in one table per language with the same
// keys: Text().kMenuSoubor is the Soubor menu's caption in the language in
// use. The window, the command line and the page in the browser read the
// same tables. Texts with {1}, {2} … are patterns for Format; a text of a
// count comes in three forms (…1 for 1, …2 for 2 to 4, …5 for the rest), as
// Czech needs them, and Plural picks one.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// The keys, in the tables' order.
#define KTQ51_TEXT_KEYS(X) \
    X(kWindowTitle) \
    X(kMenuSoubor) \
    X(kMenuOtevrit) \
    X(kMenuHyphens) \
    X(kMenuKonec) \
    X(kMenuNastroje) \
    X(kMenuProgramuj) \
    X(kMenuNastaveni) \
    X(kMenuNapoveda) \
    X(kMenuVytvoril) \
    X(kMenuDiagnostika) \
    X(kMenuJazyk) \
    X(kLanguageCzech) \
    X(kLanguageEnglish) \
    X(kLanguageNotKept) \
    X(kDiagnosisTitle) \
    X(kButtonCopy) \
    X(kGridHint) \
    X(kAxAddress) \
    X(kGridCell) \
    X(kAxBoards) \
    X(kAxMainMenu) \
    X(kOpenFilter) \
    X(kButtonYes) \
    X(kButtonNo) \
    X(kButtonOk) \
    X(kProgramming) \
    X(kConfirmProgramming) \
    X(kProgrammingCancelled) \
    X(kProgrammingDone) \
    X(kMenuProgramujVse) \
    X(kClassSetTitle) \
    X(kColumnPort) \
    X(kColumnLocation) \
    X(kColumnSerial) \
    X(kColumnProgress) \
    X(kColumnResult) \
    X(kButtonProgram) \
    X(kButtonRetryFailed) \
    X(kButtonSaveReport) \
    X(kButtonClose) \
    X(kReportFilter) \
    X(kRetrySameBuild) \
    X(kOtherReport) \
    X(kNoBoardChecked) \
    X(kConfirmBoards1) \
    X(kConfirmBoards2) \
    X(kConfirmBoards5) \
    X(kBoardsDone1) \
    X(kBoardsDone5) \
    X(kReloaded) \
    X(kDropOneFile) \
    X(kWindowUsage) \
    X(kInterrupted) \
    X(kAbout) \
    X(kRecentFileGone) \
    X(kUseAdapterInstead) \
    X(kProgressPort) \
    X(kProgress) \
    X(kBytes1) \
    X(kBytes2) \
    X(kBytes5) \
    X(kCharQuoted) \
    X(kCharCode) \
    X(kFileDamaged) \
    X(kCannotOpenFile) \
    X(kCannotReadFile) \
    X(kNotARegularFile) \
    X(kFileTooLarge) \
    X(kChecksum) \
    X(kBadCharacter) \
    X(kLineEndInRecord) \
    X(kUnexpectedEnd) \
    X(kNoRecordStart) \
    X(kTrailingText) \
    X(kUnknownType) \
    X(kBadLength) \
    X(kOutOfRange) \
    X(kUnknownError) \
    X(kNumberTooLarge) \
    X(kNotADigit) \
    X(kComCannotOpen) \
    X(kLineError) \
    X(kSettingNotTaken) \
    X(kSettingSpeed) \
    X(kReasonInUse) \
    X(kReasonProbed) \
    X(kHeldBy) \
    X(kAdviceGone) \
    X(kAdviceRefused) \
    X(kAdviceTimedOut) \
    X(kSendFailed) \
    X(kTimedOut) \
    X(kResetBoard) \
    X(kInterface) \
    X(kUsbAdapter) \
    X(kBuiltInPort) \
    X(kSerialPort) \
    X(kNothingConnected) \
    X(kCannotWriteReport) \
    X(kAdviceDialout) \
    X(kAdviceNoHardware) \
    X(kDevicesListed) \
    X(kConnectAndChoose) \
    X(kChooseByVariable) \
    X(kAdviceInUse) \
    X(kAdviceProbed) \
    X(kComPortsListed) \
    X(kChooseOne) \
    X(kChooseByVariableWindows) \
    X(kAdviceInUseWindows) \
    X(kAdapterName) \
    X(kAdapterWithoutPort) \
    X(kIsConnectedBut) \
    X(kFixWch) \
    X(kFixSiliconLabs) \
    X(kFixProlific) \
    X(kFixFtdi) \
    X(kFixUsbser) \
    X(kWhyPhasedOut) \
    X(kFixPhasedOut) \
    X(kWhyErasedId) \
    X(kFixErasedId) \
    X(kWhyNoDriverCode) \
    X(kWhyCannotStart) \
    X(kFixCannotStart) \
    X(kWhyDisabled) \
    X(kFixDisabled) \
    X(kWhyStopped) \
    X(kFixStopped) \
    X(kWhyProblem) \
    X(kFixProblem) \
    X(kAnotherProgram) \
    X(kProgramNamed) \
    X(kWhyTakenBy) \
    X(kFixBrltty) \
    X(kFixEndIt) \
    X(kFixClone) \
    X(kWhyRefusedBy) \
    X(kWhyServedBy) \
    X(kWhyServedByNot) \
    X(kFixReplug) \
    X(kWhyNotTaken) \
    X(kWhyNoDriver) \
    X(kFixModprobe) \
    X(kWhyNoPort) \
    X(kFactDriver) \
    X(kFactLocation) \
    X(kFactSerial) \
    X(kFactMaker) \
    X(kFactRevision) \
    X(kFactStableName) \
    X(kFactProblem) \
    X(kFactInstalledDriver) \
    X(kFactHeldBy) \
    X(kDiagnosisSystem) \
    X(kDiagnosisComPorts) \
    X(kDiagnosisPorts) \
    X(kDiagnosisWithoutPort) \
    X(kDiagnosisLastError) \
    X(kNoneOfThem) \
    X(kNoneAtAll) \
    X(kFlashUsage) \
    X(kNeedsConfirmation) \
    X(kConfirmPrompt) \
    X(kAnswerYes) \
    X(kAnswerYesWord) \
    X(kFlashVersion) \
    X(kMissingFile) \
    X(kOneFileOnly) \
    X(kCheckAndStreamOut) \
    X(kOneAdapter) \
    X(kAnyAdapter) \
    X(kNoAdapter) \
    X(kSeveralAdapters) \
    X(kEachAlone) \
    X(kWatchNeedsFile) \
    X(kWaitingForAdapters) \
    X(kEraseAlone) \
    X(kMissingValue) \
    X(kBadSeconds) \
    X(kTimeoutTooShort) \
    X(kBadCount) \
    X(kBadLanguage) \
    X(kGivenTwice) \
    X(kStreamOutIsTheFile) \
    X(kUnknownOption) \
    X(kNothingIsSent) \
    X(kWatchingFile) \
    X(kFileChanged) \
    X(kNoEndRecordYet) \
    X(kWaitingForPort) \
    X(kSending) \
    X(kCannotWrite) \
    X(kEmptyWindow) \
    X(kNoDataInFile) \
    X(kDataLiesAt) \
    X(kEraseOnPurpose) \
    X(kOneAdapterPorts2) \
    X(kOneAdapterPorts5) \
    X(kRecordData) \
    X(kRecordEnd) \
    X(kRecordSegment) \
    X(kRecordSegmentStart) \
    X(kRecordLinear) \
    X(kRecordLinearStart) \
    X(kRecordCount) \
    X(kCheckOk) \
    X(kCheckRecords) \
    X(kCheckNoData) \
    X(kCheckData) \
    X(kCheckOutside) \
    X(kCheckNotFf) \
    X(kWebTitle) \
    X(kWebChooseAdapter) \
    X(kWebNoAdapter) \
    X(kWebAdapter) \
    X(kWebAdapters) \
    X(kWebDropHint) \
    X(kWebDropOneFile) \
    X(kWebSerialPort) \
    X(kWebAdapterNumber) \
    X(kWebAdapterUnplugged) \
    X(kWebAdapterBack) \
    X(kWebNoWebSerial) \
    X(kWebInsecure) \
    X(kWebPortInUse) \
    X(kWebChooseAgain) \
    X(kWebPortHeldHere) \
    X(kWebChooserRefused) \
    X(kWebOffline)

struct TextTable {
#define KTQ51_TEXT_FIELD(key) std::string_view key;
    KTQ51_TEXT_KEYS(KTQ51_TEXT_FIELD)
#undef KTQ51_TEXT_FIELD
};

// A text by its key, to be read in whichever language is in use then.
using TextKey = std::string_view TextTable::*;

enum class Language { Czech, English };

extern const TextTable kCzechTexts;
extern const TextTable kEnglishTexts;

const TextTable& TextsOf(Language language);

// The language in use, for the whole program: Czech until another is chosen.
Language CurrentLanguage();
void SetLanguage(Language language);

// "cs" or "en", as --lang, KTQ51_LANG and the settings name them.
std::optional<Language> LanguageNamed(std::string_view code);
std::string_view LanguageCode(Language language);

// The texts of the language in use on this thread.
const TextTable& Text();

// For its lifetime, this thread's texts are those of `language`, whatever
// the program's: a report is written in Czech whatever the user reads.
class InLanguage {
public:
    explicit InLanguage(Language language);
    ~InLanguage();
    InLanguage(const InLanguage&) = delete;
    InLanguage& operator=(const InLanguage&) = delete;

private:
    const TextTable* outer_;
};

// `pattern` with {1} … {9} replaced by the arguments; a placeholder without
// an argument stays as it is.
std::string Format(std::string_view pattern, std::initializer_list<std::string_view> args);

// The form of a count: `one` for 1, `few` for 2 to 4, `many` for the rest
// (0 too), each a pattern with the count as {1}.
std::string Plural(long long count, std::string_view one, std::string_view few, std::string_view many);
