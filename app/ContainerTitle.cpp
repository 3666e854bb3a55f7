#include "app/ContainerTitle.h"

#include <windows.h>

#include <cstdio>

#include "container/PayloadContainer.h"
#include "container/SetupLayout.h"
#include "framework/FileApi.h"
#include "i18n/InstallSettings.h"
#include "i18n/LanguageTable.h"
#include "remover/Remover.h"

bool ContainerTitle::ExtractLanguageFile(const std::string& containerPath, const std::string& folder)
{
    return PayloadContainer(containerPath).ExtractEntry(SetupLayout::InstallFolder, "lang.ini", folder);
}

std::string ContainerTitle::MakePrivateFolder()
{
    std::string base = FileApi::TempFolder();
    if (base.empty())
        return std::string();
    if (base.back() != '\\')
        base += '\\';
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[64];
        std::snprintf(name, sizeof(name), "orvanta-title-%lu-%lu-%u", ::GetCurrentProcessId(), ::GetTickCount(), attempt);
        std::string folder = base + name;
        // Creating (not finding) the folder is what makes it ours alone.
        if (FileApi::MakeFolder(folder))
            return folder;
    }
    return std::string();
}

std::string ContainerTitle::Read(const std::string& containerPath)
{
    std::string folder = MakePrivateFolder();
    // Without a lang.ini the table's file is one that does not exist, so the built-in
    // title applies; the table's defaults are the only place that knows them.
    std::string langFile = folder.empty() ? std::string() : folder + "\\lang.ini";
    if (!folder.empty() && !ExtractLanguageFile(containerPath, folder))
        langFile = folder + "\\no-lang.ini";
    LanguageTable* table = LanguageTable::Instance();
    std::string previous = table->GetFile();
    table->SetFile(langFile.empty() ? std::string("orvanta-no-lang.ini") : langFile);
    InstallSettings settings;
    table->ReadInstallSettings(settings);
    table->SetFile(previous);
    if (!folder.empty())
        Remover::RemoveTree(folder);
    return settings.title;
}
