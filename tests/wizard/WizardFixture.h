#pragma once
// Base of the wizard and page tests: a clean profile and language table before and after.
// RunFrame runs a real WizardFrame modally on the test's main thread, as the application
// does, while the test's script works it from a helper thread with real messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "engine/InstallEngine.h"
#include "i18n/BuiltinTexts.h"
#include "support/ScratchDir.h"
#include "wizard/WizardFrame.h"

// The real frame, which also runs the std::function in lParam of kCallMessage.
class TestFrame : public WizardFrame {
public:
    static constexpr UINT kCallMessage = WM_APP + 73;

protected:
    LRESULT OnCall(WPARAM, LPARAM lParam)
    {
        (*reinterpret_cast<const std::function<void()>*>(lParam))();
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

class WizardFixture : public ::testing::Test {
protected:
    static constexpr const char* kTitle = "Wizard Test 1.0";
    static constexpr const char* kGroup = "Orvanta Wizard Test Group";
    static constexpr const char* kInstallName = "OrvantaWizardTest";

    void SetUp() override;
    void TearDown() override;

    // Language 1 with the built-in texts, language 2 with "E<id>" for every text and font
    // 1, and the test product's settings.
    std::string LangIni() const;
    void UseLangIni(const std::string& bytes);
    // A lang.ini as the packer writes it: the UTF-16LE byte-order mark, then utf8's text.
    static std::string Utf16File(const std::string& utf8);
    // A setup packed from a 10- and a 30-byte file and a real engine over it. A failing
    // setup's product holds one more file, last, whose name the code page cannot hold: its
    // run creates the install directory and then fails.
    InstallEngine* MakeEngine(const std::string& lang, bool failing = false);
    std::string InstallDir() const { return scratch.file(kInstallName); }

    static std::string Builtin(int id) { return BuiltinTexts::Get(id); }
    static std::string ProgramsFolder();
    static bool Exists(const std::string& path);
    static bool RecordExists();

    // A fresh frame's modal result; a frame still open when the script returns ends with IDABORT.
    INT_PTR RunFrame(const std::function<void()>& script);
    HWND Window() const { return frame->m_hWnd; }
    HWND Page(int page) const { return frame->Page(page)->m_hWnd; }
    // A control of the frame (page -1) or of one page; texts are read through the W
    // functions, as UTF-8.
    HWND Item(int id, int page = -1) const { return ::GetDlgItem(page < 0 ? Window() : Page(page), id); }
    std::string Text(int id, int page = -1) const { return TextOf(Item(id, page)); }
    static std::string TextOf(HWND window);
    bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    // Index of the one visible page, -1 for none, -2 for several.
    int VisiblePage() const;
    // The finish or cancel page, whose one button now ends the setup, in a frame that answers
    // and that a click on the hidden Back leaves there (a fatal failure otherwise: the script
    // cannot go on from another page).
    void ExpectEndPage(int page = WizardFrame::CancelIndex);

    // Every message posted before has been handled (or is inside a box), and painted.
    bool Sync();
    void OnUiThread(const std::function<void()>& call)
    {
        ::SendMessageA(Window(), TestFrame::kCallMessage, 0, reinterpret_cast<LPARAM>(&call));
    }
    void Show(int page) { OnUiThread([&] { frame->ShowPage(page); }); }
    void Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        ::PostMessageA(window, message, wParam, lParam);
        Sync();
    }
    void Click(int id, int page = -1) { Post(Item(id, page), BM_CLICK); }
    void ClickListItem(HWND list, int index);
    void Repaint(HWND window);
    void GoTo(int page);

    // A box the frame owns (question, folder browser), null after timeoutMs.
    HWND WaitForBox(DWORD timeoutMs = 5000) const;
    static std::string BoxText(HWND box) { return TextOf(::GetDlgItem(box, 0xFFFF)); }
    bool Answer(HWND box, int id);
    static std::string BarState(HWND bar);
    static bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

    testsupport::ScratchDir scratch;
    std::unique_ptr<TestFrame> frame;

private:
    std::atomic<bool> ended{false};
};
