// Shows every page in the wizard frame in each language of a lang.ini and saves a
// picture of each as a BMP file, for looking at fonts, line breaks and fit:
//
//     pages_screenshots OUTPUT_FOLDER [LANG_INI [BANNER_BMP]]
//
// Files are named page-<index>-<name>-<zh|en>.bmp (languages 1 and 2). Needs a display
// (Xvfb). A banner is copied into the working folder for the run and removed after it.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "i18n/LanguageTable.h"
#include "pages/PageHost.h"
#include "wizard/WizardFrame.h"
#include "wizard/pages/ProgressPage.h"

namespace {

bool SaveWindowPicture(HWND window, const std::string& path)
{
    RECT rect;
    ::GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    ::SelectObject(memory, old);
    ::GdiFlush();

    DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
    file.bfSize = file.bfOffBits + stride * static_cast<DWORD>(height);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(stride * static_cast<DWORD>(height)));
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return static_cast<bool>(out);
}

const char* const kPageNames[] = {"language", "welcome", "licence", "directory", "group",
                                   "confirm", "progress", "finish", "cancel"};

void ShowSomeProgress(ProgressPage* page)
{
    page->SetTotalRange(400);
    page->AdvanceTotal(150);
    page->ShowCurrentFile("C:\\Program Files\\Orvanta 4.00\\docs\\a rather long folder name\\licence.txt");
    page->SetFileRange(100);
    page->AdvanceFile(70);
}

// One picture of the wizard frame per page, in the current language.
void ShootWizard(const std::string& folder, const std::string& language)
{
    WizardFrame frame;
    frame.Create(WizardFrame::IDD, nullptr);
    pagetest::App().m_pMainWnd = &frame;
    for (int index = 0; index < WizardFrame::PageCount; ++index) {
        frame.ShowPage(index);
        frame.UpdateButtons();
        if (index >= WizardFrame::FinishIndex) {
            ::ShowWindow(::GetDlgItem(frame.m_hWnd, 1001), SW_HIDE);
            ::ShowWindow(::GetDlgItem(frame.m_hWnd, 1002), SW_HIDE);
        }
        pagetest::Repaint(frame.m_hWnd);
        if (index == WizardFrame::ProgressIndex)
            ShowSomeProgress(static_cast<ProgressPage*>(frame.Page(index)));
        pagetest::Pump();
        ::Sleep(150);
        pagetest::Pump();
        std::string path = folder + "\\page-" + std::to_string(index) + "-" + kPageNames[index] + "-" + language + ".bmp";
        if (!SaveWindowPicture(frame.m_hWnd, path))
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
    }
    frame.DestroyWindow();
    pagetest::App().m_pMainWnd = nullptr;
    pagetest::Pump();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: pages_screenshots OUTPUT_FOLDER [LANG_INI]\n");
        return 2;
    }
    std::string folder = argv[1];
    LanguageTable* table = LanguageTable::Instance();
    table->SetFile(argc > 2 ? argv[2] : folder + "\\absent.ini");
    // The frame shows the banner from the working folder, where the setup unpacks it.
    std::string bannerFolder = LanguageTable::GetWorkFolder() + "install";
    std::string banner = bannerFolder + "\\top_log.bmp";
    bool placedBanner = argc > 3 && ::CreateDirectoryA(bannerFolder.c_str(), nullptr) &&
                        ::CopyFileA(argv[3], banner.c_str(), FALSE);
    int languages = argc > 2 ? table->GetLanguageCount() : 0;
    for (int language = 1; language <= (languages > 0 ? languages : 1); ++language) {
        table->SetCurrentLanguage(language);
        std::string tag = language == 1 ? "zh" : language == 2 ? "en" : "lang" + std::to_string(language);
        ShootWizard(folder, tag);
    }
    if (placedBanner) {
        ::DeleteFileA(banner.c_str());
        ::RemoveDirectoryA(bannerFolder.c_str());
    }
    LanguageTable::Release();
    return 0;
}
