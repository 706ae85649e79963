// Plain information boxes without an owner (the welcome text, the visual-style notice).
#pragma once
#include "core/Messages.h"

class WinNotices : public INotices {
public:
    void showInformation(const std::string& caption, const std::string& text) override;
};
