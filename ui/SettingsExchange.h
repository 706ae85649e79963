// A settings page's data exchange, run over the lines of a settings table that name the page:
// each line's control and the member of the page's settings record.
#pragma once
#include <map>
#include <string>

#include "core/SettingsTable.h"
#include "framework/Controls.h"
#include "framework/DataExchange.h"

class CSettingsExchange {
public:
    // Puts the values into the controls, or takes them back and checks them (DoDataExchange).
    template <class Record>
    void exchange(CDataExchange& dx, const SettingsTable<Record>& table, int page, Record& values) {
        for (const SettingLine<Record>& line : table) {
            const PageControl& c = line.control;
            if (c.page != page || c.id == 0) continue;
            const SettingMember<Record>& m = line.member;
            if (m.flag) dx.Check(c.id, values.*m.flag);
            if (m.text) exchangeText(dx, c.id, values.*m.text);
            if (m.number) exchangeNumber(dx, c, line.range, values.*m.number);
        }
    }

    // The time picker's hour and minute: put at the opening and at Cancel, taken when the page
    // stores its keys. Taking from a picker that holds no valid time leaves the values.
    template <class Record>
    static void putTime(CDateTimeCtrl& picker, const SettingsTable<Record>& table, int page, const Record& values) {
        int hour = 0, minute = 0;
        for (const SettingLine<Record>& line : table) {
            if (line.control.page != page || !line.member.number) continue;
            if (line.control.kind == ControlKind::TimeHour) hour = values.*line.member.number;
            if (line.control.kind == ControlKind::TimeMinute) minute = values.*line.member.number;
        }
        putTime(picker, hour, minute);
    }
    template <class Record>
    static void takeTime(CDateTimeCtrl& picker, const SettingsTable<Record>& table, int page, Record& values) {
        int hour = 0, minute = 0;
        if (!takeTime(picker, hour, minute)) return;
        for (const SettingLine<Record>& line : table) {
            if (line.control.page != page || !line.member.number) continue;
            if (line.control.kind == ControlKind::TimeHour) values.*line.member.number = hour;
            if (line.control.kind == ControlKind::TimeMinute) values.*line.member.number = minute;
        }
    }

private:
    void exchangeText(CDataExchange& dx, int id, std::string& value);
    static void exchangeNumber(CDataExchange& dx, const PageControl& control, const SettingRange& range, int& value);
    static void putTime(CDateTimeCtrl& picker, int hour, int minute);
    static bool takeTime(CDateTimeCtrl& picker, int& hour, int& minute);

    // Each text as its edit held it right after it was put there: an edit the user did not touch
    // gives its text back unchanged, byte for byte.
    std::map<int, std::string> m_shown;
};
