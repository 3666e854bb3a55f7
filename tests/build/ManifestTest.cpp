// Every shipped program carries its manifest where Windows looks for it at start
// (resource 1 of type RT_MANIFEST), well-formed, asking for administrator rights, naming
// Windows 7 to 11, and with nothing that would change the look of its windows.
#include <windows.h>
#include <shlwapi.h>
#include <xmllite.h>

#include <gtest/gtest.h>

#include "framework/ComPtr.h"

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

std::vector<std::string> ShippedPrograms()
{
    std::vector<std::string> programs;
    std::stringstream list(ORVANTA_SHIPPED_PROGRAMS);
    for (std::string program; std::getline(list, program, '|');)
        programs.push_back(program);
    return programs;
}

std::string ManifestOf(const std::string& program)
{
    HMODULE image = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!image)
        return std::string();
    std::string text;
    HRSRC found = ::FindResourceA(image, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    HGLOBAL loaded = found ? ::LoadResource(image, found) : nullptr;
    if (loaded)
        text.assign(static_cast<const char*>(::LockResource(loaded)), ::SizeofResource(image, found));
    ::FreeLibrary(image);
    return text;
}

// Every element's local name with each of its attributes as "element@attribute" = value;
// false when the text is not well-formed XML. The names are ASCII.
bool ParseXml(const std::string& text, std::multimap<std::string, std::string>& found)
{
    auto narrow = [](const wchar_t* wide) { return std::string(wide, wide + wcslen(wide)); };
    HMODULE xmllite = ::LoadLibraryA("xmllite.dll");
    auto create = xmllite ? reinterpret_cast<CreateXmlReaderFn>(reinterpret_cast<void*>(
                                ::GetProcAddress(xmllite, "CreateXmlReader")))
                          : nullptr;
    ComPtr<IXmlReader> reader;
    ComPtr<IStream> stream;
    *stream.put() = ::SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size()));
    if (!create || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(reader.put()), nullptr)) ||
        !stream || FAILED(reader->SetInput(stream.get())))
        return false;
    XmlNodeType type;
    HRESULT hr = S_OK;
    while ((hr = reader->Read(&type)) == S_OK) {
        if (type != XmlNodeType_Element)
            continue;
        const wchar_t* name = nullptr;
        reader->GetLocalName(&name, nullptr);
        std::string element = narrow(name);
        found.emplace(element, "");
        for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
            const wchar_t* attribute = nullptr;
            const wchar_t* value = nullptr;
            reader->GetLocalName(&attribute, nullptr);
            reader->GetValue(&value, nullptr);
            found.emplace(element + "@" + narrow(attribute), narrow(value));
        }
    }
    return hr == S_FALSE;
}

TEST(ShippedManifest, AsksForAdministratorRightsAndLeavesTheLookAlone)
{
    std::vector<std::string> programs = ShippedPrograms();
    ASSERT_GE(programs.size(), 2u);
    for (const std::string& program : programs) {
        SCOPED_TRACE(program);
        std::string manifest = ManifestOf(program);
        ASSERT_FALSE(manifest.empty()) << "no manifest resource";
        std::multimap<std::string, std::string> found;
        ASSERT_TRUE(ParseXml(manifest, found)) << manifest;
        auto level = found.equal_range("requestedExecutionLevel@level");
        ASSERT_EQ(1, std::distance(level.first, level.second));
        EXPECT_EQ("requireAdministrator", level.first->second);
        EXPECT_EQ(4u, found.count("supportedOS@Id")) << "Windows 7, 8, 8.1, 10 and 11";
        for (const char* look : {"dependentAssembly", "dpiAware", "dpiAwareness"})
            EXPECT_EQ(0u, found.count(look)) << look;
    }
}

} // namespace
