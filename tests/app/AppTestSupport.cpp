#include "AppTestSupport.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tools/SetupBuilder.h"

namespace apptest {

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string PackSetup(const std::string& scratch, const std::string& name, const std::string& stub,
                      const std::string& lang)
{
    std::string product = scratch + "\\product-" + name;
    ::CreateDirectoryA(product.c_str(), nullptr);
    WriteFile(product + "\\readme.txt", "product " + name);
    SetupInputs inputs;
    inputs.stub = stub;
    inputs.product = product;
    if (!lang.empty()) {
        inputs.lang = scratch + "\\lang-" + name + ".ini";
        WriteFile(inputs.lang, lang);
    }
    inputs.out = scratch + "\\" + name + ".exe";
    std::string error;
    EXPECT_TRUE(SetupBuilder::BuildSetup(inputs, error)) << error;
    return inputs.out;
}

namespace {

struct Search {
    DWORD processId;
    const std::function<bool(HWND)>* condition;
    HWND found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM param)
{
    Search* search = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process == search->processId && ::IsWindowVisible(hwnd) && (*search->condition)(hwnd)) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND hwnd, LPARAM param)
{
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    std::string text = Caption(hwnd);
    std::string* longest = reinterpret_cast<std::string*>(param);
    if (std::string(name) == "Static" && text.size() > longest->size())
        *longest = text;
    return TRUE;
}

} // namespace

HWND FindWindowOf(DWORD processId, const std::function<bool(HWND)>& condition, DWORD timeoutMs)
{
    DWORD start = ::GetTickCount();
    for (;;) {
        Search search{processId, &condition, nullptr};
        ::EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
        if (search.found || ::GetTickCount() - start > timeoutMs)
            return search.found;
        ::Sleep(50);
    }
}

std::string Caption(HWND hwnd)
{
    char buffer[512] = {};
    ::GetWindowTextA(hwnd, buffer, sizeof(buffer));
    return buffer;
}

bool IsDialogBox(HWND hwnd)
{
    char name[32] = {};
    ::GetClassNameA(hwnd, name, sizeof(name));
    return std::string(name) == "#32770";
}

std::string BoxText(HWND box)
{
    std::string text;
    ::EnumChildWindows(box, &LongestStatic, reinterpret_cast<LPARAM>(&text));
    return text;
}

int CountTempEntries(const std::string& prefix)
{
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    WIN32_FIND_DATAA data;
    HANDLE find = ::FindFirstFileA((std::string(temp) + prefix + "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    int count = 0;
    do
        ++count;
    while (::FindNextFileA(find, &data));
    ::FindClose(find);
    return count;
}

} // namespace apptest
