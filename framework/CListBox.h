#pragma once
#include <string>

#include "framework/CWnd.h"

// A list box of text items.
class CListBox : public CWnd {
public:
    CListBox() = default;
    ~CListBox() override = default;

    // Index of the new item (its sorted place in an LBS_SORT list), or LB_ERR / LB_ERRSPACE.
    int AddString(const std::string& text);
    // Selects the first item, searching after `startAfter` and wrapping around, whose text
    // begins with `prefix` (case-insensitive); returns its index or LB_ERR.
    int SelectString(int startAfter, const std::string& prefix);
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index))); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
    // The item's text; empty for an index out of range.
    std::string GetText(int index) const;
};
