// The settings of sending plays to a listen server, a section of their own ("ListenBrainz"). The
// user token is not among them: it is stored protected, apart (plugin/win/TokenVault).
#pragma once
#include <string>

class IProfile;
template <class Record>
struct SettingsTable;

struct ListenSettings {
    bool SendPlays{};
    std::string ApiRoot;
    bool SendPlayingNow{};
    bool ListenRule{};
};

std::string sectionListen();  // "ListenBrainz"
// The value of that section that holds the token, protected (plugin/win/TokenVault), never a line
// of the table: the pages never exchange it as text.
constexpr const char* kListenTokenKey = "Token";
const SettingsTable<ListenSettings>& listenSettingsTable();
ListenSettings loadListenSettings(IProfile& profile);
