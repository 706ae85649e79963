#include "core/ListenSettings.h"

#include <iterator>

#include "core/SettingsTable.h"
#include "resources/resource.h"

namespace {

using K = ControlKind;
constexpr PageControl onListenPage(int id, ControlKind kind) { return {IDD_LISTENBRAINZ, id, kind, 0}; }

// As the General table (Settings.cpp): one line a setting, in the page's order.
const SettingLine<ListenSettings> kListenLines[] = {
    // key               member                           default                         range  control
    {"SendPlays",        &ListenSettings::SendPlays,      0,                              {},    onListenPage(IDC_LB_SEND, K::CheckBox)},
    {"ApiRoot",          &ListenSettings::ApiRoot,        "https://api.listenbrainz.org", {},    onListenPage(IDC_LB_API_ROOT, K::Edit)},
    {"SendPlayingNow",   &ListenSettings::SendPlayingNow, 0,                              {},    onListenPage(IDC_LB_PLAYING_NOW, K::CheckBox)},
    {"ListenRule",       &ListenSettings::ListenRule,     1,                              {},    onListenPage(IDC_LB_LISTEN_RULE, K::CheckBox)},
};

const SettingsTable<ListenSettings> kListenTable{sectionListen, kListenLines, std::size(kListenLines)};

}  // namespace

std::string sectionListen() { return "ListenBrainz"; }
const SettingsTable<ListenSettings>& listenSettingsTable() { return kListenTable; }
ListenSettings loadListenSettings(IProfile& profile) { return readSettings(profile, kListenTable, SettingsDefaults{}); }
