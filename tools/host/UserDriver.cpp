#include "tools/host/UserDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/host/Log.h"
#include "tools/host/WindowCapture.h"

namespace {

constexpr UINT kTrayMessage = WM_USER + 128;  // the callback message of the plug-in's tray icon
constexpr int kMaxLoggedRows = 500;

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

std::string oneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::string windowText(HWND w) {
    const int n = GetWindowTextLengthA(w);
    std::string text(static_cast<std::size_t>(n > 0 ? n : 0) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(w, &text[0], n + 1)));
    return text;
}

std::string className(HWND w) {
    char cls[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    return cls;
}

std::string describe(const ScriptCommand& cmd) { return quoted(cmd.window + (cmd.prefix ? "*" : "")); }

struct Search {
    const ScriptCommand* cmd;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND w, LPARAM param) {
    auto& s = *reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(w)) return TRUE;
    const std::string caption = windowText(w);
    const bool match = s.cmd->prefix ? caption.compare(0, s.cmd->window.size(), s.cmd->window) == 0
                                     : caption == s.cmd->window;
    if (!match) return TRUE;
    s.found = w;
    return FALSE;
}

BOOL CALLBACK findMenu(HWND w, LPARAM param) {
    if (!IsWindowVisible(w) || className(w) != "#32768") return TRUE;
    *reinterpret_cast<HWND*>(param) = w;
    return FALSE;
}

HWND openMenu() {
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMenu, reinterpret_cast<LPARAM>(&menu));
    return menu;
}

LPARAM point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// Puts the pointer on a point of a window's client area, as the mouse would be for a click.
void moveCursor(HWND w, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(w, &p);
    SetCursorPos(p.x, p.y);
}

void postMouse(HWND w, UINT down, UINT up, WPARAM buttons, int x, int y) {
    moveCursor(w, x, y);
    PostMessageA(w, WM_MOUSEMOVE, 0, point(x, y));
    PostMessageA(w, down, buttons, point(x, y));
    if (up) PostMessageA(w, up, 0, point(x, y));
}

POINT clientCentre(HWND w) {
    RECT r = {};
    GetClientRect(w, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

std::string formatTime(const SYSTEMTIME& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond);
    return buffer;
}

std::string listText(HWND list, int item, int sub) {
    std::vector<char> buffer(1024);
    LVITEMA it = {};
    it.iSubItem = sub;
    it.pszText = buffer.data();
    it.cchTextMax = static_cast<int>(buffer.size());
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&it));
    return buffer.data();
}

void logList(HWND list, const std::string& head) {
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    std::string text = head + " columns:";
    for (int c = 0; c < columns; ++c) {
        char caption[256] = {};
        LVCOLUMNA col = {};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.pszText = caption;
        col.cchTextMax = sizeof caption;
        SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&col));
        text += std::string(c ? ", " : " ") + quoted(caption) + " " + std::to_string(col.cx);
    }
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    logLine(text + (columns ? "" : " none") + "; rows " + std::to_string(rows));
    for (int r = 0; r < rows && r < kMaxLoggedRows; ++r) {
        LVITEMA it = {};
        it.mask = LVIF_PARAM | LVIF_STATE;
        it.iItem = r;
        it.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&it));
        std::string line = head + " row " + std::to_string(r) + " data " + std::to_string(it.lParam) +
                           (it.state & LVIS_SELECTED ? " selected" : "") + (it.state & LVIS_FOCUSED ? " focused" : "") +
                           ":";
        for (int c = 0; c < (columns ? columns : 1); ++c)
            line += std::string(c ? " | " : " ") + quoted(oneLine(listText(list, r, c)));
        logLine(line);
    }
    if (rows > kMaxLoggedRows) logLine(head + " ... " + std::to_string(rows - kMaxLoggedRows) + " more rows");
}

}  // namespace

