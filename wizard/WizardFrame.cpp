#include "wizard/WizardFrame.h"

#include "engine/InstallEngine.h"
#include "engine/ProgressNotice.h"
#include "framework/CClientDC.h"
#include "framework/CPaintDC.h"
#include "framework/CWinApp.h"
#include "framework/WideText.h"
#include "i18n/LanguageTable.h"
#include "i18n/ProfileFile.h"
#include "remover/InstallRecordKey.h"
#include "remover/RecordedInstallation.h"
#include "resources/resource.h"
#include "framework/FileHolders.h"
#include "wizard/NoticeMeter.h"
#include "wizard/WizardEngine.h"
#include "wizard/pages/CancelPage.h"
#include "wizard/pages/ConfirmPage.h"
#include "wizard/pages/DirectoryPage.h"
#include "wizard/pages/FinishPage.h"
#include "wizard/pages/GroupPage.h"
#include "wizard/pages/LanguagePage.h"
#include "wizard/pages/LicencePage.h"
#include "wizard/pages/ProgressPage.h"
#include "wizard/pages/WelcomePage.h"

namespace {

// The page band: from 21 % to 84 % of the client height, across the full width.
constexpr double kBandTop = 0.21;
constexpr double kBandBottom = 0.84;

template <class PageClass>
CDialog* MakePage(CWnd* parent)
{
    PageClass* page = new PageClass;
    // A page whose window could not be made is left alone: it may already have deleted
    // itself with a half-made window, and a missing page only leaves its band empty.
    return page->Create(PageClass::IDD, parent) ? page : nullptr;
}

} // namespace

BEGIN_MESSAGE_MAP(WizardFrame, CDialog)
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_BACK, &WizardFrame::OnBack)
    ON_BN_CLICKED(IDC_NEXT, &WizardFrame::OnNext)
    ON_BN_CLICKED(IDC_CANCEL_BUTTON, &WizardFrame::OnCancelButton)
    ON_MESSAGE(WM_INSTALL_PROGRESS, &WizardFrame::OnProgressNotice)
    ON_WM_CTLCOLOR()
    {WM_CLOSE, 0, 0, &msgmap::Void<&WizardFrame::OnCloseRequest>},
END_MESSAGE_MAP()

WizardFrame::WizardFrame(CWnd* parent)
    : CDialog(IDD, parent),
      icon(::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDI_APP_ICON)))
{
}

// The pages are not deleted here: each deletes itself when the frame's window takes its
// window with it.
WizardFrame::~WizardFrame()
{
    pages.clear();
    if (banner)
        ::DeleteObject(banner);
}

void WizardFrame::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, IDC_BACK, backButton);
    DDX_Control(pDX, IDC_NEXT, nextButton);
    DDX_Control(pDX, IDC_CANCEL_BUTTON, cancelButton);
}

BOOL WizardFrame::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);
    LoadBanner();

    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    SetDlgItemText(IDC_PUBLISHER_LINK, settings.linkfrom);
    publisherLink.SetTarget(settings.linkto);
    publisherLink.SubclassDlgItem(IDC_PUBLISHER_LINK, this);

    CreatePages();
    PlacePages();

    InstallEngine* engine = Engine();
    if (engine)
        engine->SetFrameWindow(m_hWnd);
    // A record that breaks the rules for a directory or group (any process of the user
    // can write it) is no record: the wizard starts as on a machine without one.
    RecordedInstallation recorded;
    if (engine && ProfileFile::ToInt(engine->ReadRecordValue(InstallRecordKey::Repair)) != 0 && recorded.Read())
        StartRepair(recorded);
    else
        ShowPage(LanguageIndex);
    backButton.ShowWindow(SW_HIDE);
    return TRUE;
}

