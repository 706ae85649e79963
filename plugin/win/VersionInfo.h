// The version resource of a module file: what the database header is signed with.
#pragma once
#include <string>

#include "core/AppContext.h"

struct ModuleVersion {
    unsigned long fileHigh = 0, fileLow = 0;
    unsigned long productHigh = 0, productLow = 0;
    std::string fileDescription;  // of the U.S. English (1033) / Unicode (1200) translation
    bool found = false;
};

// Reads the fixed file and product versions and the "FileDescription" text of the module file.
// A file without a version resource gives an empty result (found false).
ModuleVersion readModuleVersion(const std::string& modulePath);

// The database signature made of a module's version.
DatabaseSignature signatureOf(const ModuleVersion& version);
