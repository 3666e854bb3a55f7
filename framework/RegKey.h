#pragma once
#include <windows.h>

#include <string>

// One open registry key, closed with the object. Names and string values are UTF-8 here;
// the registry keeps them as UTF-16 whichever function wrote them.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // RegOpenKeyExW; false when the key does not exist or cannot be opened.
    bool Open(HKEY root, const char* path, REGSAM access = KEY_READ);
    // RegCreateKeyExW: opens the key, creating it (with `options`, e.g. REG_OPTION_VOLATILE) when missing.
    bool Create(HKEY root, const char* path, DWORD options = REG_OPTION_NON_VOLATILE, REGSAM access = KEY_ALL_ACCESS);
    void Close();
    bool IsOpen() const { return key_ != nullptr; }
    HKEY get() const { return key_; }

    // Size in bytes of the value's data (with a string's terminating zero); false when
    // there is no such value.
    bool QueryValueSize(const char* name, DWORD& bytes) const;
    // The same in UTF-16 units, for limits counted in characters.
    bool QueryCharacters(const char* name, DWORD& characters) const;
    // The value as text: REG_SZ or REG_EXPAND_SZ only, terminated at its first zero byte
    // even when stored without one. False when absent or of another type.
    bool QueryString(const char* name, std::string& text) const;
    bool SetString(const char* name, const std::string& text);
    bool SetNumber(const char* name, DWORD value);
    bool DeleteValue(const char* name);

    // RegDeleteKeyW: the key with its values; a key that still has subkeys stays.
    static bool DeleteKey(HKEY root, const char* path);

private:
    HKEY key_ = nullptr;
};
