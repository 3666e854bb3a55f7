#include "remover/InstallRecordKey.h"

#include "framework/RegKey.h"

void InstallRecordKey::Delete()
{
    RegKey::DeleteKey(HKEY_CURRENT_USER, Path);
    RegKey survivor;
    if (survivor.Open(HKEY_CURRENT_USER, Path, KEY_SET_VALUE)) {
        for (const char* value : Written)
            survivor.DeleteValue(value);
        survivor.Close();
    }
}
