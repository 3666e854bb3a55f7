#pragma once
// A test stand-in of the wizard: a window from the frame's template with pages created
// in it as the frame creates them, and a WizardFrame object over that window so that the
// pages reach the frame's navigation buttons through the application object.
#include <windows.h>

#include <memory>
#include <string>

#include "app/SetupApp.h"
#include "framework/CDialog.h"
#include "wizard/WizardFrame.h"

namespace pagetest {

// The application object of the test program (pages reach it through AfxGetApp).
SetupApp& App();

// Handles what is queued for this thread's windows.
void Pump();
// Paints the window now, as covering and uncovering it would: its WM_PAINT runs before
// this returns, then what that queued is handled.
void Repaint(HWND window);
// A real mouse click on item `index` of a list box, then what it queued is handled.
void ClickListItem(HWND list, int index);
// The text of a child control.
std::string ItemText(HWND parent, int id);
// A GBK (code page 936) byte string from UTF-8 text.
std::string Gbk(const std::string& utf8);

class PageHost {
public:
    PageHost();
    ~PageHost();
    PageHost(const PageHost&) = delete;
    PageHost& operator=(const PageHost&) = delete;

    // Creates a page as the frame does (hidden child from its template), places it in the
    // page band and shows it. The page deletes itself with the host's window.
    template <class Page>
    Page* Add()
    {
        Page* page = new Page;
        if (!page->Create(Page::IDD, &window_)) {
            delete page;
            return nullptr;
        }
        Place(page->m_hWnd);
        return page;
    }

    HWND Window() const { return window_.m_hWnd; }
    // Shows one page and hides every other, like the frame's page switch.
    void Show(HWND page);

private:
    void Place(HWND page);

    CDialog window_;
    WizardFrame frame_;
};

} // namespace pagetest
