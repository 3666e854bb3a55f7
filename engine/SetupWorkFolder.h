#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "engine/PayloadDecoder.h"
#include "framework/HeldFolder.h"
#include "framework/ScopedHandle.h"

class PayloadContainer;
class ContainerEntry;

// The working folder below the user's templates folder, and the files of the container's
// install directory unpacked into it. Every process of the user may write in the templates
// folder, and the elevated setup reads these files minutes later, so nothing found there
// is used: the folder is made by this run and held (writable by administrators only when
// the run is elevated), each file is made new, checked once written, and held from then
// on through a handle that lets others read it but neither write, rename nor delete it.
// What the payload must hold is kept in memory, read from the setup's own container.
//
// Nested directories of the install directory are not unpacked: the setup uses none.
class SetupWorkFolder {
public:
    SetupWorkFolder() = default;
    SetupWorkFolder(const SetupWorkFolder&) = delete;
    SetupWorkFolder& operator=(const SetupWorkFolder&) = delete;

    // Makes the folder below parent and unpacks into it. False when the container or its
    // payload is missing, a file cannot be written, or one does not hold what the
    // container holds (the payload checked against its stored CRC-32, where there is one);
    // what was unpacked until then stays held, for Remove.
    bool Unpack(const std::string& containerPath, const std::string& parent);

    // Empty before Unpack made the folder.
    const std::string& Path() const { return path_; }
    // The path of an unpacked and held file; empty when there is none of that name.
    std::string FilePath(const std::string& name) const;
    // The held payload, open for reading; null when there is none.
    HANDLE Payload() const;
    const PayloadSeal& Seal() const { return seal_; }

    // Deletes the files Unpack made and then the folder, which stays when something else
    // was put in it meanwhile.
    void Remove();

private:
    struct HeldFile {
        std::string name;
        std::string path;
        ScopedHandle handle;   // null while it is written, and when its check failed
    };

    bool CreateFolder(const std::string& parent);
    // crc: what the file must hold; unless sealed, it is taken from the bytes copied.
    bool UnpackFile(PayloadContainer& container, const ContainerEntry& entry, bool sealed, uint32_t& crc);
    const HeldFile* Find(const std::string& name) const;

    std::string path_;
    HeldFolder folder_;
    std::vector<HeldFile> files_;
    PayloadSeal seal_;
};
