// A registry section's settings as one table. Each line names a key, the member of the settings
// record that holds it, its default, the range it must lie in, and the settings page and control
// that edit it. Reading and writing the section, and the pages' data exchange, run over the lines;
// copying and Cancel copy the record itself. So a setting is declared once, in its line.
#pragma once
#include <climits>
#include <cstddef>
#include <string>

#include "core/Clock.h"
#include "core/Profile.h"
#include "core/Settings.h"

// What the defaults that are not constant are made of.
struct SettingsDefaults {
    std::string userName;  // the database file is named after the logon name
    TimeValue now = 0;     // a fresh user's publish time is the current local time
    int screenWidth = 0;   // a fresh user's Playtally window stands in the middle of the screen
    int screenHeight = 0;
};

// A default: a constant number or text, or one made from the logon name or the time.
struct SettingDefault {
    constexpr SettingDefault(int constant) : number(constant) {}
    constexpr SettingDefault(const char* constant) : text(constant) {}
    constexpr SettingDefault(int (*made)(const SettingsDefaults&)) : makeNumber(made) {}
    constexpr SettingDefault(std::string (*made)(const SettingsDefaults&)) : makeText(made) {}

    int numberFor(const SettingsDefaults& d) const { return makeNumber ? makeNumber(d) : number; }
    std::string textFor(const SettingsDefaults& d) const { return makeText ? makeText(d) : text ? text : ""; }

    int number = 0;
    const char* text = nullptr;
    int (*makeNumber)(const SettingsDefaults&) = nullptr;
    std::string (*makeText)(const SettingsDefaults&) = nullptr;
};

// What reading makes of a stored number outside the line's range. (A page never stores one: its
// control refuses it, or cannot hold it.)
enum class OutOfRange : unsigned char {
    Kept,          // read as stored
    DefaultBelow,  // below the minimum is damage, not a choice: it reads as the default
    Default,       // outside the range reads as the default (the index of a choice)
    Masked,        // only the bits of the maximum are used
};

struct SettingRange {
    int min = INT_MIN;
    int max = INT_MAX;
    OutOfRange onRead = OutOfRange::Kept;
    bool bounded() const { return min != INT_MIN || max != INT_MAX; }
};

// The kind of control a page shows a setting in.
enum class ControlKind : unsigned char {
    None,        // none of its own: the page edits it otherwise (the field choosers)
    CheckBox,    // a flag; on a number, the box of one bit of it (`bit`)
    Edit,        // a text, or a signed number ("Please enter an integer.")
    CountEdit,   // an unsigned number ("Please enter a positive integer.")
    DropList,    // the index of the chosen line
    TimeHour,    // the hour and the minute of the page's time picker
    TimeMinute,
    DatePart,    // the year, month or day of a date picker (`id`), one value each
    Place,       // none: the window's own place on the screen
    ListColumns, // the widths of the list's columns (`id`), as one text
};

// The page (its template id) that shows and stores a setting, and the control that edits it.
struct PageControl {
    int page = 0;
    int id = 0;
    ControlKind kind = ControlKind::None;
    int bit = 0;
};

// The member of the settings record that holds a setting; its type is how the value is stored:
// a flag as the number 0 or 1, a number, a text, a flag list as its text.
template <class Record>
struct SettingMember {
    constexpr SettingMember(bool Record::*member) : flag(member) {}
    constexpr SettingMember(int Record::*member) : number(member) {}
    constexpr SettingMember(std::string Record::*member) : text(member) {}
    constexpr SettingMember(FieldFlags Record::*member) : fields(member) {}
    bool holds(bool Record::*member) const { return flag == member; }
    bool holds(int Record::*member) const { return number == member; }
    bool holds(std::string Record::*member) const { return text == member; }
    bool holds(FieldFlags Record::*member) const { return fields == member; }
    bool Record::*flag = nullptr;
    int Record::*number = nullptr;
    std::string Record::*text = nullptr;
    FieldFlags Record::*fields = nullptr;
};

template <class Record>
struct SettingLine {
    const char* key;
    SettingMember<Record> member;
    SettingDefault def;
    SettingRange range;
    PageControl control;
};

