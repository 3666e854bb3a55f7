#include "tools/ProductUninstaller.h"

#include "container/PayloadContainer.h"
#include "engine/zip/ZipNameRules.h"
#include "tools/ContainerWriter.h"
#include "tools/FileBytes.h"
#include "tools/MemoryZipFile.h"
#include "tools/PeImage.h"
#include "tools/ProductArchive.h"
#include "uninstaller/UninstallPackage.h"

#include <unzip.h>
#include <zip.h>

#include <cctype>
#include <filesystem>
#include <set>

namespace {

constexpr uint32_t DosArchive = 0x20;

bool SameNameIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The name with backslash separators, without empty and "." components (the file system
// reads "a/./b//c" as a\b\c).
std::string JoinedComponents(const std::string& name)
{
    std::string joined, component;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '/' && name[i] != '\\') {
            component += name[i];
            continue;
        }
        if (!component.empty() && component != ".")
            joined += (joined.empty() ? "" : "\\") + component;
        component.clear();
    }
    return joined;
}

std::string ListLine(char mark, const std::string& name)
{
    return std::string(1, mark) + " " + name + "\r\n";
}

} // namespace

bool ProductUninstaller::MakeProgram(const std::string& genericPath, const std::vector<uint8_t>& lang, const std::string& list,
                                     std::vector<uint8_t>& program, std::string& error)
{
    ContainerEntryList existing;
    if (PayloadContainer(genericPath).ReadIndex(existing)) {
        error = "uninstaller " + genericPath + " already carries a container";
        return false;
    }
    if (!FileBytes::Read(genericPath, program, error))
        return false;
    std::string why;
    if (!PeImage::Check(program, PeImage::UninstallerMarker, "the Orvanta generic uninstaller", why)) {
        error = "uninstaller " + genericPath + ": " + why
            + " (expected: the Uninstall.exe the Windows build writes beside setup.exe, carrying the resource "
            + PeImage::UninstallerMarker + ")";
        return false;
    }
    ContainerNode folder = ContainerNode::Folder(UninstallPackage::Folder);
    folder.children.push_back(ContainerNode::File(UninstallPackage::ItemList, {list.begin(), list.end()}));
    if (!lang.empty())
        folder.children.push_back(ContainerNode::File(UninstallPackage::LangIni, lang));
    ContainerWriter writer(program.size());
    writer.AppendContainer({folder});
    program.insert(program.end(), writer.Bytes().begin(), writer.Bytes().end());
    return true;
}

namespace {

// Adds one file item as the product archive's own items are made: fixed time, archive
// attribute, deflated.
bool AddToArchive(std::vector<uint8_t>& zipBytes, const std::string& name, const std::vector<uint8_t>& content,
                  std::string& error)
{
    MemoryZipFile memory(zipBytes);
    zipFile zip = memory.OpenArchiveToWrite(APPEND_STATUS_ADDINZIP);
    if (!zip) {
        error = "cannot add the uninstaller to the product archive";
        return false;
    }
    zip_fileinfo info = {};
    info.tmz_date.tm_mday = 1;
    info.tmz_date.tm_year = 1980;
    info.external_fa = DosArchive;
    bool ok = zipOpenNewFileInZip4_64(zip, name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                      Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                      nullptr, 0, 0, 0, 0) == ZIP_OK &&
              zipWriteInFileInZip(zip, content.data(), static_cast<unsigned>(content.size())) == ZIP_OK;
    ok = zipCloseFileInZip(zip) == ZIP_OK && ok;
    ok = zipClose(zip, nullptr) == ZIP_OK && ok;
    if (!ok)
        error = "cannot add the uninstaller to the product archive";
    return ok;
}

} // namespace

std::string ProductUninstaller::GenericPath(const std::string& stub)
{
    return (std::filesystem::path(stub).parent_path() / UninstallPackage::ProgramName).string();
}

bool ProductUninstaller::ListItems(const std::vector<uint8_t>& zipBytes, std::string& list, bool& hasUninstaller,
                                   std::string& error)
{
    std::vector<ProductItem> items;
    if (!ProductArchive::ListItems(zipBytes, items, error)) {
        error = "product: " + error;
        return false;
    }
    // Names with whether they are UTF-8; sorted, so a parent comes before its children.
    std::set<std::pair<std::string, bool>> folders, files;
    hasUninstaller = false;
    for (const ProductItem& item : items) {
        std::string rest = ZipNameRules::Remainder(item.name.c_str());
        bool folder = item.directory || rest.empty() || rest.back() == '/' || rest.back() == '\\';
        std::string name = JoinedComponents(rest);
        if (name.empty())
            continue;
        (folder ? folders : files).insert({name, item.utf8});
        for (size_t cut = name.find('\\'); cut != std::string::npos; cut = name.find('\\', cut + 1))
            folders.insert({name.substr(0, cut), item.utf8});
        hasUninstaller = hasUninstaller || (!folder && SameNameIgnoringCase(name, UninstallPackage::ProgramName));
    }
    if (!hasUninstaller)
        files.insert({UninstallPackage::ProgramName, false});
    list.clear();
    for (const auto& [folder, isUtf8] : folders)
        list += ListLine(isUtf8 ? UninstallPackage::Utf8FolderMark : UninstallPackage::FolderMark, folder);
    for (const auto& [file, isUtf8] : files)
        list += ListLine(isUtf8 ? UninstallPackage::Utf8FileMark : UninstallPackage::FileMark, file);
    return true;
}

bool ProductUninstaller::AddIfMissing(const std::string& stub, const std::vector<uint8_t>& lang, std::vector<uint8_t>& zip,
                                      std::string& error, const Signer& sign)
{
    std::string list;
    bool hasUninstaller = false;
    if (!ListItems(zip, list, hasUninstaller, error))
        return false;
    if (hasUninstaller)
        return true;
    std::string generic = GenericPath(stub);
    std::error_code ec;
    // Without one the setup would install a product that cannot be removed, its
    // Uninstall shortcut leading nowhere.
    if (!std::filesystem::is_regular_file(generic, ec)) {
        error = "product brings no Uninstall.exe and there is none beside the stub: " + generic;
        return false;
    }
    std::vector<uint8_t> program;
    return MakeProgram(generic, lang, list, program, error) && (!sign || sign(program, error)) &&
           AddToArchive(zip, UninstallPackage::ProgramName, program, error);
}
