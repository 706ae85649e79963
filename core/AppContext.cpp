#include "core/AppContext.h"

GeneralSettings AppContext::readSettings() const { return loadGeneralSettings(profile, userName); }

const GeneralSettings& AppContext::reloadSettings() {
    current = readSettings();
    return current;
}
