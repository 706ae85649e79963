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
const SettingsTable<ListenSettings>& listenSettingsTable();
ListenSettings loadListenSettings(IProfile& profile);
