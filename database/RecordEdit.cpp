// The record commands of the Playtally window: remove a play, correct its path, edit its stored
// tag, play it again; for one play or for all plays of its group.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/RecordDialogs.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/ProgramRunner.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

using Identities = std::vector<std::uint64_t>;  // sorted

bool windowExists(const AppContext& context) { return context.views->playtallyWindowExists(); }
bool windowInLogMode(const AppContext& context) {
    return context.views->playtallyWindowInLogMode();
}

// Questions about records are never silenced (an empty key): deleting or rewriting a group must
// be confirmed each time. Without a message box nothing is confirmed.
bool confirm(AppContext& context, int textId) {
    return context.messages.askYesNo(loadString(textId), std::string());
}

bool contains(const Identities& set, std::uint64_t identity) {
    return std::binary_search(set.begin(), set.end(), identity);
}

// The plays of the same file content: everything but the number, the date, the hits and the time
// listened.
FieldFlags instanceFlags() {
    FieldFlags flags{};
    for (int id : {FieldLength, FieldArtist, FieldTitle, FieldAlbum, FieldYear, FieldGenre, FieldComment})
        flags[id] = true;
    return flags;
}

// The file can be opened for reading, as the player will (a folder cannot be played).
bool canOpen(IFileSystem& files, const std::string& path, const std::u16string& widePath) {
    if (widePath.empty() && (path.empty() || files.isFolder(path))) return false;
    std::unique_ptr<IFile> file = openTrackFile(files, path, widePath);
    if (!file) return false;
    try {
        file->close();
    } catch (...) {
        // Opening was the question; a failing close of a file only read changes nothing.
    }
    return true;
}

// "<Winamp folder>\WinAmp.exe" "<path>": Winamp's folder is the one above the plug-in folder.
std::string playCommandLine(const std::string& pluginFolder, const std::string& path) {
    const std::size_t slash = pluginFolder.rfind('\\');
    const std::string winampFolder = slash == std::string::npos ? std::string() : pluginFolder.substr(0, slash);
    return "\"" + winampFolder + "\\WinAmp.exe\" \"" + path + "\"";
}

// The same with a name the code page cannot hold, given whole in the wide part.
void playWide(IProgramRunner& runner, const std::string& pluginFolder, const std::u16string& widePath) {
    const std::string before = playCommandLine(pluginFolder, std::string());
    runner.runProgram(before.substr(0, before.size() - 1), widePath, "\"", 0);
}

}  // namespace

int CDoc::FindRecord(std::uint64_t identity, int hint) const {
    if (hint >= 0 && static_cast<std::size_t>(hint) < store_.size() && store_[hint].identity.value() == identity)
        return hint;
    for (std::size_t i = 0; i < store_.size(); ++i) {
        if (store_[i].identity.value() == identity) return static_cast<int>(i);
    }
    return -1;
}

std::vector<std::uint64_t> CDoc::groupOf(const CTrackRecord& like, bool logMode) {
    // The grouping test reads the current copy: reload it, so that the stored flags apply. In Log
    // mode the instance flags stay in the copy until the next reload.
    context_.reloadSettings();
    if (logMode) context_.current.GroupPlaytallyBy = instanceFlags();
    Identities group;
    for (const auto& record : store_.all()) {
        if (IsSameGroup(like, *record)) group.push_back(record->identity.value());  // `like` too
    }
    std::sort(group.begin(), group.end());
    return group;
}

bool CDoc::RemoveRecord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= store_.size() || !windowExists(context_)) return false;
    Identities doomed{store_[index].identity.value()};
    if (!windowInLogMode(context_)) {
        Identities group = groupOf(store_[index], false);
        if (group.size() > 1) {
            if (!confirm(context_, IDS_ASK_REMOVE_GROUP)) return false;
            doomed = std::move(group);
        }
    }
    return store_.removeWhere([&](const CTrackRecord& r) { return contains(doomed, r.identity.value()); }) != 0;
}

bool CDoc::ChangePath(int index, const std::string& missingPath, const std::u16string& missingWide) {
    if (index < 0 || static_cast<std::size_t>(index) >= store_.size()) return false;
    const CTrackRecord& record = store_[index];
    const std::uint64_t chosen = record.identity.value();
    const bool logMode = windowInLogMode(context_);
    Identities targets = groupOf(record, logMode);
    std::string path = record.path.str();
    std::u16string widePath = record.widePath;
    if (!context_.dialogs->editPath(path, widePath, missingPath, missingWide)) return false;
    if (!windowExists(context_)) return false;
    if (targets.size() > 1 && !confirm(context_, logMode ? IDS_ASK_PATH_INSTANCES : IDS_ASK_PATH_GROUP)) {
        if (!logMode) return false;
        targets = {chosen};
    }
    bool changed = false;
    for (auto& r : store_.all()) {
        if (!contains(targets, r->identity.value())) continue;
        // The dialog says whether the code page holds the confirmed name; a record keeps no wide
        // form of a name it does hold.
        r->path = path;
        r->widePath = widePath;
        changed = true;
    }
    return changed;
}

bool CDoc::EditTag(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= store_.size()) return false;
    const std::uint64_t chosen = store_[index].identity.value();
    CTrackRecord edit(store_[index]);
    const bool logMode = windowInLogMode(context_);
    Identities targets = groupOf(store_[index], logMode);
    TrackTexts texts = edit.Texts();
    if (!context_.dialogs->editTexts(texts)) return false;
    if (!windowExists(context_)) return false;
    // The body is made again from what was typed; the texts stay whole beside it.
    edit.SetTexts(texts);
    if (targets.size() > 1 && !confirm(context_, logMode ? IDS_ASK_TAG_INSTANCES : IDS_ASK_TAG_GROUP)) {
        if (!logMode) return false;
        targets = {chosen};
    }
    bool changed = false;
    for (auto& r : store_.all()) {
        const std::uint64_t identity = r->identity.value();
        if (!contains(targets, identity)) continue;
        // The chosen play takes the edit whole but keeps its date. The other plays of the group
        // take only the tag: their paths, lengths and listening times are their own and the tag
        // editor never showed them.
        if (identity == chosen)
            r->CopyAllButDate(edit);
        else
            r->TakeTexts(edit);
        changed = true;
    }
    if (changed) store_.rewritten();
    return changed;
}

void CDoc::PlayRecord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= store_.size()) return;
    const std::uint64_t chosen = store_[index].identity.value();
    IFileSystem& files = context_.files;
    // Each new attempt follows a path the user confirmed; Cancel (or any other refusal) ends it.
    for (;;) {
        index = FindRecord(chosen, index);
        if (index < 0) return;
        const std::string path = store_[index].path.str();
        const std::u16string widePath = store_[index].widePath;
        if (canOpen(files, path, widePath)) {
            if (widePath.empty())
                context_.runner->runProgram(playCommandLine(context_.pluginFolder, path), 0);
            else
                playWide(*context_.runner, context_.pluginFolder, widePath);
            return;
        }
        if (!ChangePath(index, path, widePath)) return;
    }
}