HWND UserDriver::find(const ScriptCommand& cmd) const {
    Search s = {&cmd, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchCaption, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND UserDriver::findOrLog(const ScriptCommand& cmd) const {
    HWND w = find(cmd);
    if (!w) logLine(std::string(scriptOpName(cmd.op)) + ": no window " + describe(cmd));
    return w;
}

namespace {
HWND shownDescendant(HWND parent, int id) {
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        if (GetDlgCtrlID(child) == id) return child;
        if (HWND deeper = shownDescendant(child, id)) return deeper;
    }
    return nullptr;
}
}  // namespace

HWND UserDriver::control(const ScriptCommand& cmd, HWND& window) const {
    window = findOrLog(cmd);
    if (!window) return nullptr;
    HWND c = cmd.control == 0 ? window : GetDlgItem(window, cmd.control);
    // A control of a property sheet's page sits on the page, not on the sheet: take the shown
    // descendant with that id.
    if (!c && cmd.control != 0) c = shownDescendant(window, cmd.control);
    if (!c) logLine(std::string(scriptOpName(cmd.op)) + ": window " + describe(cmd) + " has no control " +
                    std::to_string(cmd.control));
    return c;
}

UserDriver::Wait UserDriver::waitFor(const ScriptCommand& cmd, double now, bool met, double seconds) {
    if (pendingLine_ != cmd.line) {
        pendingLine_ = cmd.line;
        deadline_ = now + seconds;
    }
    if (!met && now < deadline_) return Wait::Pending;
    pendingLine_ = -1;
    return met ? Wait::Met : Wait::Missed;
}

namespace {
std::string within(double seconds) { return " within " + std::to_string(int(seconds)) + " s"; }
}  // namespace

bool UserDriver::menuOpen(const ScriptCommand& cmd, double now) {
    const Wait wait = waitFor(cmd, now, openMenu() != nullptr, 10);
    if (wait == Wait::Missed) logLine("menu: no menu opened" + within(10));
    return wait != Wait::Pending;
}

bool UserDriver::windowShown(const ScriptCommand& cmd, double now) {
    const Wait wait = waitFor(cmd, now, find(cmd) != nullptr, cmd.seconds);
    if (wait == Wait::Met) logLine("wait-window: " + describe(cmd) + " is shown");
    if (wait == Wait::Missed) logLine("wait-window: the window did not appear" + within(cmd.seconds) + ": " + describe(cmd));
    return wait != Wait::Pending;
}

bool UserDriver::windowGone(const ScriptCommand& cmd, double now) {
    const Wait wait = waitFor(cmd, now, find(cmd) == nullptr, cmd.seconds);
    if (wait == Wait::Met) logLine("wait-gone: " + describe(cmd) + " is gone");
    if (wait == Wait::Missed) logLine("wait-gone: the window did not go" + within(cmd.seconds) + ": " + describe(cmd));
    return wait != Wait::Pending;
}

// --- wait-log and wait-change: whether it has happened since the command began ---
bool UserDriver::logged(const ScriptCommand& cmd, double now) {
    if (pendingLine_ != cmd.line) logFrom_ = logLineCount();
    const Wait wait = waitFor(cmd, now, logHasSince(logFrom_, cmd.text), cmd.seconds);
    if (wait != Wait::Pending)
        logLine("wait-log: a line with " + quoted(cmd.text) +
                (wait == Wait::Met ? " was logged" : " was not logged" + within(cmd.seconds)));
    return wait != Wait::Pending;
}

bool UserDriver::fileChanged(const ScriptCommand& cmd, double now) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    std::string stamp = "missing";
    if (GetFileAttributesExA(cmd.path.c_str(), GetFileExInfoStandard, &data))
        stamp = std::to_string(data.nFileSizeLow) + "/" + std::to_string(data.nFileSizeHigh) + "/" +
                std::to_string(data.ftLastWriteTime.dwLowDateTime) + "/" + std::to_string(data.ftLastWriteTime.dwHighDateTime);
    if (pendingLine_ != cmd.line) fileStamp_ = stamp;
    const Wait wait = waitFor(cmd, now, stamp != fileStamp_, cmd.seconds);
    if (wait != Wait::Pending)
        logLine("wait-change: " + quoted(cmd.path) + (wait == Wait::Met ? " changed" : " did not change" + within(cmd.seconds)));
    return wait != Wait::Pending;
}

// A file that is there, however early it came: what a command before this one made.
bool UserDriver::fileExists(const ScriptCommand& cmd, double now) {
    const bool there = GetFileAttributesA(cmd.path.c_str()) != INVALID_FILE_ATTRIBUTES;
    const Wait wait = waitFor(cmd, now, there, cmd.seconds);
    if (wait != Wait::Pending)
        logLine("wait-file: " + quoted(cmd.path) + (wait == Wait::Met ? " is there" : " did not appear" + within(cmd.seconds)));
    return wait != Wait::Pending;
}
// --- end of wait-log and wait-change ---

