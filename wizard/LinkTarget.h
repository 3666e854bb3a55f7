#pragma once
#include <windows.h>

#include <string>

// What a hyperlink opens: any text the shell's "open" verb accepts (a web address, a
// file, a folder).
class LinkTarget {
public:
    LinkTarget() = default;
    explicit LinkTarget(const char* text) : targetText(text ? text : "") {}
    virtual ~LinkTarget() = default;

    // ShellExecuteA "open" with no owner, parameters or directory, SW_SHOWNORMAL; its
    // result (above 32 on success). Null for an empty target.
    virtual HINSTANCE Open() const;

    std::string targetText;
};