void WizardFrame::LoadBanner()
{
    InstallEngine* engine = Engine();
    std::string path = engine ? engine->UnpackedFile("top_log.bmp") : std::string();
    if (!path.empty())
        banner = static_cast<HBITMAP>(
            ::LoadImageW(nullptr, WideText::FromUtf8(path).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (banner)
        ::SendDlgItemMessageW(m_hWnd, IDC_BANNER, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner));
}

void WizardFrame::CreatePages()
{
    pages.clear();
    pages.push_back(MakePage<LanguagePage>(this));
    pages.push_back(MakePage<WelcomePage>(this));
    pages.push_back(MakePage<LicencePage>(this));
    pages.push_back(MakePage<DirectoryPage>(this));
    pages.push_back(MakePage<GroupPage>(this));
    pages.push_back(MakePage<ConfirmPage>(this));
    pages.push_back(MakePage<ProgressPage>(this));
    pages.push_back(MakePage<FinishPage>(this));
    pages.push_back(MakePage<CancelPage>(this));
}

void WizardFrame::PlacePages()
{
    RECT client;
    GetClientRect(&client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    int top = static_cast<int>(height * kBandTop);
    int bottom = static_cast<int>(height * kBandBottom);
    for (CDialog* page : pages)
        if (page)
            page->MoveWindow(0, top, width, bottom - top, TRUE);
}

// Repair start: an earlier run was interrupted during a removal, so the product is put
// back where the record says, without asking anything. No question is needed: the record
// has passed the same rules as the wizard's choices, and abandoning this run removes only
// what the recorded installation's log lists.
void WizardFrame::StartRepair(const RecordedInstallation& recorded)
{
    InstallEngine* engine = Engine();
    ShowPage(ProgressIndex);
    nextButton.ShowWindow(SW_HIDE);
    engine->SetInstallDirectory(recorded.directory);
    engine->SetProgramGroup(recorded.group);
    engine->StartWorker();
}

CDialog* WizardFrame::Page(int index) const
{
    return index >= 0 && index < static_cast<int>(pages.size()) ? pages[static_cast<size_t>(index)] : nullptr;
}

bool WizardFrame::ShowPage(int index)
{
    if (index < 0 || index >= PageCount)
        return false;
    if (index == currentIndex)
        return true;
    currentIndex = index;
    if (currentPage)
        currentPage->ShowWindow(SW_HIDE);
    currentPage = Page(index);
    if (currentPage)
        currentPage->ShowWindow(SW_SHOW);
    // The frame's captions follow the page (OK on the last two) at its next paint, and a
    // page covering the same band as the one before need not have left any of the frame
    // to repaint.
    Invalidate(FALSE);
    return true;
}

void WizardFrame::UpdateButtons()
{
    bool backShown = currentIndex != ProgressIndex && currentIndex != LanguageIndex;
    bool nextShown = currentIndex != ProgressIndex;
    backButton.ShowWindow(backShown ? SW_SHOW : SW_HIDE);
    nextButton.ShowWindow(nextShown ? SW_SHOW : SW_HIDE);
}

void WizardFrame::EnableNavButton(int id, bool disable)
{
    if (id == IDC_NEXT)
        nextButton.EnableWindow(!disable);
    else if (id == IDC_BACK)
        backButton.EnableWindow(!disable);
}

InstallEngine* WizardFrame::Engine() const
{
    return WizardEngine();
}

std::string WizardFrame::Title() const
{
    InstallSettings settings;
    LanguageTable::Instance()->ReadInstallSettings(settings);
    return settings.title;
}

void WizardFrame::OnPaint()
{
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
        RECT client;
        GetClientRect(&client);
        int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
        int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
        dc.DrawIcon(x, y, icon);
        return;
    }
    LanguageTable* table = LanguageTable::Instance();
    LanguageRecord texts;
    table->FillCurrentRecord(texts);
    bool leaving = currentIndex == FinishIndex || currentIndex == CancelIndex;
    SetCaption(*this, Title());
    SetCaption(backButton, "< " + texts.Text(TextId::ButtonBack));
    SetCaption(nextButton, texts.Text(TextId::ButtonNext) + " >");
    SetCaption(cancelButton, texts.Text(leaving ? TextId::ButtonClose : TextId::ButtonCancel));
    CFont* font = table->GetLanguageFont();
    for (CButton* button : {&nextButton, &backButton, &cancelButton})
        if (button->GetFont() != font->GetSafeHandle())
            button->SetFont(font, TRUE);
    Default();
}

// Captions are set at every paint, but only written when they differ: rewriting an
// unchanged caption would only redraw the control for nothing.
void WizardFrame::SetCaption(CWnd& window, const std::string& text)
{
    if (window.GetWindowText() != text)
        window.SetWindowText(text);
}

HCURSOR WizardFrame::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(icon);
}

