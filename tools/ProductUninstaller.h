#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The uninstaller the packer gives a product that brings none: the generic Uninstall.exe
// shipped beside the stub, with the product's list and lang.ini appended in the container
// format (uninstaller/UninstallPackage.h). It then removes exactly what the setup unpacks
// from this archive, from whatever folder it was installed into.
class ProductUninstaller {
public:
    // Signs the finished program's bytes in place.
    using Signer = std::function<bool(std::vector<uint8_t>& program, std::string& error)>;

    // Adds "Uninstall.exe" to the product archive unless the archive holds one at its top
    // (in any case). lang: the lang.ini as the setup carries it; empty when it has none.
    // sign, when given, signs the program after its list is appended: those are the bytes
    // that get installed, and a list appended later would void the signature.
    static bool AddIfMissing(const std::string& stub, const std::vector<uint8_t>& lang, std::vector<uint8_t>& zip,
                             std::string& error, const Signer& sign = nullptr);

    // The list of what the setup writes from the archive (items.lst), in the same names
    // as its ZIP reader makes of the stored ones, folders implied by a file's path
    // included; hasUninstaller tells whether the archive brings Uninstall.exe at its top.
    static bool ListItems(const std::vector<uint8_t>& zip, std::string& list, bool& hasUninstaller,
                          std::string& error);

    // The generic uninstaller with list and lang (empty: none) appended.
    static bool MakeProgram(const std::string& generic, const std::vector<uint8_t>& lang, const std::string& list,
                            std::vector<uint8_t>& program, std::string& error);

    // The generic uninstaller's place: the stub's folder.
    static std::string GenericPath(const std::string& stub);
};