void UserDriver::tray(const ScriptCommand& cmd) {
    PostMessageA(main_, kTrayMessage, static_cast<WPARAM>(cmd.number2), static_cast<LPARAM>(cmd.number));
}

void UserDriver::menu(const ScriptCommand& cmd) {
    HWND window = openMenu();
    if (!window) return;  // menuOpen() has logged it
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
    const int count = menu ? GetMenuItemCount(menu) : 0;
    int steps = 0;
    bool found = false;
    for (int i = 0; i < count && !found; ++i) {
        if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) continue;
        ++steps;
        found = cmd.number != 0 && GetMenuItemID(menu, i) == static_cast<UINT>(cmd.number);
    }
    if (!found) {
        logLine(cmd.number ? "menu: no item " + std::to_string(cmd.number) + ": closing the menu"
                           : std::string("menu: closed without a choice"));
        EndMenu();
        return;
    }
    char text[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(cmd.number), text, sizeof text, MF_BYCOMMAND);
    logLine("menu: choosing " + std::to_string(cmd.number) + " " + quoted(text));
    // The keyboard way: each Down moves to the next item that is not a separator.
    for (int i = 0; i < steps; ++i) {
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 1);
        PostMessageA(window, WM_KEYUP, VK_DOWN, 0xC0000001);
    }
    PostMessageA(window, WM_KEYDOWN, VK_RETURN, 1);
}

void UserDriver::close(const ScriptCommand& cmd) {
    if (HWND window = findOrLog(cmd)) PostMessageA(window, WM_CLOSE, 0, 0);
}

void UserDriver::logWindow(const ScriptCommand& cmd) {
    if (HWND window = findOrLog(cmd)) logWindow(window);
}

void UserDriver::resize(const ScriptCommand& cmd) {
    HWND window = findOrLog(cmd);
    if (!window) return;
    // The border first offers the new rectangle (WM_SIZING), which the window may change.
    RECT r = {};
    GetWindowRect(window, &r);
    r.right = r.left + cmd.number;
    r.bottom = r.top + cmd.number2;
    SendMessageA(window, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&r));
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void UserDriver::drag(const ScriptCommand& cmd) {
    HWND window = findOrLog(cmd);
    if (!window) return;
    RECT r = {};
    GetClientRect(window, &r);
    const int x = r.right - 5, y = r.bottom - 5;
    postMouse(window, WM_LBUTTONDOWN, 0, MK_LBUTTON, x, y);
    moveCursor(window, x + cmd.number, y + cmd.number2);
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, point(x + cmd.number, y + cmd.number2));
    PostMessageA(window, WM_LBUTTONUP, 0, point(x + cmd.number, y + cmd.number2));
}

void UserDriver::click(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    const POINT c = clientCentre(target);
    if (lstrcmpiA(className(target).c_str(), "Button") == 0) {
        moveCursor(target, c.x, c.y);
        PostMessageA(target, BM_CLICK, 0, 0);
    } else {
        postMouse(target, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, c.x, c.y);
    }
}

void UserDriver::hover(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    const POINT c = clientCentre(target);
    moveCursor(target, c.x, c.y);
    PostMessageA(target, WM_MOUSEMOVE, 0, point(c.x, c.y));
}

void UserDriver::type(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    // A combo box's text (the file name box of the common file dialogs) is its edit's.
    const std::string cls = className(target);
    if (lstrcmpiA(cls.c_str(), WC_COMBOBOXEXA) == 0) {
        if (HWND edit = reinterpret_cast<HWND>(SendMessageA(target, CBEM_GETEDITCONTROL, 0, 0))) target = edit;
    } else if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
        if (HWND edit = FindWindowExA(target, nullptr, "Edit", nullptr)) target = edit;
    }
    SetFocus(target);
    PostMessageA(target, EM_SETSEL, 0, -1);
    if (cmd.word.empty()) PostMessageA(target, WM_CHAR, VK_BACK, 1);
    for (unsigned char ch : cmd.word) PostMessageA(target, WM_CHAR, ch, 1);
}

void UserDriver::key(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    SetFocus(target);
    PostMessageA(target, WM_KEYDOWN, static_cast<WPARAM>(cmd.number), 1);
    PostMessageA(target, WM_KEYUP, static_cast<WPARAM>(cmd.number), 0xC0000001);
}

