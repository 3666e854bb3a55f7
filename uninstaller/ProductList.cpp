#include "uninstaller/ProductList.h"

#include "container/PayloadContainer.h"
#include "container/ScopedFile.h"
#include "framework/WideText.h"
#include "remover/RemovalGuard.h"
#include "uninstaller/UninstallPackage.h"

#include <cstdio>
#include <memory>

bool ProductList::Load(const std::string& programPath, const std::string& workFolder)
{
    PayloadContainer container(programPath);
    ContainerEntryList entries;
    if (!container.ReadIndex(entries) || !container.ExtractAll(entries, workFolder))
        return false;
    const std::string folder = PayloadContainer::JoinPath(workFolder, UninstallPackage::Folder);
    langIni_ = PayloadContainer::JoinPath(folder, UninstallPackage::LangIni);
    ScopedFile list(std::fopen(PayloadContainer::JoinPath(folder, UninstallPackage::ItemList).c_str(), "rb"));
    if (!list)
        return false;
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, list.get())) > 0;)
        text.append(chunk, n);
    Parse(text);
    return true;
}

void ProductList::Parse(const std::string& text)
{
    files_.clear();
    folders_.clear();
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() < 3 || line[1] != ' ')
            continue;
        std::string name = line.substr(2);
        bool isUtf8 = line[0] == UninstallPackage::Utf8FileMark || line[0] == UninstallPackage::Utf8FolderMark;
        // A name without the UTF-8 mark is bytes of the machine's code page, as the setup
        // took it; one that is no text there, the setup never installed.
        if (!isUtf8)
            name = WideText::Utf8FromCodePage(name, 0);
        else if (!WideText::IsUtf8(name))
            continue;
        if (name.empty())
            continue;
        if (!RemovalGuard::IsNameBelow(name))
            continue;
        if (line[0] == UninstallPackage::FileMark || line[0] == UninstallPackage::Utf8FileMark)
            files_.push_back(name);
        else if (line[0] == UninstallPackage::FolderMark || line[0] == UninstallPackage::Utf8FolderMark)
            folders_.push_back(name);
    }
}
