#pragma once
#include <string>
#include <vector>

// The product's files and folders, as the packer listed them in the container appended
// to this program (UninstallPackage.h), with the product's lang.ini beside the list.
class ProductList {
public:
    // Unpacks this program's container into workFolder and reads the list from there.
    // False when the program carries no container or no list.
    bool Load(const std::string& programPath, const std::string& workFolder);

    // Reads list text. Lines whose name could reach outside the install directory
    // (absolute, with a drive or a ".." part) and lines of another form are left out,
    // so a damaged list can only ever remove less.
    void Parse(const std::string& text);

    // UTF-8, relative to the install directory, in list order.
    const std::vector<std::string>& Files() const { return files_; }
    const std::vector<std::string>& Folders() const { return folders_; }
    // The unpacked lang.ini; the file may not exist (a product without one).
    const std::string& LangIni() const { return langIni_; }

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
    std::string langIni_;
};