void UserDriver::pick(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    // A tab control (a property sheet's tabs): the page comes up as after a click on its tab.
    if (lstrcmpiA(className(target).c_str(), WC_TABCONTROLA) == 0) {
        const long page = std::strtol(cmd.word.c_str(), nullptr, 10);
        if (page < 0 || page >= SendMessageA(target, TCM_GETITEMCOUNT, 0, 0)) {
            logLine("pick: the tab control " + std::to_string(cmd.control) + " has no tab " + quoted(cmd.word));
            return;
        }
        SendMessageA(target, TCM_SETCURFOCUS, static_cast<WPARAM>(page), 0);
        return;
    }
    LRESULT index = SendMessageA(target, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(cmd.word.c_str()));
    char* end = nullptr;
    const long number = std::strtol(cmd.word.c_str(), &end, 10);
    if (index == CB_ERR && !cmd.word.empty() && *end == '\0') index = number;
    if (index < 0 || index >= SendMessageA(target, CB_GETCOUNT, 0, 0)) {
        logLine("pick: the combo box " + std::to_string(cmd.control) + " has no entry " + quoted(cmd.word));
        return;
    }
    // What the box tells its parent (a page's box tells the page, not the sheet) when a user picks
    // an entry: the selection changed, and it is to be taken (the common file dialogs take a file
    // type only then). A dropped list is closed as the Enter key closes it, by the box itself,
    // which then says the choice is taken and the list closed up. Posted in that order, so that
    // a parent that opens a window in reply never holds up the script.
    SendMessageA(target, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    HWND parent = GetParent(target);
    const WPARAM id = static_cast<WPARAM>(GetDlgCtrlID(target));
    PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(target));
    if (SendMessageA(target, CB_GETDROPPEDSTATE, 0, 0)) {
        PostMessageA(target, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(target, WM_KEYUP, VK_RETURN, 0xC0000001);
    } else {
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(id, CBN_SELENDOK), reinterpret_cast<LPARAM>(target));
    }
}

void UserDriver::date(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    SYSTEMTIME t = {};
    t.wYear = static_cast<WORD>(std::atoi(cmd.word.c_str()));
    t.wMonth = static_cast<WORD>(std::atoi(cmd.word.c_str() + 5));
    t.wDay = static_cast<WORD>(std::atoi(cmd.word.c_str() + 8));
    if (!SendMessageA(target, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&t))) {
        logLine("date: the picker " + std::to_string(cmd.control) + " refused " + cmd.word);
        return;
    }
    NMDATETIMECHANGE change = {};
    change.nmhdr.hwndFrom = target;
    change.nmhdr.idFrom = static_cast<UINT_PTR>(cmd.control);
    change.nmhdr.code = DTN_DATETIMECHANGE;
    change.dwFlags = GDT_VALID;
    SendMessageA(target, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&change.st));
    SendMessageA(window, WM_NOTIFY, static_cast<WPARAM>(cmd.control), reinterpret_cast<LPARAM>(&change));
}

void UserDriver::row(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    const int rows = static_cast<int>(SendMessageA(target, LVM_GETITEMCOUNT, 0, 0));
    RECT r = {};
    int y;
    if (cmd.number2 < rows) {
        SendMessageA(target, LVM_ENSUREVISIBLE, static_cast<WPARAM>(cmd.number2), FALSE);
        r.left = LVIR_BOUNDS;
        SendMessageA(target, LVM_GETITEMRECT, static_cast<WPARAM>(cmd.number2), reinterpret_cast<LPARAM>(&r));
        y = (r.top + r.bottom) / 2;
    } else {
        // Empty space below the last row.
        RECT client = {};
        GetClientRect(target, &client);
        y = client.bottom - 4;
        if (rows > 0) {
            r.left = LVIR_BOUNDS;
            SendMessageA(target, LVM_GETITEMRECT, static_cast<WPARAM>(rows - 1), reinterpret_cast<LPARAM>(&r));
            y = std::min<int>(y, r.bottom + (cmd.number2 - rows) * (r.bottom - r.top) + (r.bottom - r.top) / 2);
        }
    }
    const int x = 8;
    if (cmd.word == "right") {
        postMouse(target, WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, x, y);
    } else {
        postMouse(target, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, x, y);
        if (cmd.word == "double") postMouse(target, WM_LBUTTONDBLCLK, WM_LBUTTONUP, MK_LBUTTON, x, y);
    }
}

