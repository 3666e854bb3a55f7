#include "uninstaller/Uninstaller.h"

#include "framework/AdminOnlySecurity.h"
#include "framework/CWnd.h"
#include "i18n/ExeDirectory.h"
#include "i18n/InstallSettings.h"
#include "i18n/LanguageTable.h"
#include "i18n/TextId.h"
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"
#include "uninstaller/ExitCodePipe.h"
#include "uninstaller/ProductList.h"
#include "uninstaller/SelfHandover.h"
#include "uninstaller/Uninstallation.h"
#include "uninstaller/UninstallPackage.h"

namespace {

// The original ends as soon as it has the code; a hung one only leaves its own file
// behind.
constexpr DWORD kOriginalWaitMs = 60000;

} // namespace

Uninstaller::Uninstaller(const UninstallCommand& command) : command_(command)
{
}

std::string Uninstaller::Text(int textId) const
{
    LanguageTable* table = LanguageTable::Instance();
    return table->ReadText(table->GetDefaultLanguage(), textId);
}

int Uninstaller::Show(const std::string& text, UINT style) const
{
    if (command_.Silent())
        return IDYES;
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    return CWnd::ShowMessage(nullptr, text, settings.title, style | MB_SETFOREGROUND);
}

int Uninstaller::Report(bool complete, bool recovered) const
{
    std::string text = complete ? Text(TextId::UninstallDone)
                                : Text(TextId::UninstallIncomplete) + "\r\n\r\n" + installDirectory_;
    if (recovered)
        text += "\r\n\r\n" + Text(TextId::UninstallRecovered);
    Show(text, MB_OK | (complete ? MB_ICONINFORMATION : MB_ICONWARNING));
    return complete ? Done : Incomplete;
}

void Uninstaller::CleanUp()
{
    if (command_.IsCopy()) {
        Remover::RemoveTree(workFolder_.Path() + "\\" + UninstallPackage::Folder);
        SelfHandover::DeleteAtRestart(SelfHandover::ProgramPath(), workFolder_.Path());
    } else {
        workFolder_.Remove();
    }
}

int Uninstaller::Refuse()
{
    Show(Text(TextId::UninstallRefused) + "\r\n\r\n" + installDirectory_, MB_OK | MB_ICONSTOP);
    if (command_.IsCopy())
        ExitCodePipe::Send(command_.Result(), Refused);
    CleanUp();
    return Refused;
}

int Uninstaller::Run()
{
    const bool copy = command_.IsCopy();
    installDirectory_ = copy ? command_.InstallDirectory() : GetExeDirectory();
    bool held = copy ? workFolder_.Hold(GetExeDirectory())
                     : workFolder_.Create(WorkFolder::TempFolder(), AdminOnlySecurity::ProcessIsAdministrator());
    ProductList list;
    bool listed = held && list.Load(SelfHandover::ProgramPath(), workFolder_.Path());
    if (!list.LangIni().empty())
        LanguageTable::Instance()->SetFile(list.LangIni());
    // The guard that keeps the setup's remover off drive roots and system folders decides
    // here too: a product list applied there would still delete same-named files.
    if (!listed || RemovalGuard::Refuses(installDirectory_))
        return Refuse();
    if (copy)
        return RemoveForOriginal(list);

    if (Show(Text(TextId::UninstallConfirm) + "\r\n\r\n" + installDirectory_, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        CleanUp();
        return Done;
    }
    ExitCodePipe pipe;
    if (!pipe.Open() ||
        !SelfHandover::StartCopy(workFolder_.Path(), installDirectory_, command_.Silent(), pipe.WriteEnd()))
        return RemoveHere(list);
    int code = Incomplete;
    // The copy reports, since it alone knows what stayed; a copy that died before it could
    // leaves the report to this process.
    if (!pipe.Receive(code))
        Report(false, false);
    return code;
}

// The report comes before the code goes back, so that the caller's wait covers it and
// nothing is said after the caller has moved on.
int Uninstaller::RemoveForOriginal(const ProductList& list)
{
    Uninstallation removal(installDirectory_, list);
    bool complete = removal.RemoveAllButProgram(workFolder_.Path());
    int code = Report(complete, removal.Recovered());
    ExitCodePipe::Send(command_.Result(), code);
    SelfHandover::WaitForOriginal(command_.Original(), kOriginalWaitMs);
    removal.RemoveRest();
    CleanUp();
    return code;
}

// Without a copy this process removes what it can; its own file stays.
int Uninstaller::RemoveHere(const ProductList& list)
{
    Uninstallation removal(installDirectory_, list);
    bool complete = removal.RemoveAllButProgram(std::string());
    complete = removal.RemoveRest() && complete;
    int code = Report(complete, removal.Recovered());
    CleanUp();
    return code;
}
