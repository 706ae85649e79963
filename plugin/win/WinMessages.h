// IMessages through the keyed message dialogs, shown modally without a parent.
#pragma once
#include "core/Messages.h"

class IProfile;

class WinMessages : public IMessages {
public:
    explicit WinMessages(IProfile& profile) : profile_(profile) {}
    void showMessage(const std::string& text, const std::string& key) override;
    bool askYesNo(const std::string& text, const std::string& key) override;

private:
    IProfile& profile_;
};
