#include "tools/FileBytes.h"

#include "container/ScopedFile.h"

#include <cstdio>
#include <filesystem>
#include <memory>

namespace fs = std::filesystem;

bool FileBytes::Size(const std::string& path, uint64_t& size, std::string& error)
{
    std::error_code ec;
    fs::file_status status = fs::status(fs::path(path), ec);
    if (ec || !fs::exists(status)) {
        error = "cannot read " + path + ": no such file";
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "cannot read " + path + ": not a regular file";
        return false;
    }
    size = fs::file_size(fs::path(path), ec);
    if (ec) {
        error = "cannot read " + path + ": " + ec.message();
        return false;
    }
    return true;
}

bool FileBytes::Read(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    uint64_t size = 0;
    if (!Size(path, size, error))
        return false;
    ScopedFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    bytes.resize(static_cast<size_t>(size));
    if (size != 0 && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = "cannot read " + path + ": short read";
        return false;
    }
    return true;
}

bool FileBytes::Write(const std::string& path, const std::vector<const std::vector<uint8_t>*>& parts,
                      std::string& error)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    bool written = true;
    for (const std::vector<uint8_t>* part : parts) {
        if (!part->empty() && std::fwrite(part->data(), 1, part->size(), file) != part->size())
            written = false;
    }
    if (std::fclose(file) != 0)
        written = false;
    if (!written) {
        std::remove(path.c_str());
        error = "cannot write " + path + " (disk full?)";
    }
    return written;
}
