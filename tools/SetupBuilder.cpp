#include "tools/SetupBuilder.h"

#include "container/PayloadContainer.h"
#include "container/SetupLayout.h"
#include "tools/ContainerWriter.h"
#include "tools/FileBytes.h"
#include "tools/FileIdentity.h"
#include "tools/LangIni.h"
#include "tools/PeImage.h"
#include "tools/ProductArchive.h"
#include "tools/ProductUninstaller.h"
#include "tools/ProductNames.h"
#include "tools/SetupInspector.h"
#include "tools/SigningCommand.h"

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
    return ContainerNode::File(SetupLayout::PayloadChecksum, bytes.Bytes());
}

bool AddOptionalFile(const std::string& path, const char* name, ContainerNode& install, std::string& error)
{
    if (path.empty())
        return true;
    ContainerNode node = ContainerNode::File(name);
    if (!FileBytes::Read(path, node.content, error))
        return false;
    install.children.push_back(std::move(node));
    return true;
}

// lang.ini as the setup carries it, and its text in UTF-8 for the checks.
bool ReadLang(const SetupInputs& inputs, std::vector<uint8_t>& lang, std::string& text, std::string& error)
{
    if (inputs.lang.empty())
        return true;
    std::vector<uint8_t> file;
    return FileBytes::Read(inputs.lang, file, error)
        && LangIni::Convert(inputs.lang, file, inputs.langUtf8, text, lang, error);
}

bool ReadProduct(const std::string& product, std::vector<uint8_t>& zip, std::string& error, BuildListener* listener)
{
    std::error_code ec;
    if (std::filesystem::is_directory(product, ec)) {
        ProductArchive::Progress progress;
        if (listener)
            progress = [listener](uint64_t items, uint64_t itemCount, uint64_t bytes, uint64_t byteCount) {
                listener->Zipped(items, itemCount, bytes, byteCount);
            };
        return ProductArchive::ZipFolder(product, zip, error, progress);
    }
    if (!FileBytes::Read(product, zip, error))
        return false;
    std::string why;
    if (!ProductArchive::ReadArchive(zip, nullptr, why)) {
        error = "product " + product + " is neither a folder nor a readable ZIP archive (" + why + ")";
        return false;
    }
    ProductArchive::DeclareUnixUtf8Names(zip);
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
        // lang.ini grows in UTF-16LE: two bytes for an ASCII byte, and the mark.
        total += path == &inputs.lang ? 2 * size + 2 : size;
    }
    if (total > ProductArchive::SizeLimit) {
        error = "setup would reach the 2 GiB limit of the setup format";
        return false;
    }
    return true;
}

// Names that can never install are refused; what the setup will miss is warned of, or
// refused under strict, all of it before anything is written.
bool CheckProduct(const SetupInputs& inputs, const std::vector<uint8_t>& zip, const std::string& langText,
                  BuildListener* listener, std::string& error)
{
    std::vector<ProductItem> items;
    std::vector<std::string> warnings;
    if (!ProductArchive::ListItems(zip, items, error) || !ProductNames::Check(items, warnings, error))
        return false;
    LangIni::Check(inputs.lang, langText, items, warnings);
    for (const std::string& warning : warnings) {
        if (listener)
            listener->Warning(warning);
    }
    if (inputs.strict && !warnings.empty()) {
        error = std::to_string(warnings.size()) + " problem(s) with the product or lang.ini, refused by --strict: "
            + warnings.front();
        return false;
    }
    return true;
}

// Writing the setup over one of its inputs would destroy that input before it is read, or
// ship the setup inside itself. Files are compared as files, so another spelling of the
// same path or a link to it is caught; an output that does not exist yet is none of them.
bool CheckOutIsNoInput(const SetupInputs& inputs, std::string& error)
{
    FileIdentity out;
    if (!FileIdentity::Of(inputs.out, out))
        return true;
    auto refuse = [&](const std::string& what, const std::string& path) {
        FileIdentity input;
        if (path.empty() || !FileIdentity::Of(path, input) || !(input == out))
            return false;
        error = "output " + inputs.out + " is the " + what + " " + path
            + ": the setup is written to a file that is none of its inputs";
        return true;
    };
    if (refuse("stub", inputs.stub) || refuse("generic uninstaller", ProductUninstaller::GenericPath(inputs.stub))
        || refuse("lang.ini", inputs.lang) || refuse("banner", inputs.banner) || refuse("product", inputs.product))
        return false;
    std::error_code ec;
    if (!std::filesystem::is_directory(inputs.product, ec))
        return true;
    for (std::filesystem::recursive_directory_iterator it(inputs.product, ec), end; !ec && it != end;
         it.increment(ec)) {
        if (refuse("file in the product", it->path().string()))
            return false;
    }
    return true;
}

