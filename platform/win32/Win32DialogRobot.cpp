// Works a dialog of this process through window messages, as a person at the screen would.
#include <windows.h>

#include <algorithm>

#include "platform/DialogRobot.h"
#include "platform/win32/Win32Dialog.h"

namespace {

AnsiString Narrow(const wchar_t* wide, int length) {
    if (length <= 0) return AnsiString();
    const int n = WideCharToMultiByte(1250, 0, wide, length, nullptr, 0, nullptr, nullptr);
    AnsiString text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(1250, 0, wide, length, text.data(), n, nullptr, nullptr);
    return text;
}

AnsiString TextOf(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    return Narrow(wide.data(), GetWindowTextW(window, wide.data(), length + 1));
}

std::wstring Wide(const AnsiString& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

bool IsClass(HWND window, const wchar_t* name) {
    wchar_t cls[64] = {};
    GetClassNameW(window, cls, 64);
    return lstrcmpiW(cls, name) == 0;
}

struct TSearch {
    AnsiString caption;
    HWND found = nullptr;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<TSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId() && IsWindowVisible(window) && TextOf(window) == search->caption) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND ControlAt(void* dialog, int control) {
    return GetDlgItem(static_cast<HWND>(dialog), win32::kFirstControlId + control);
}

TDialogControl ReadControl(HWND dialog, HWND window) {
    TDialogControl c;
    const LONG style = GetWindowLongW(window, GWL_STYLE);
    c.caption = TextOf(window);
    c.enabled = IsWindowEnabled(window) != 0;
    c.visible = (style & WS_VISIBLE) != 0;
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    c.left = r.left;
    c.top = r.top;
    c.width = r.right - r.left;
    c.height = r.bottom - r.top;
    if (IsClass(window, L"Static")) {
        c.kind = TDialogControlKind::Label;
        c.rightAligned = (style & SS_TYPEMASK) == SS_RIGHT;
    } else if (IsClass(window, L"ComboBox")) {
        c.kind = (style & 3) == CBS_DROPDOWNLIST ? TDialogControlKind::DropDownList : TDialogControlKind::ComboEdit;
        const LRESULT count = SendMessageW(window, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(static_cast<size_t>(SendMessageW(window, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            const LRESULT length = SendMessageW(window, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            c.items.push_back(Narrow(item.data(), static_cast<int>(length)));
        }
        const LRESULT selected = SendMessageW(window, CB_GETCURSEL, 0, 0);
        c.selected = selected == CB_ERR ? -1 : static_cast<int>(selected);
    } else {
        const LONG type = style & BS_TYPEMASK;
        if (type == BS_GROUPBOX) {
            c.kind = TDialogControlKind::GroupBox;
        } else if (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX) {
            c.kind = TDialogControlKind::CheckBox;
            c.checked = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
        } else {
            c.kind = TDialogControlKind::Button;
        }
    }
    return c;
}
}  // namespace

bool TDialogRobot::WaitFor(const AnsiString& caption, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    do {
        TSearch search{caption};
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&search));
        if (search.found) {
            FWindow = search.found;
            return true;
        }
        Sleep(20);
    } while (GetTickCount64() < end);
    return false;
}

bool TDialogRobot::WaitGone(int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    while (IsWindow(static_cast<HWND>(FWindow))) {
        if (GetTickCount64() >= end) return false;
        Sleep(20);
    }
    return true;
}

TDialog TDialogRobot::Read() const {
    TDialog d;
    HWND dialog = static_cast<HWND>(FWindow);
    if (!IsWindow(dialog)) return d;
    d.caption = TextOf(dialog);
    d.owner = GetWindow(dialog, GW_OWNER);
    RECT client;
    GetClientRect(dialog, &client);
    d.clientWidth = client.right;
    d.clientHeight = client.bottom;
    LOGFONTW font{};
    if (GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font)) {
        d.fontName = Narrow(font.lfFaceName, lstrlenW(font.lfFaceName));
        d.eastEuropean = font.lfCharSet == EASTEUROPE_CHARSET;
        HDC screen = GetDC(nullptr);
        d.fontPoints =
            MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72, GetDeviceCaps(screen, LOGPIXELSY));
        ReleaseDC(nullptr, screen);
    }
    // The tab order is the order of the controls' windows.
    int tab = 0;
    std::vector<std::pair<int, TDialogControl>> found;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        TDialogControl c = ReadControl(dialog, child);
        if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) c.tabOrder = tab++;
        found.emplace_back(GetDlgCtrlID(child), c);
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (auto& [id, c] : found) d.controls.push_back(c);
    return d;
}

void TDialogRobot::ScreenRect(int& left, int& top, int& width, int& height) const {
    RECT r{};
    GetWindowRect(static_cast<HWND>(FWindow), &r);
    left = r.left;
    top = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
}

void TDialogRobot::Select(int control, int item) {
    HWND list = ControlAt(FWindow, control);
    if (!IsWindowEnabled(list)) return;
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    SendMessageW(static_cast<HWND>(FWindow), WM_COMMAND,
                 MAKEWPARAM(static_cast<WORD>(win32::kFirstControlId + control), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
}

void TDialogRobot::Click(int control) { SendMessageW(ControlAt(FWindow, control), BM_CLICK, 0, 0); }

void TDialogRobot::Key(TDialogKey key) {
    const WPARAM vk = key == TDialogKey::F2 ? VK_F2 : VK_ESCAPE;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    HWND target = static_cast<HWND>(FWindow);
    if (GetGUIThreadInfo(GetWindowThreadProcessId(target, nullptr), &info) && info.hwndFocus) target = info.hwndFocus;
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void TDialogRobot::CloseBox() { PostMessageW(static_cast<HWND>(FWindow), WM_SYSCOMMAND, SC_CLOSE, 0); }

bool WindowEnabled(void* window) { return IsWindowEnabled(static_cast<HWND>(window)) != 0; }

void* CreateHostWindow(const AnsiString& caption) {
    const wchar_t* cls = L"VelkoraTestHost";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = cls;
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, cls, Wide(caption).c_str(), WS_OVERLAPPEDWINDOW, 0, 0, 480, 320, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    if (window) ShowWindow(window, SW_SHOWNOACTIVATE);
    return window;
}

void DestroyHostWindow(void* window) {
    if (window) DestroyWindow(static_cast<HWND>(window));
}
