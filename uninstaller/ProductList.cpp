#include "uninstaller/ProductList.h"

#include "container/PayloadContainer.h"
#include "framework/WholeFile.h"
#include "framework/WideText.h"
#include "remover/RemovalGuard.h"
#include "uninstaller/UninstallPackage.h"


bool ProductList::Load(const std::string& programPath, const std::string& workFolder)
{
    PayloadContainer container(programPath);
    ContainerEntryList entries;
    if (!container.ReadIndex(entries) || !container.ExtractAll(entries, workFolder))
        return false;
    const std::string folder = PayloadContainer::JoinPath(workFolder, UninstallPackage::Folder);
    langIni_ = PayloadContainer::JoinPath(folder, UninstallPackage::LangIni);
    // The list names one product's items; anything far larger is not one.
    constexpr size_t kMaxBytes = 64u << 20;
    std::string text;
    if (!WholeFile::Read(PayloadContainer::JoinPath(folder, UninstallPackage::ItemList), text, kMaxBytes))
        return false;
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
        // took them; bytes that are no text there name nothing the setup could install.
        if (!isUtf8)
            name = WideText::Utf8FromCodePage(name, 0);
        else if (!WideText::IsUtf8(name))
            continue;
        if (name.empty() || !RemovalGuard::IsNameBelow(name))
            continue;
        if (line[0] == UninstallPackage::FileMark || line[0] == UninstallPackage::Utf8FileMark)
            files_.push_back(name);
        else if (line[0] == UninstallPackage::FolderMark || line[0] == UninstallPackage::Utf8FolderMark)
            folders_.push_back(name);
    }
}