void WizardFrame::OnBack()
{
    if (!Usable(backButton))
        return;
    // Back onto the licence page: the licence must be accepted again before Next.
    EnableNavButton(IDC_NEXT, currentIndex == DirectoryIndex);
    if (ShowPage(currentIndex - 1))
        UpdateButtons();
}

// Back is hidden on the first page and from the progress page on, and Next is disabled
// behind the licence: a click that reaches such a button anyway (a message, not the
// user; BM_CLICK clicks even a disabled button) must not get past them.
bool WizardFrame::Usable(const CButton& button)
{
    return (button.GetStyle() & WS_VISIBLE) && button.IsWindowEnabled();
}

void WizardFrame::OnNext()
{
    if (!Usable(nextButton) || currentIndex + 1 >= FinishIndex)
        return;
    // Onto the licence page: Next stays disabled until the licence is accepted.
    EnableNavButton(IDC_NEXT, currentIndex == WelcomeIndex);
    InstallEngine* engine = Engine();
    if (engine && currentIndex == GroupIndex) {
        if (GroupPage* page = static_cast<GroupPage*>(Page(GroupIndex)))
            engine->SetProgramGroup(page->GetGroupText());
    }
    if (engine && currentIndex == DirectoryIndex) {
        if (DirectoryPage* page = static_cast<DirectoryPage*>(Page(DirectoryIndex)))
            engine->SetInstallDirectory(page->GetDirectoryText());
        // The run would fail before writing anything; the user learns why now.
        if (engine->InstallDirectoryRefused()) {
            LanguageRecord texts;
            LanguageTable::Instance()->FillCurrentRecord(texts);
            std::string refusal = texts.Text(TextId::DirectoryRefused) + "\r\n\r\n" + engine->GetInstallDirectory();
            MessageBox(refusal, Title(), MB_OK | MB_ICONSTOP);
            return;
        }
        if (engine->InstallDirectoryExists()) {
            LanguageRecord texts;
            LanguageTable::Instance()->FillCurrentRecord(texts);
            std::string question = texts.Text(TextId::DirectoryExists) + "\r\n\r\n" + texts.Text(TextId::DirectoryConfirm);
            if (MessageBox(question, Title(), MB_YESNO | MB_ICONQUESTION) == IDNO)
                return;
        }
        // Files an interrupted run left set aside there are put back now, before the user
        // confirms anything, and the user learns of it.
        if (engine->RecoverInterruptedRun() > 0) {
            LanguageRecord texts;
            LanguageTable::Instance()->FillCurrentRecord(texts);
            std::string notice = texts.Text(TextId::SetAsideRestored) + "\r\n\r\n" + engine->GetInstallDirectory();
            MessageBox(notice, Title(), MB_OK | MB_ICONINFORMATION);
        }
    }
    if (!ShowPage(currentIndex + 1))
        return;
    UpdateButtons();
    if (engine && currentIndex == ProgressIndex)
        engine->StartWorker();
}

void WizardFrame::OnCancelButton()
{
    OnCloseRequest();
}

