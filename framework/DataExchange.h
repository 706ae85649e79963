// Data exchange between a dialog's controls and its member variables.
//
// A dialog's DoDataExchange lists its controls once; UpdateData(false) runs the list to put the
// members into the controls, UpdateData(true) to take them back and validate them. When a value
// cannot be taken (a number that does not read, one out of range), the exchange shows the
// framework's message, gives the control the focus and stops: the members exchanged before keep
// their new values, the rest keep their old ones, and UpdateData returns false.
#pragma once
#include <windows.h>

#include <string>

class CDialog;

class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool saveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(saveAndValidate) {}

    CDialog& dialog() const { return m_dialog; }
    bool saving() const { return m_bSaveAndValidate; }

    // Texts of edits, labels and buttons.
    void Text(int id, std::string& value);
    // Signed and unsigned numbers in edits, written in decimal.
    void Text(int id, int& value);
    void Text(int id, unsigned& value);
    // Check boxes: 0 clear, 1 checked, 2 indeterminate.
    void Check(int id, int& value);
    void Check(int id, bool& value);
    // A group of radio buttons starting at `firstId` (up to the next control with WS_GROUP):
    // the index of the checked one, -1 for none.
    void Radio(int firstId, int& index);
    // The selection index of a combo box, -1 for none.
    void CBIndex(int id, int& index);
    // The text of a rich edit control, of any length (the control's limit is raised to hold it).
    // Line breaks go in and come back as "\n" only, whatever the control answers (CR LF or CR).
    void RichText(int id, std::string& value);
    // The value of a date-time picker. Taking it from a picker that holds no valid time leaves
    // `value` as it was.
    void DateTime(int id, SYSTEMTIME& value);
    // Validation, only when saving: the value must lie in [min, max].
    void MinMax(int id, int value, int min, int max);
    void MinMax(int id, unsigned value, unsigned min, unsigned max);

    // Shows `message`, puts the focus on control `id` (selecting an edit's text) and stops the exchange.
    [[noreturn]] void Fail(int id, const std::string& message);

private:
    HWND control(int id) const;
    CDialog& m_dialog;
    const bool m_bSaveAndValidate;
};

// Thrown by CDataExchange::Fail and caught by UpdateData; nothing else should catch it.
struct DataExchangeStopped {};

// Reads a whole decimal number as the data exchange does: blanks around it are allowed, a sign
// too, nothing else. False when the text holds no number or the number lies outside [min, max].
bool parseExchangedNumber(const std::string& text, long long min, long long max, long long& value);

// The text with every CR LF and every lone CR turned into "\n".
std::string withNewlineBreaks(const std::string& text);