// Signing tools tell an executable by its name too: the files they get end in .exe.
bool SignUninstaller(const SigningCommand& signer, const std::string& out, std::vector<uint8_t>& program,
                     std::string& error)
{
    const std::string path = out + ".uninstaller-signing.exe";
    auto listFound = [](const std::string& file, std::string& why) {
        ContainerEntryList list;
        if (!PayloadContainer(file).ReadIndex(list))
            why = "its list of what to remove is no longer found";
        return why.empty();
    };
    bool done = FileBytes::Write(path, {&program}, error) &&
                signer.Sign(path, "signing the uninstaller", listFound, error) && FileBytes::Read(path, program, error);
    std::error_code ec;
    std::filesystem::remove(path, ec);
    return done;
}

bool WriteSigned(const SigningCommand& signer, const std::string& out,
                 const std::vector<const std::vector<uint8_t>*>& parts, std::string& error)
{
    const std::string path = out + ".signing.exe";
    bool done = FileBytes::Write(path, parts, error) &&
                signer.Sign(path, "signing the setup", SetupInspector::CheckPayload, error);
    std::error_code ec;
    if (done) {
        std::filesystem::rename(path, out, ec);
        if (ec)
            error = "cannot replace " + out + ": " + ec.message();
        done = !ec;
    }
    if (!done)
        std::filesystem::remove(path, ec);
    return done;
}

} // namespace

bool SetupBuilder::BuildSetup(const SetupInputs& inputs, std::string& error, BuildListener* listener)
{
    try {
        if (inputs.stub.empty() || inputs.product.empty() || inputs.out.empty()) {
            error = "stub, product and output are required";
            return false;
        }
        if (!CheckOutIsNoInput(inputs, error))
            return false;
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
        std::string why;
        if (!PeImage::Check(stub, PeImage::SetupMarker, "the Orvanta setup stub", why)) {
            error = "stub " + inputs.stub + ": " + why
                + " (expected: the setup.exe of the Windows build, an x86-64 GUI program carrying the resource "
                + PeImage::SetupMarker + ")";
            return false;
        }

        const SigningCommand signer(inputs.signCommand);
        ProductUninstaller::Signer signUninstaller;
        if (!signer.Empty())
            signUninstaller = [&](std::vector<uint8_t>& program, std::string& why) {
                return SignUninstaller(signer, inputs.out, program, why);
            };
        ContainerNode install = ContainerNode::Folder(SetupLayout::InstallFolder);
        ContainerNode payload = ContainerNode::File(SetupLayout::Payload);
        if (!ReadProduct(inputs.product, payload.content, error, listener))
            return false;
        ContainerNode lang = ContainerNode::File("lang.ini");
        std::string langText;
        if (!ReadLang(inputs, lang.content, langText, error) ||
            !CheckProduct(inputs, payload.content, langText, listener, error) ||
            !ProductUninstaller::AddIfMissing(inputs.stub, lang.content, payload.content, error,
                                              signUninstaller))
            return false;
        std::reverse(payload.content.begin(), payload.content.end());
        ContainerNode checksum = ChecksumNode(payload.content);
        install.children.push_back(std::move(payload));
        if (!inputs.lang.empty())
            install.children.push_back(std::move(lang));
        if (!AddOptionalFile(inputs.banner, "top_log.bmp", install, error))
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
        if (signer.Empty())
            return FileBytes::Write(inputs.out, {&stub, &writer.Bytes()}, error);
        return WriteSigned(signer, inputs.out, {&stub, &writer.Bytes()}, error);
    } catch (const std::exception& e) {
        error = std::string("cannot build the setup: ") + e.what();
        return false;
    }
}
