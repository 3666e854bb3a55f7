#pragma once
// Packing setups with packer_core and watching other processes' windows.
#include <windows.h>

#include <functional>
#include <string>

namespace apptest {

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);
// A small product folder below `scratch` and a setup packed from it with `stub`; lang
// empty: no lang.ini in the container.
std::string PackSetup(const std::string& scratch, const std::string& name, const std::string& stub,
                      const std::string& lang);
// The first visible top-level window of the process that satisfies the condition.
HWND FindWindowOf(DWORD processId, const std::function<bool(HWND)>& condition, DWORD timeoutMs);
std::string Caption(HWND hwnd);
bool IsDialogBox(HWND hwnd);
// The longest static text of a message box.
std::string BoxText(HWND box);
// Entries of the temporary folder whose names start with prefix.
int CountTempEntries(const std::string& prefix);

} // namespace apptest