void WizardFrame::OnCloseRequest()
{
    if (currentIndex == FinishIndex) {
        CDialog::OnOK();
        // The page windows live until this handler returns, so the box can still be read.
        FinishPage* finish = static_cast<FinishPage*>(Page(FinishIndex));
        InstallEngine* engine = Engine();
        if (finish && engine && finish->LaunchRequested())
            engine->LaunchProgram();
        return;
    }
    if (currentIndex == CancelIndex) {
        EndDialog(IDCANCEL);
        return;
    }
    LanguageRecord texts;
    LanguageTable::Instance()->FillCurrentRecord(texts);
    std::string question = texts.Text(TextId::CloseNotFinished) + "\r\n" + texts.Text(TextId::CloseConfirm);
    if (MessageBox(question, Title(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    // Read again: the worker's notices are handled while the question is open, and a
    // finished or failed installation has moved the wizard on meanwhile.
    bool running = currentIndex == ProgressIndex;
    if (running && Engine())
        Engine()->RequestCancel();
    Abandon(running ? Removal::Abandoned : Removal::None);
}

void WizardFrame::Abandon(Removal removal)
{
    abandoning = true;
    outcome = removal == Removal::FailedRun ? Outcome::Failed : Outcome::Abandoned;
    InstallEngine* engine = Engine();
    if (removal == Removal::Abandoned && engine)
        engine->Rollback();
    else if (removal == Removal::FailedRun && engine)
        engine->RollbackFailedRun();
    nextButton.ShowWindow(SW_HIDE);
    backButton.ShowWindow(SW_HIDE);
    ShowPage(CancelIndex);
}

// Enter never skips a step the buttons guard: it is Next, which acts only while Next is
// shown and enabled (so the licence gate and the directory question hold), and does
// nothing otherwise. Escape is the close box: it never ends the wizard without the
// abandon question (and on the finish and cancel pages it leaves as the button does).
void WizardFrame::OnOK()
{
    OnNext();
}

void WizardFrame::OnCancel()
{
    OnCloseRequest();
}

LRESULT WizardFrame::OnProgressNotice(WPARAM, LPARAM lParam)
{
    const ProgressNotice* notice = reinterpret_cast<const ProgressNotice*>(lParam);
    if (!notice)
        return 0;
    NoticeMeter meter(notice->code);
    ProgressPage* progress = static_cast<ProgressPage*>(Page(ProgressIndex));
    switch (notice->code) {
    case NoticeChunk:
        if (progress) {
            progress->AdvanceFile(notice->chunkBytes);
            progress->AdvanceTotal(notice->chunkBytes);
        }
        break;
    case NoticeFileBegin:
        if (progress) {
            progress->ShowCurrentFile(notice->name);
            progress->SetFileRange(notice->size);
        }
        break;
    case NoticeTotal:
        if (progress)
            progress->SetTotalRange(notice->size);
        break;
    case NoticeDone:
        outcome = Outcome::Installed;
        ShowPage(FinishIndex);
        break;
    case NoticeFileInUse:
        return AskFileInUse(notice->name);
    case NoticeFailed:
        // A failed installation ends on the cancel page like an abandoned one, but its
        // rollback takes only what the run created. The worker waits in this very notice
        // and the rollback waits for the worker to end, so the worker is released first.
        // A notice that arrives while the user's abandon is already rolling back (it is
        // handled inside that rollback's wait) changes nothing.
        if (currentIndex != CancelIndex && !abandoning) {
            ::ReplyMessage(0);
            Abandon(Removal::FailedRun);
        }
        break;
    default:
        break;
    }
    return 0;
}

// The worker waits in this notice. The question names the file and, where the system can
// tell, the programs that hold it; Retry has the worker try the file again, Cancel lets
// the item fail as it would have without the question (rollback, cancel page).
LRESULT WizardFrame::AskFileInUse(const std::string& path)
{
    LanguageRecord texts;
    LanguageTable::Instance()->FillCurrentRecord(texts);
    std::string question = texts.Text(TextId::FileInUse) + "\r\n\r\n" + path;
    for (const std::string& holder : FileHolders::Of(path))
        question += "\r\n" + holder;
    return MessageBox(question, Title(), MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY ? IDRETRY : IDCANCEL;
}

HBRUSH WizardFrame::OnCtlColor(CDC* dc, CWnd* control, UINT ctlColorKind)
{
    HBRUSH brush = CDialog::OnCtlColor(dc, control, ctlColorKind);
    if (control && control->GetDlgCtrlID() == IDC_PUBLISHER_LINK) {
        // Taken once, and only once there is a pixel to take: before the frame is on the
        // screen the read fails, and that failure is no colour.
        if (!linkColourTaken) {
            CClientDC client(this);
            COLORREF colour = client.GetPixel(10, 10);
            if (colour != CLR_INVALID) {
                linkColourTaken = true;
                dc->SetBkColor(colour);
                publisherLink.SetBackColour(colour);
            }
        }
        return brush;
    }
    dc->SelectObject(LanguageTable::Instance()->GetLanguageFont());
    return brush;
}
