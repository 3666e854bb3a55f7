// Every shipped program carries its manifest where Windows looks for it at start
// (resource 1 of type RT_MANIFEST), read by the system's own activation context: asking
// for administrator rights, naming Windows 7 to 11, and with nothing that would change
// the look of its windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

// An empty list of programs, or a file that is no program, would leave nothing checked.
TEST(ShippedManifest, AsksForAdministratorRightsAndLeavesTheLookAlone)
{
    std::stringstream programs(ORVANTA_SHIPPED_PROGRAMS);
    size_t checked = 0;
    for (std::string program; std::getline(programs, program, '|'); ++checked) {
        SCOPED_TRACE(program);
        ACTCTXA request{sizeof(request), ACTCTX_FLAG_RESOURCE_NAME_VALID, program.c_str(), 0, 0, nullptr,
                        MAKEINTRESOURCEA(1), nullptr, nullptr};
        HANDLE context = ::CreateActCtxA(&request);
        ASSERT_NE(INVALID_HANDLE_VALUE, context) << "no well-formed manifest";
        ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
        EXPECT_TRUE(::QueryActCtxW(0, context, nullptr, RunlevelInformationInActivationContext, &level,
                                   sizeof(level), nullptr));
        EXPECT_EQ(ACTCTX_RUN_LEVEL_REQUIRE_ADMIN, level.RunLevel);
        struct {
            DWORD count;
            COMPATIBILITY_CONTEXT_ELEMENT elements[8];
        } compatibility{};
        EXPECT_TRUE(::QueryActCtxW(0, context, nullptr, CompatibilityInformationInActivationContext, &compatibility,
                                   sizeof(compatibility), nullptr));
        EXPECT_EQ(4u, compatibility.count) << "Windows 7, 8, 8.1, 10 and 11";
        ::ReleaseActCtx(context);

        // Without an image FindResourceA would search this test program instead.
        HMODULE image = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(image) << "no program";
        HRSRC found = ::FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
        ASSERT_TRUE(found) << "no manifest resource";
        std::string text(static_cast<const char*>(::LockResource(::LoadResource(image, found))),
                         ::SizeofResource(image, found));
        ::FreeLibrary(image);
        for (const char* look : {"dependentAssembly", "dpiAware"})
            EXPECT_EQ(std::string::npos, text.find(look)) << look;
    }
    EXPECT_LT(0u, checked) << "no program named";
}

} // namespace
