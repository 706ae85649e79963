// The user token of the listen server, kept in the profile only as the Windows data protection of
// the user's account made it (CryptProtectData): unreadable to another account or machine, and
// never in plain text in the registry.
#pragma once
#include <string>

#include "core/ListenSettings.h"

class IProfile;

namespace tokenvault {
// The profile value that holds the protected token (hexadecimal digits).
constexpr const char* kTokenKey = kListenTokenKey;
// Stores the token ("" removes it); false when Windows could not protect it (nothing is stored).
bool store(IProfile& profile, const std::string& section, const std::string& token);
// The token; "" when none is stored or it cannot be unprotected (another account's, damaged).
std::string load(IProfile& profile, const std::string& section);
}  // namespace tokenvault
