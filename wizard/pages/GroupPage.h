#pragma once
#include <string>

#include "wizard/pages/WizardPage.h"

// Page 4: the program group. The edit proposes the group of lang.ini; the sorted list
// shows the Start-menu folders that exist, and picking one copies its name into the
// edit. A typed name is taken as it is.
class GroupPage : public WizardPage {
public:
    enum { IDD = 134 };

    GroupPage() = default;
    ~GroupPage() override = default;

    // The edit's text, unchanged.
    std::string GetGroupText() const;

protected:
    BOOL OnInitDialog() override;
    bool UsesFixedFont(int controlId) const override;

    void OnPaint();
    void OnGroupSelected();

    DECLARE_MESSAGE_MAP()
};
