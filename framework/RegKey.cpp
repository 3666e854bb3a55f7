#include "framework/RegKey.h"

#include "framework/WideText.h"

#include <vector>

namespace {

// A null name stays null: it stands for the key's default value.
struct WideName {
    explicit WideName(const char* name) : text(name ? WideText::FromUtf8(name) : std::wstring()), isNull(!name) {}
    const wchar_t* get() const { return isNull ? nullptr : text.c_str(); }
    std::wstring text;
    bool isNull;
};

} // namespace

bool RegKey::Open(HKEY root, const char* path, REGSAM access)
{
    Close();
    if (::RegOpenKeyExW(root, WideName(path).get(), 0, access, &key_) != ERROR_SUCCESS)
        key_ = nullptr;
    return key_ != nullptr;
}

bool RegKey::Create(HKEY root, const char* path, DWORD options, REGSAM access)
{
    Close();
    LONG status = ::RegCreateKeyExW(root, WideName(path).get(), 0, nullptr, options, access, nullptr, &key_, nullptr);
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
    return key_ && ::RegQueryValueExW(key_, WideName(name).get(), nullptr, nullptr, nullptr, &bytes) == ERROR_SUCCESS;
}

bool RegKey::QueryString(const char* name, std::string& text) const
{
    text.clear();
    WideName wideName(name);
    DWORD type = 0;
    DWORD bytes = 0;
    if (!key_ || ::RegQueryValueExW(key_, wideName.get(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        return false;
    // A spare unit, and an odd size rounded up: the stored data need not end with a zero.
    std::vector<wchar_t> data(bytes / sizeof(wchar_t) + 2, L'\0');
    if (::RegQueryValueExW(key_, wideName.get(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes) !=
        ERROR_SUCCESS)
        return false;
    text = WideText::ToUtf8(data.data());
    return true;
}

bool RegKey::QueryCharacters(const char* name, DWORD& characters) const
{
    DWORD bytes = 0;
    if (!QueryValueSize(name, bytes))
        return false;
    characters = bytes / sizeof(wchar_t);
    return true;
}

bool RegKey::SetString(const char* name, const std::string& text)
{
    std::wstring wide = WideText::FromUtf8(text);
    return key_ && ::RegSetValueExW(key_, WideName(name).get(), 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                                    static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool RegKey::SetNumber(const char* name, DWORD value)
{
    return key_ && ::RegSetValueExW(key_, WideName(name).get(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                    sizeof(value)) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(const char* name)
{
    return key_ && ::RegDeleteValueW(key_, WideName(name).get()) == ERROR_SUCCESS;
}

bool RegKey::DeleteKey(HKEY root, const char* path)
{
    return ::RegDeleteKeyW(root, WideName(path).get()) == ERROR_SUCCESS;
}
