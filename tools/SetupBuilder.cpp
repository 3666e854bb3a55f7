#include "tools/SetupBuilder.h"

#include "container/PayloadContainer.h"
#include "container/SetupLayout.h"
#include "tools/ContainerWriter.h"
#include "tools/FileBytes.h"
#include "tools/ProductArchive.h"

#include <algorithm>
#include <exception>
#include <filesystem>

#include <zlib.h>

namespace {

// Bytes the index adds around the contents: the directory's record, two lists (base and
// count), four file records and the trailer, with their names; the checksum; the padding.
constexpr uint64_t IndexBytes = 5 * (13 + 17) + 2 * 8 + 21 + 4 + 4 + 7;
// Authenticode places the certificate table at a multiple of 8.
constexpr unsigned SetupAlignment = 8;

ContainerNode ChecksumNode(const std::vector<uint8_t>& payload)
{
    uLong crc = crc32(0L, Z_NULL, 0);
    for (size_t done = 0; done < payload.size();) {
        uInt part = static_cast<uInt>(std::min<size_t>(payload.size() - done, 1u << 30));
        crc = crc32(crc, payload.data() + done, part);
        done += part;
    }
    ContainerWriter bytes;
    bytes.AppendU32(static_cast<uint32_t>(crc));
    ContainerNode node;
    node.name = SetupLayout::PayloadChecksum;
    node.content = bytes.Bytes();
    return node;
}

bool AddOptionalFile(const std::string& path, const char* name, ContainerNode& install, std::string& error)
{
    if (path.empty())
        return true;
    ContainerNode node;
    node.name = name;
    if (!FileBytes::Read(path, node.content, error))
        return false;
    install.children.push_back(std::move(node));
    return true;
}

bool ReadProduct(const std::string& product, std::vector<uint8_t>& zip, std::string& error)
{
    std::error_code ec;
    if (std::filesystem::is_directory(product, ec))
        return ProductArchive::ZipFolder(product, zip, error);
    if (!FileBytes::Read(product, zip, error))
        return false;
    std::string why;
    if (!ProductArchive::ReadArchive(zip, nullptr, why)) {
        error = "product " + product + " is neither a folder nor a readable ZIP archive (" + why + ")";
        return false;
    }
    return true;
}

bool CheckSizes(const SetupInputs& inputs, uint64_t& stubSize, std::string& error)
{
    if (!FileBytes::Size(inputs.stub, stubSize, error))
        return false;
    if (stubSize == 0) {
        error = "stub " + inputs.stub + " is empty";
        return false;
    }
    uint64_t total = stubSize + IndexBytes;
    std::error_code ec;
    for (const std::string* path : {&inputs.product, &inputs.lang, &inputs.banner}) {
        if (path->empty() || std::filesystem::is_directory(*path, ec))
            continue;
        uint64_t size = 0;
        if (!FileBytes::Size(*path, size, error))
            return false;
        total += size;
    }
    if (total > ProductArchive::SizeLimit) {
        error = "setup would reach the 2 GiB limit of the setup format";
        return false;
    }
    return true;
}

} // namespace

bool SetupBuilder::BuildSetup(const SetupInputs& inputs, std::string& error)
{
    try {
        if (inputs.stub.empty() || inputs.product.empty() || inputs.out.empty()) {
            error = "stub, product and output are required";
            return false;
        }
        uint64_t stubSize = 0;
        if (!CheckSizes(inputs, stubSize, error))
            return false;
        ContainerEntryList existing;
        PayloadContainer stubReader(inputs.stub);
        if (stubReader.ReadIndex(existing)) {
            error = "stub " + inputs.stub + " already carries a container";
            return false;
        }
        // A container behind its certificate table would void the signature.
        if (stubReader.IsSigned()) {
            error = "stub " + inputs.stub + " is signed: pack the unsigned stub, then sign the setup";
            return false;
        }
        std::vector<uint8_t> stub;
        if (!FileBytes::Read(inputs.stub, stub, error))
            return false;

        ContainerNode install;
        install.name = SetupLayout::InstallFolder;
        install.directory = true;
        ContainerNode payload;
        payload.name = SetupLayout::Payload;
        if (!ReadProduct(inputs.product, payload.content, error))
            return false;
        std::reverse(payload.content.begin(), payload.content.end());
        ContainerNode checksum = ChecksumNode(payload.content);
        install.children.push_back(std::move(payload));
        if (!AddOptionalFile(inputs.lang, "lang.ini", install, error) ||
            !AddOptionalFile(inputs.banner, "top_log.bmp", install, error))
            return false;
        install.children.push_back(std::move(checksum));

        ContainerWriter writer(stub.size());
        std::vector<ContainerNode> topLevel;
        topLevel.push_back(std::move(install));
        writer.AppendContainer(topLevel, SetupAlignment);
        if (writer.Position() > ProductArchive::SizeLimit) {
            error = "setup would reach the 2 GiB limit of the setup format";
            return false;
        }
        return FileBytes::Write(inputs.out, {&stub, &writer.Bytes()}, error);
    } catch (const std::exception& e) {
        error = std::string("cannot build the setup: ") + e.what();
        return false;
    }
}
