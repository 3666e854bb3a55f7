#include "remover/RecordedInstallation.h"

#include "remover/InstallRecordKey.h"
#include "remover/RemovalGuard.h"
#include "remover/Remover.h"

bool RecordedInstallation::IsUsableDirectory(const std::string& directory)
{
    return RemovalGuard::IsAbsolute(directory) && !RemovalGuard::Refuses(directory);
}

bool RecordedInstallation::IsUsableGroup(const std::string& group)
{
    return group.empty() || RemovalGuard::IsNameBelow(group);
}

bool RecordedInstallation::Read()
{
    RecordedInstallation read;
    read.directory = Remover::GetRecordValue(InstallRecordKey::InstallPath);
    read.group = Remover::GetRecordValue(InstallRecordKey::ProgramGroup);
    read.desktopName = Remover::GetRecordValue(InstallRecordKey::DesktopName);
    bool usable = IsUsableDirectory(read.directory) && IsUsableGroup(read.group) &&
                  (read.desktopName.empty() || RemovalGuard::IsNameBelow(read.desktopName));
    *this = usable ? read : RecordedInstallation();
    return usable;
}
