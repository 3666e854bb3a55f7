#include "framework/RegKeySnapshot.h"

#include "framework/WideText.h"

namespace {

struct OpenKey {
    HKEY key = nullptr;
    ~OpenKey()
    {
        if (key)
            ::RegCloseKey(key);
    }
};

// Names of the key's values now; false when they cannot be listed.
bool ValueNames(HKEY key, std::vector<std::wstring>& names)
{
    names.clear();
    DWORD count = 0, longest = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest, nullptr,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<wchar_t> name(longest + 2);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        LONG status = ::RegEnumValueW(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS)
            return true;
        if (status != ERROR_SUCCESS)
            return false;
        names.emplace_back(name.data(), length);
    }
}

} // namespace

bool RegKeySnapshot::Take(HKEY root, const std::string& path, REGSAM view)
{
    root_ = root;
    path_ = WideText::FromUtf8(path);
    view_ = view;
    values_.clear();
    taken_ = false;
    OpenKey open;
    LONG status = ::RegOpenKeyExW(root, path_.c_str(), 0, KEY_READ | view, &open.key);
    existed_ = status == ERROR_SUCCESS;
    if (status == ERROR_FILE_NOT_FOUND) {
        taken_ = true;
        return true;
    }
    std::vector<std::wstring> names;
    if (!existed_ || !ValueNames(open.key, names))
        return false;
    for (const std::wstring& name : names) {
        Value value;
        value.name = name;
        DWORD bytes = 0;
        if (::RegQueryValueExW(open.key, name.c_str(), nullptr, &value.type, nullptr, &bytes) != ERROR_SUCCESS)
            return false;
        value.data.resize(bytes);
        if (::RegQueryValueExW(open.key, name.c_str(), nullptr, &value.type, value.data.data(), &bytes) !=
            ERROR_SUCCESS)
            return false;
        value.data.resize(bytes);
        values_.push_back(std::move(value));
    }
    taken_ = true;
    return true;
}

bool RegKeySnapshot::Restore() const
{
    if (!taken_)
        return false;
    if (!existed_) {
        LONG status = ::RegDeleteKeyExW(root_, path_.c_str(), view_, 0);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    OpenKey open;
    if (::RegCreateKeyExW(root_, path_.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_SET_VALUE | view_,
                          nullptr, &open.key, nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<std::wstring> now;
    if (!ValueNames(open.key, now))
        return false;
    bool restored = true;
    for (const std::wstring& name : now) {
        bool kept = false;
        for (const Value& value : values_)
            kept = kept || WideText::SameIgnoringCase(value.name, name);
        if (!kept && ::RegDeleteValueW(open.key, name.c_str()) != ERROR_SUCCESS)
            restored = false;
    }
    for (const Value& value : values_) {
        if (::RegSetValueExW(open.key, value.name.c_str(), 0, value.type, value.data.data(),
                             static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            restored = false;
    }
    return restored;
}