// One section's lines. Lines that share a key (the boxes of the bits of one number) stand
// together; the key is read and written once.
template <class Record>
struct SettingsTable {
    std::string (*section)();
    const SettingLine<Record>* lines;
    std::size_t count;

    const SettingLine<Record>* begin() const { return lines; }
    const SettingLine<Record>* end() const { return lines + count; }
    bool repeatsKey(const SettingLine<Record>& line) const {
        return &line != lines && std::string((&line - 1)->key) == line.key;
    }
};

// Where one line's value lives in one record, whatever the record's type: exactly one pointer is
// set. Reading and writing a value are one function each for every section, not one per record.
template <class Flag, class Number, class Text, class Fields>
struct SettingPlace {
    Flag* flag = nullptr;
    Number* number = nullptr;
    Text* text = nullptr;
    Fields* fields = nullptr;
};
using SettingTarget = SettingPlace<bool, int, std::string, FieldFlags>;  // read into
using SettingSource = SettingPlace<const bool, const int, const std::string, const FieldFlags>;  // written from
void readSettingValue(IProfile& profile, const std::string& section, const char* key, const SettingDefault& def,
                      const SettingRange& range, const SettingsDefaults& defaults, const SettingTarget& value);
void writeSettingValue(IProfile& profile, const std::string& section, const char* key, const SettingSource& value);

template <class Place, class Record, class Values>
Place placeOf(const SettingMember<Record>& m, Values& values) {
    return {m.flag ? &(values.*m.flag) : nullptr, m.number ? &(values.*m.number) : nullptr,
            m.text ? &(values.*m.text) : nullptr, m.fields ? &(values.*m.fields) : nullptr};
}

// One line's key into its member.
template <class Record>
void readLine(IProfile& profile, const std::string& section, const SettingLine<Record>& line,
              const SettingsDefaults& defaults, Record& values) {
    readSettingValue(profile, section, line.key, line.def, line.range, defaults,
                     placeOf<SettingTarget>(line.member, values));
}

// Every key of the section; an absent or unreadable value gives its default.
template <class Record>
Record readSettings(IProfile& profile, const SettingsTable<Record>& table, const SettingsDefaults& defaults) {
    const std::string section = table.section();
    Record values{};
    for (const SettingLine<Record>& line : table)
        if (!table.repeatsKey(line)) readLine(profile, section, line, defaults, values);
    return values;
}

// The line of `member` (the first of the boxes of one number's bits); null when it has none.
template <class Record, class T>
const SettingLine<Record>* lineOf(const SettingsTable<Record>& table, T Record::*member) {
    for (const SettingLine<Record>& line : table)
        if (line.member.holds(member)) return &line;
    return nullptr;
}

template <class Record>
void writeLine(IProfile& profile, const std::string& section, const SettingLine<Record>& line, const Record& values) {
    writeSettingValue(profile, section, line.key, placeOf<SettingSource>(line.member, values));
}

// Writes the keys of the lines `pick` takes, in the table's order.
template <class Record, class Pick>
void writeSettingsWhere(IProfile& profile, const SettingsTable<Record>& table, const Record& values, Pick pick) {
    const std::string section = table.section();
    for (const SettingLine<Record>& line : table)
        if (!table.repeatsKey(line) && pick(line)) writeLine(profile, section, line, values);
}

// Writes the keys that page `page` stores, in the table's order.
template <class Record>
void writeSettings(IProfile& profile, const SettingsTable<Record>& table, const Record& values, int page) {
    writeSettingsWhere(profile, table, values, [page](const SettingLine<Record>& line) { return line.control.page == page; });
}

// Reads the one key that holds `member` into `values`.
template <class Record, class T>
void readSetting(IProfile& profile, const SettingsTable<Record>& table, T Record::*member,
                 const SettingsDefaults& defaults, Record& values) {
    if (const SettingLine<Record>* line = lineOf(table, member)) readLine(profile, table.section(), *line, defaults, values);
}

// Writes the one key that holds `member`.
template <class Record, class T>
void writeSetting(IProfile& profile, const SettingsTable<Record>& table, T Record::*member, const Record& values) {
    if (const SettingLine<Record>* line = lineOf(table, member)) writeLine(profile, table.section(), *line, values);
}
