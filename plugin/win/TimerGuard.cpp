#include "plugin/win/TimerGuard.h"

#include <exception>

#include "framework/Wnd.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

void CTimerGuard::run(IMessages& messages, const std::function<void()>& work) noexcept {
    try {
        work();
    } catch (const std::exception& e) {
        reportCallbackException(what_.c_str());
        report(messages, e.what());
    } catch (...) {
        reportCallbackException(what_.c_str());
        report(messages, "");
    }
}

void CTimerGuard::report(IMessages& messages, const char* reason) noexcept {
    if (reported_) return;
    // Set first: a report that fails, or a tick that arrives while the message is on screen (the
    // message box runs its own message loop), must not show a second one.
    reported_ = true;
    try {
        messages.showMessage(loadString(IDS_UNEXPECTED_ERROR) + reason, "UnexpectedError");
    } catch (...) {
        reportCallbackException((what_ + " (its report)").c_str());
    }
}
