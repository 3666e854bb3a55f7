#include "DialogTemplate.h"

#include <cstring>

namespace {

class Cursor {
public:
    Cursor(const BYTE* begin, const BYTE* end) : p_(begin), begin_(begin), end_(end) {}
    template <class T>
    T Read()
    {
        T value{};
        if (p_ + sizeof(T) <= end_)
            memcpy(&value, p_, sizeof(T));
        p_ += sizeof(T);
        return value;
    }
    // sz_Or_Ord: 0 = none, 0xFFFF + ordinal, or a zero-terminated UTF-16 string.
    std::wstring ReadNameOrOrdinal(bool isClass)
    {
        WORD first = Read<WORD>();
        if (first == 0)
            return std::wstring();
        if (first == 0xFFFF) {
            WORD ordinal = Read<WORD>();
            if (isClass) {
                static const wchar_t* const names[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
                if (ordinal >= 0x80 && ordinal <= 0x85)
                    return names[ordinal - 0x80];
            }
            return L"#" + std::to_wstring(ordinal);
        }
        std::wstring text(1, static_cast<wchar_t>(first));
        for (WORD c; (c = Read<WORD>()) != 0 && ok();)
            text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignToDword() { p_ = begin_ + ((p_ - begin_ + 3) & ~static_cast<ptrdiff_t>(3)); }
    void Skip(size_t bytes) { p_ += bytes; }
    bool ok() const { return p_ <= end_; }

private:
    const BYTE* p_;
    const BYTE* begin_;
    const BYTE* end_;
};

} // namespace

bool ReadDialogTemplate(UINT id, DialogTemplate& out)
{
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC resource = ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));   // RT_DIALOG
    HGLOBAL loaded = resource ? ::LoadResource(module, resource) : nullptr;
    const BYTE* data = loaded ? static_cast<const BYTE*>(::LockResource(loaded)) : nullptr;
    if (!data)
        return false;
    Cursor c(data, data + ::SizeofResource(module, resource));
    if (c.Read<WORD>() != 1 || c.Read<WORD>() != 0xFFFF)
        return false;
    c.Read<DWORD>();   // help id
    out.exStyle = c.Read<DWORD>();
    out.style = c.Read<DWORD>();
    WORD count = c.Read<WORD>();
    out.x = c.Read<short>();
    out.y = c.Read<short>();
    out.cx = c.Read<short>();
    out.cy = c.Read<short>();
    c.ReadNameOrOrdinal(false);   // menu
    c.ReadNameOrOrdinal(false);   // window class
    out.title = c.ReadNameOrOrdinal(false);
    if (out.style & (DS_SETFONT | DS_SHELLFONT)) {
        out.pointSize = c.Read<WORD>();
        c.Read<WORD>();   // weight
        c.Read<BYTE>();   // italic
        c.Read<BYTE>();   // charset
        out.typeface = c.ReadNameOrOrdinal(false);
    }
    out.items.clear();
    for (WORD i = 0; i < count && c.ok(); ++i) {
        c.AlignToDword();
        DialogTemplateItem item;
        c.Read<DWORD>();   // help id
        item.exStyle = c.Read<DWORD>();
        item.style = c.Read<DWORD>();
        item.x = c.Read<short>();
        item.y = c.Read<short>();
        item.cx = c.Read<short>();
        item.cy = c.Read<short>();
        item.id = c.Read<DWORD>();
        item.className = c.ReadNameOrOrdinal(true);
        item.title = c.ReadNameOrOrdinal(false);
        c.Skip(c.Read<WORD>());   // creation data
        out.items.push_back(item);
    }
    return c.ok() && out.items.size() == count;
}
