#include "framework/CListBox.h"

#include "framework/WideText.h"

int CListBox::AddString(const std::string& text)
{
    std::wstring wide = WideText::FromUtf8(text);
    return static_cast<int>(SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int CListBox::SelectString(int startAfter, const std::string& prefix)
{
    std::wstring wide = WideText::FromUtf8(prefix);
    return static_cast<int>(
        SendMessage(LB_SELECTSTRING, static_cast<WPARAM>(startAfter), reinterpret_cast<LPARAM>(wide.c_str())));
}

std::string CListBox::GetText(int index) const
{
    LRESULT length = SendMessage(LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length == LB_ERR || length <= 0)
        return std::string();
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessage(LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&text[0]));
    return WideText::ToUtf8(text.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}
