#include "plugin/win/TokenVault.h"

#include <windows.h>
#include <wincrypt.h>

#include "core/Profile.h"

namespace {

// Mixed into the protection, so that another program of the same user cannot take the blob as
// its own by mistake.
const char kEntropy[] = "Playtally listen token";

DATA_BLOB entropy() {
    return {static_cast<DWORD>(sizeof kEntropy - 1), reinterpret_cast<BYTE*>(const_cast<char*>(kEntropy))};
}

// Clears a copy of the secret before its memory is given back.
void wipe(void* data, std::size_t size) { SecureZeroMemory(data, size); }

}  // namespace

bool tokenvault::store(IProfile& profile, const std::string& section, const std::string& token) {
    if (token.empty()) return profile.deleteValue(section, kTokenKey) || true;
    DATA_BLOB in{static_cast<DWORD>(token.size()), reinterpret_cast<BYTE*>(const_cast<char*>(token.data()))};
    DATA_BLOB salt = entropy();
    DATA_BLOB out{};
    if (!CryptProtectData(&in, L"Playtally", &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return false;
    std::string hex;
    hex.reserve(out.cbData * 2);
    for (DWORD i = 0; i < out.cbData; ++i) {
        hex += "0123456789abcdef"[out.pbData[i] >> 4];
        hex += "0123456789abcdef"[out.pbData[i] & 0xF];
    }
    LocalFree(out.pbData);
    return profile.writeString(section, kTokenKey, hex);
}

std::string tokenvault::load(IProfile& profile, const std::string& section) {
    const std::string hex = profile.getString(section, kTokenKey, "");
    if (hex.empty() || hex.size() % 2) return {};
    std::string blob(hex.size() / 2, '\0');
    for (std::size_t i = 0; i < blob.size(); ++i) {
        int value = 0;
        for (char c : {hex[2 * i], hex[2 * i + 1]}) {
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0) return {};
            value = value * 16 + digit;
        }
        blob[i] = static_cast<char>(value);
    }
    DATA_BLOB in{static_cast<DWORD>(blob.size()), reinterpret_cast<BYTE*>(blob.data())};
    DATA_BLOB salt = entropy();
    DATA_BLOB out{};
    if (!CryptUnprotectData(&in, nullptr, &salt, nullptr, nullptr, CRYPTPROTECT_UI_FORBIDDEN, &out)) return {};
    std::string token(reinterpret_cast<const char*>(out.pbData), out.cbData);
    wipe(out.pbData, out.cbData);
    LocalFree(out.pbData);
    return token;
}
