#pragma once
#include <windows.h>

#include <string>

// What a hyperlink opens. The setup runs with administrator rights and takes the target
// from lang.ini, which any process of the user can write, and whatever the shell opens
// for it runs with those rights. So the shell is handed only what a link may open: a web
// or mail address, or a file of the product being installed; never a program elsewhere, a
// script, a file: or shell: address, a share or a path relative to wherever we are.
// Targets and paths are UTF-8.
class LinkTarget {
public:
    LinkTarget() = default;
    explicit LinkTarget(const char* text) : targetText(text ? text : "") {}
    virtual ~LinkTarget() = default;

    // ShellExecuteW "open" of what Openable makes of the target, within the wizard engine's
    // install directory, with no owner, parameters or directory, SW_SHOWNORMAL; its result
    // (above 32 on success). Null, opening nothing, for an empty or refused target.
    virtual HINSTANCE Open() const;

    // What the shell may be handed for text, empty for anything else:
    // - the text itself for an http:// or https:// address with a host, or a mailto: address
    //   with something after the colon, any case, written in printable ASCII without
    //   spaces, quotes, backslashes or any of < > ^ ` { | };
    // - the full path for a drive-absolute path (no stream) that lies strictly inside
    //   productFolder, compared on full paths, and still does when both are followed
    //   through every link on the way.
    static std::string Openable(const std::string& text, const std::string& productFolder);

    std::string targetText;
};
