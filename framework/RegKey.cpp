#include "framework/RegKey.h"

#include <vector>

bool RegKey::Open(HKEY root, const char* path, REGSAM access)
{
    Close();
    if (::RegOpenKeyExA(root, path, 0, access, &key_) != ERROR_SUCCESS)
        key_ = nullptr;
    return key_ != nullptr;
}

bool RegKey::Create(HKEY root, const char* path, DWORD options, REGSAM access)
{
    Close();
    LONG status = ::RegCreateKeyExA(root, path, 0, nullptr, options, access, nullptr, &key_, nullptr);
    if (status != ERROR_SUCCESS)
        key_ = nullptr;
    return key_ != nullptr;
}

void RegKey::Close()
{
    if (key_)
        ::RegCloseKey(key_);
    key_ = nullptr;
}

bool RegKey::QueryValueSize(const char* name, DWORD& bytes) const
{
    bytes = 0;
    return key_ && ::RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS;
}

bool RegKey::QueryString(const char* name, std::string& text) const
{
    text.clear();
    DWORD type = 0;
    DWORD bytes = 0;
    if (!key_ || ::RegQueryValueExA(key_, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // One spare byte: the stored data need not end with a zero.
    std::vector<char> data(bytes + 1, '\0');
    if (::RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) != ERROR_SUCCESS)
        return false;
    text.assign(data.data());
    return true;
}

bool RegKey::SetString(const char* name, const std::string& text)
{
    return key_ && ::RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                    static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(const char* name)
{
    return key_ && ::RegDeleteValueA(key_, name) == ERROR_SUCCESS;
}

bool RegKey::DeleteKey(HKEY root, const char* path)
{
    return ::RegDeleteKeyA(root, path) == ERROR_SUCCESS;
}
