// Keyed messages: notices and Yes/No questions that the user may silence by key.
#pragma once
#include <string>

class IMessages {
public:
    virtual ~IMessages() = default;
    // Shows `text` unless the message key `key` (a value in section "Main") holds 1.
    virtual void showMessage(const std::string& text, const std::string& key) = 0;
    // Asks `text`; a silenced question answers Yes. An empty key can never be silenced.
    virtual bool askYesNo(const std::string& text, const std::string& key) = 0;
};

// The messages of a caller nobody watches: nothing is shown and every question is answered No.
class CNoMessages : public IMessages {
public:
    void showMessage(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return false; }
};

// Plain notices in a message box of their own (no key, cannot be silenced): the welcome text and
// the visual-style notice.
class INotices {
public:
    virtual ~INotices() = default;
    virtual void showInformation(const std::string& caption, const std::string& text) = 0;
};
