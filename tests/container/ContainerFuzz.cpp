// libFuzzer target: any bytes, as a setup file, through ReadIndex and ExtractAll. Besides
// the sanitizers it checks that nothing is ever written beside the destination folder.
#include "container/PayloadContainer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

class Scratch {
public:
    Scratch()
    {
        // Memory-backed when the machine has it: every run writes and removes files.
        std::string pattern = fs::is_directory("/dev/shm") ? "/dev/shm" : "/tmp";
        pattern += "/orvanta-container-fuzz-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        if (!made)
            std::abort();
        root = made;
    }
    ~Scratch()
    {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    fs::path root;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Scratch scratch;
    const fs::path input = scratch.root / "setup.exe";
    const fs::path destination = scratch.root / "work";
    std::FILE* file = std::fopen(input.c_str(), "wb");
    if (!file)
        std::abort();
    if (size != 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);

    PayloadContainer container(input.string());
    ContainerEntryList list;
    container.ReadIndex(list);
    // Also entries of an index that failed halfway: the walk must be safe for any list.
    container.ExtractAll(list, destination.string());

    for (const auto& entry : fs::directory_iterator(scratch.root)) {
        if (entry.path() != input && entry.path() != destination)
            std::abort();
    }
    std::error_code ec;
    fs::remove_all(destination, ec);
    return 0;
}
