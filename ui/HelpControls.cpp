#include "ui/HelpControls.h"

bool CHelpDateTimeCtrl::OnReflectedNotify(NMHDR* header, LRESULT& result) {
    if (!header || (header->code != DTN_DATETIMECHANGE && header->code != DTN_DROPDOWN)) return false;
    result = 0;
    return true;
}
