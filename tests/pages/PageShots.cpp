// Draws every page in each language of a lang.ini and saves a picture of each as a BMP
// file, for looking at fonts, line breaks and fit:
//
//     pages_screenshots OUTPUT_FOLDER [LANG_INI]
//
// Files are named page-<index>-<name>-lang<n>.bmp. Needs a display (Xvfb).
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "i18n/LanguageTable.h"
#include "pages/PageHost.h"
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

template <class Page>
void Shoot(const std::string& folder, int index, const char* name, int language, void (*prepare)(Page*) = nullptr)
{
    pagetest::PageHost host;
    Page* page = host.template Add<Page>();
    if (!page)
        return;
    ::SetWindowPos(host.Window(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    pagetest::Repaint(host.Window());
    if (prepare)
        prepare(page);
    pagetest::Pump();
    ::Sleep(200);
    pagetest::Pump();
    std::string path = folder + "\\page-" + std::to_string(index) + "-" + name + "-lang" + std::to_string(language) + ".bmp";
    if (!SaveWindowPicture(page->m_hWnd, path))
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
}

void ShowSomeProgress(ProgressPage* page)
{
    page->SetTotalRange(400);
    page->AdvanceTotal(150);
    page->ShowCurrentFile("C:\\Program Files\\Orvanta 4.00\\docs\\a rather long folder name\\licence.txt");
    page->SetFileRange(100);
    page->AdvanceFile(70);
    ::UpdateWindow(page->m_hWnd);
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
    int languages = argc > 2 ? table->GetLanguageCount() : 1;
    for (int language = 1; language <= (languages > 0 ? languages : 1); ++language) {
        table->SetCurrentLanguage(language);
        Shoot<LanguagePage>(folder, 0, "language", language);
        Shoot<WelcomePage>(folder, 1, "welcome", language);
        Shoot<LicencePage>(folder, 2, "licence", language);
        Shoot<DirectoryPage>(folder, 3, "directory", language);
        Shoot<GroupPage>(folder, 4, "group", language);
        Shoot<ConfirmPage>(folder, 5, "confirm", language);
        Shoot<ProgressPage>(folder, 6, "progress", language, &ShowSomeProgress);
        Shoot<FinishPage>(folder, 7, "finish", language);
        Shoot<CancelPage>(folder, 8, "cancel", language);
    }
    LanguageTable::Release();
    return 0;
}
