#pragma once
// What the packer appends to the generic Uninstall.exe, in the setup's container format:
// one top-level folder "uninstall" holding
//   items.lst  the product's items below the install directory, one a line, each line
//              ended by CR LF: "D name" for a folder, "F name" for a file, names with
//              backslash separators; the folders first, each parent before its children,
//              then the files. A name the archive declares UTF-8 stays UTF-8 and its line
//              starts with the lower-case mark ("d", "f"): the setup installs it under
//              exactly that name, and the uninstaller removes exactly that. Other names are
//              the stored bytes, which the setup reads in the machine's ANSI code page, and
//              so does the uninstaller;
//   lang.ini   the product's lang.ini, for the title and texts (absent without one).
// Both the packer (portable) and the uninstaller (Windows) include this header.
namespace UninstallPackage {

constexpr char ProgramName[] = "Uninstall.exe";
constexpr char Folder[] = "uninstall";
constexpr char ItemList[] = "items.lst";
constexpr char LangIni[] = "lang.ini";
constexpr char FolderMark = 'D';
constexpr char FileMark = 'F';
constexpr char Utf8FolderMark = 'd';
constexpr char Utf8FileMark = 'f';

} // namespace UninstallPackage
