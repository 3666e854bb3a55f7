#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX) back out of this executable's
// resources, so tests can compare what the resource compiler stored with what the
// program expects, field by field.
#include <windows.h>

#include <string>
#include <vector>

struct DialogTemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    std::wstring className;   // predefined classes by name ("Button", "Static", ...)
    std::wstring title;       // an ordinal title reads as "#<n>"
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::wstring title;
    WORD pointSize = 0;
    std::wstring typeface;
    std::vector<DialogTemplateItem> items;
};

// False when the resource is missing or not an extended template.
bool ReadDialogTemplate(UINT id, DialogTemplate& out);