void UserDriver::column(const ScriptCommand& cmd) {
    HWND window = nullptr;
    HWND target = control(cmd, window);
    if (!target) return;
    HWND header = reinterpret_cast<HWND>(SendMessageA(target, LVM_GETHEADER, 0, 0));
    RECT r = {};
    if (!header || !SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(cmd.number2), reinterpret_cast<LPARAM>(&r))) {
        logLine("column: the list " + std::to_string(cmd.control) + " has no column " + std::to_string(cmd.number2));
        return;
    }
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    if (cmd.word == "hover") {
        moveCursor(header, x, y);
        PostMessageA(header, WM_MOUSEMOVE, 0, point(x, y));
    } else {
        postMouse(header, WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, x, y);
    }
}

void UserDriver::logWindow(HWND window) const {
    RECT r = {};
    GetWindowRect(window, &r);
    logLine("window " + quoted(windowText(window)) + " class " + className(window) + " at " + std::to_string(r.left) +
            "," + std::to_string(r.top) + " size " + std::to_string(r.right - r.left) + "x" +
            std::to_string(r.bottom - r.top) + (IsIconic(window) ? " minimized" : ""));
    logControls(window);
}

void UserDriver::logControls(HWND window) const {
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::string cls = className(c);
        const int id = GetDlgCtrlID(c);
        std::string line = "control " + std::to_string(id) + " " + cls;
        const LONG style = GetWindowLongA(c, GWL_STYLE);
        if (lstrcmpiA(cls.c_str(), "Button") == 0) {
            line += " " + quoted(oneLine(windowText(c)));
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
                type == BS_3STATE || type == BS_AUTO3STATE)
                line += SendMessageA(c, BM_GETCHECK, 0, 0) == BST_CHECKED ? " checked" : " unchecked";
        } else if (lstrcmpiA(cls.c_str(), "ComboBox") == 0) {
            const LRESULT sel = SendMessageA(c, CB_GETCURSEL, 0, 0);
            char text[256] = {};
            if (sel >= 0 && SendMessageA(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(sel), 0) < LRESULT(sizeof text))
                SendMessageA(c, CB_GETLBTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text));
            line += " selection " + std::to_string(sel) + " " + quoted(text) + " of " +
                    std::to_string(SendMessageA(c, CB_GETCOUNT, 0, 0));
        } else if (cls == DATETIMEPICK_CLASSA) {
            SYSTEMTIME t = {};
            line += SendMessageA(c, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID
                        ? " date " + formatTime(t) : std::string(" no date");
        } else if (lstrcmpiA(cls.c_str(), WC_TABCONTROLA) == 0) {
            // A settings sheet's tabs: their captions, and which one is shown.
            const int count = static_cast<int>(SendMessageA(c, TCM_GETITEMCOUNT, 0, 0));
            line += " tabs";
            for (int i = 0; i < count; ++i) {
                char text[128] = {};
                TCITEMA item = {};
                item.mask = TCIF_TEXT;
                item.pszText = text;
                item.cchTextMax = sizeof text;
                SendMessageA(c, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
                line += std::string(i ? " | " : " ") + quoted(text);
            }
            line += " selection " + std::to_string(SendMessageA(c, TCM_GETCURSEL, 0, 0));
        } else if (lstrcmpiA(cls.c_str(), "Edit") == 0 && (style & ES_PASSWORD)) {
            // A password box shows dots on the screen, and so in the log: its length only.
            line += " password of " + std::to_string(GetWindowTextLengthA(c)) + " characters";
        } else if (cls != WC_LISTVIEWA) {
            line += " " + quoted(oneLine(windowText(c)));
        }
        if (!IsWindowEnabled(c)) line += " disabled";
        if (!IsWindowVisible(c)) line += " hidden";
        logLine(line);
        if (cls == WC_LISTVIEWA) logList(c, "control " + std::to_string(id));
        // The shown page of a settings sheet: its controls follow the page's own line.
        if (cls == "#32770" && IsWindowVisible(c)) logControls(c);
    }
}

void UserDriver::screenshot(const ScriptCommand& cmd) {
    HWND window = findOrLog(cmd);
    if (!window) return;
    const std::string& path = cmd.path;
    const WindowPicture picture = captureWindow(window, path);
    if (picture.width <= 0 || picture.height <= 0) {
        logLine("screenshot: the window has no size");
        return;
    }
    logLine(picture.saved ? "screenshot of " + quoted(windowText(window)) + " (" + std::to_string(picture.width) + "x" +
                                std::to_string(picture.height) + ") saved to " + quoted(path)
                          : "screenshot: could not save " + quoted(path));
}
