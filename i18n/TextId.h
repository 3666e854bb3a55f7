#pragma once
// String identifiers of the wizard texts. A language section "lang<n>" of lang.ini
// translates a text under the identifier's decimal number as key ("20002=Next");
// every identifier also has a built-in Simplified Chinese text (BuiltinTexts.cpp).
//
// Pages read texts from a freshly filled LanguageRecord:
//
//     LanguageRecord record;
//     LanguageTable::Instance()->FillCurrentRecord(record);
//     SetDlgItemText(1001, record.Text(TextId::ButtonNext) + " >");   // UTF-8, as every text
#include <array>
#include <cstddef>

namespace TextId {

// Labels, explanations and message texts.
constexpr int LanguagesLabel = 10001;     // language page, label above the language list
constexpr int WelcomeIntro = 10002;       // welcome page, first paragraph
constexpr int WelcomeAdvice = 10003;      // welcome page, second paragraph
constexpr int WelcomeWarning = 10004;     // welcome page, third paragraph
constexpr int WelcomePenalties = 10005;   // welcome page, fourth paragraph
constexpr int LicencePrompt = 10006;      // licence page, label above the agreement
constexpr int LicenceAccept = 10007;      // licence page, acceptance check box
constexpr int DirectoryPrompt = 10008;    // directory page, explanation
constexpr int DirectoryGroup = 10009;     // directory page, group box around the path
constexpr int BrowseInstruction = 10010;  // folder-browse dialog, instruction line
constexpr int DirectoryExists = 10011;    // directory-exists question, first half
constexpr int DirectoryConfirm = 10012;   // directory-exists question, second half
constexpr int GroupPrompt = 10013;        // program group page, label
constexpr int ConfirmReady = 10014;       // confirmation page, first part
constexpr int ConfirmAdvice = 10015;      // confirmation page, second part
constexpr int ProgressInstalling = 10016; // progress page, first part
constexpr int ProgressCancelHint = 10017; // progress page, second part
constexpr int FinishDone = 10018;         // finish page, first part
constexpr int FinishLeave = 10019;        // finish page, second part
constexpr int FinishLaunch = 10020;       // finish page, launch check box
constexpr int CloseNotFinished = 10021;   // close/cancel question, first half
constexpr int CloseConfirm = 10022;       // close/cancel question, second half
constexpr int CancelFailed = 10023;       // cancel page, label
constexpr int ProgressCopying = 10024;    // progress page, prefix of the file being written
constexpr int ProgressAllFiles = 10025;   // progress page, label above the overall bar
constexpr int SetupDamaged = 10026;       // message box of a setup that cannot be unpacked, before the wizard
constexpr int CancelIncomplete = 10027;   // cancel page, label when the rollback could not undo the run
constexpr int SetAsideRestored = 10028;   // message box: an interrupted run's replaced files were put back, followed by the folder
constexpr int DirectoryRefused = 10029;   // message box: the chosen directory cannot hold an installation, followed by it
constexpr int FileInUse = 10030;          // Retry/Cancel question: a running program holds a product file, followed by it

// Button captions.
constexpr int ButtonBack = 20001;   // frame, Back (shown as "< " + text)
constexpr int ButtonNext = 20002;   // frame, Next (shown as text + " >")
constexpr int ButtonOk = 20003;     // read, shown nowhere
constexpr int ButtonCancel = 20004; // frame, Cancel on every step but finish and cancel
constexpr int ButtonBrowse = 20005; // directory page, Browse
constexpr int ButtonYes = 20006;    // read, shown nowhere
constexpr int ButtonNo = 20007;     // read, shown nowhere
constexpr int ButtonClose = 20008;  // frame, Cancel button on the finish and cancel steps

// Texts of the uninstaller that the packer adds to a product (message boxes only; they
// are not part of the wizard's record).
constexpr int UninstallConfirm = 30001;    // question before removing, followed by the folder
constexpr int UninstallDone = 30002;       // report after a complete removal
constexpr int UninstallIncomplete = 30003; // report when product files stayed, followed by the folder
constexpr int UninstallRefused = 30004;    // refusal to remove in this folder, followed by the folder
constexpr int UninstallRecovered = 30005;  // last paragraph of a report: replaced files put back first

constexpr std::size_t Count = 38;

constexpr int LastLabel = FileInUse;

// Every identifier in record order: 10001 to 10030, then 20001 to 20008.
constexpr std::array<int, Count> All = {
    10001, 10002, 10003, 10004, 10005, 10006, 10007, 10008, 10009, 10010, 10011, 10012,
    10013, 10014, 10015, 10016, 10017, 10018, 10019, 10020, 10021, 10022, 10023, 10024,
    10025, 10026, 10027, 10028, 10029, 10030, 20001, 20002, 20003, 20004, 20005, 20006, 20007, 20008};

// Position of an identifier in record order, or -1 for a number that is no identifier.
constexpr int IndexOf(int identifier)
{
    if (identifier >= 10001 && identifier <= LastLabel)
        return identifier - 10001;
    if (identifier >= 20001 && identifier <= 20008)
        return LastLabel - 10000 + identifier - 20001;
    return -1;
}

} // namespace TextId
