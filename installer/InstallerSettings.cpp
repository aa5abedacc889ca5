#include "InstallerSettings.h"

InstallerSettings& Settings() {
    static InstallerSettings settings;
    return settings;
}
