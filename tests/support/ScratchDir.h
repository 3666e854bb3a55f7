#pragma once
// A fresh, empty folder for one test, removed again with everything in it when the
// test ends. It lives in the system's temporary folder, which under Wine is inside the
// build's private prefix, so no test ever writes into a real user profile.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <system_error>

namespace testsupport {

class ScratchDir {
public:
    ScratchDir()
    {
        static std::atomic<unsigned> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        std::filesystem::path base = std::filesystem::temp_directory_path() / "orvanta-tests";
        std::error_code ec;
        std::filesystem::create_directories(base, ec);
        for (;;) {
            path_ = base / ("t" + std::to_string(stamp) + "-" + std::to_string(counter++));
            if (std::filesystem::create_directory(path_, ec))
                break;
        }
    }
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as the system's own path string (backslashes on Windows), no trailing
    // separator, in UTF-8 as every path inside the system: the temporary folder lies in
    // the user's profile, whose name may hold any character. (A narrow path string of
    // std::filesystem is neither UTF-8 nor the code page on Windows, hence u8path and
    // u8string.)
    std::string str() const { return std::filesystem::path(path_).make_preferred().u8string(); }
    std::string file(const std::string& name) const
    {
        return (path_ / std::filesystem::u8path(name)).make_preferred().u8string();
    }

private:
    std::filesystem::path path_;
};

} // namespace testsupport
