// The driver's dialogs as real windows: a popup with a caption and a system menu, owned by
// the host's window, the controls laid out in pixels, texts converted from Windows-1250 to
// UTF-16 and drawn through the wide API, F2 and Esc as the buttons' shortcuts, and a modal
// loop that keeps the owner disabled while it runs.
#include "platform/win32/Win32Dialog.h"

#include <windows.h>

#include <algorithm>
#include <numeric>

#include "platform/Dialog.h"
#include "platform/Exceptions.h"
#include "platform/Translation.h"
#include "platform/win32/Win32Api.h"

namespace {

std::wstring Wide(const AnsiString& text) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(1250, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    return wide;
}

AnsiString Narrow(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    const int got = GetWindowTextW(window, wide.data(), length + 1);
    if (got <= 0) return AnsiString();
    const int n = WideCharToMultiByte(1250, 0, wide.data(), got, nullptr, 0, nullptr, nullptr);
    AnsiString text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(1250, 0, wide.data(), got, text.data(), n, nullptr, nullptr);
    return text;
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
    return module;
}

// One shown dialog: its data, its windows by control position and how it ended.
struct TShown {
    TDialog* dialog = nullptr;
    std::vector<HWND> windows;
    bool done = false;
    int result = mrCancel;
};

TShown* StateOf(HWND window) { return reinterpret_cast<TShown*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

// The user's choices go back into the data, however the dialog ends.
void ReadBack(TShown& shown) {
    for (size_t i = 0; i < shown.windows.size(); ++i) {
        TDialogControl& control = shown.dialog->controls[i];
        HWND window = shown.windows[i];
        if (!window) continue;
        switch (control.kind) {
            case TDialogControlKind::DropDownList:
            case TDialogControlKind::ComboEdit: {
                const LRESULT selected = SendMessageW(window, CB_GETCURSEL, 0, 0);
                control.selected = selected == CB_ERR ? -1 : static_cast<int>(selected);
                if (control.kind == TDialogControlKind::ComboEdit) control.caption = Narrow(window);
                break;
            }
            case TDialogControlKind::CheckBox:
                control.checked = SendMessageW(window, BM_GETCHECK, 0, 0) == BST_CHECKED;
                break;
            default: break;
        }
    }
}

void Finish(TShown& shown, int result) {
    if (shown.done) return;
    ReadBack(shown);
    shown.result = result;
    shown.done = true;
}

// A button pressed by mouse, keyboard or shortcut; only a visible, enabled one acts.
void Press(TShown& shown, size_t index) {
    const TDialogControl& control = shown.dialog->controls[index];
    HWND window = shown.windows[index];
    if (control.kind != TDialogControlKind::Button || control.modalResult == mrNone || !window) return;
    if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return;
    Finish(shown, control.modalResult);
}

bool PressShortcut(TShown& shown, TDialogKey key) {
    for (size_t i = 0; i < shown.windows.size(); ++i)
        if (shown.dialog->controls[i].kind == TDialogControlKind::Button && shown.dialog->controls[i].shortcut == key) {
            Press(shown, i);
            return true;
        }
    return false;
}

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TShown* shown = StateOf(window);
    if (shown) switch (message) {
            case WM_COMMAND: {
                const int id = LOWORD(wParam);
                const size_t index = static_cast<size_t>(id - win32::kFirstControlId);
                if (id == IDCANCEL && lParam == 0) {  // Esc through the dialog manager
                    PressShortcut(*shown, TDialogKey::Escape);
                    return 0;
                }
                if (id >= win32::kFirstControlId && index < shown->windows.size() && HIWORD(wParam) == BN_CLICKED)
                    Press(*shown, index);
                return 0;
            }
            case WM_CLOSE: Finish(*shown, mrCancel); return 0;
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLORBTN:  // labels, boxes and buttons on the dialog's face
                SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
                SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNTEXT));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            default: break;
        }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterDialogClass(HINSTANCE module) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(module, win32::kDialogClass, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DialogProc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = win32::kDialogClass;
    RegisterClassExW(&wc);
}

HWND CreateControl(HWND dialog, HINSTANCE module, HFONT font, const TDialogControl& c, int id) {
    const wchar_t* cls = L"STATIC";
    DWORD style =
        WS_CHILD | (c.visible ? WS_VISIBLE : 0) | (c.enabled ? 0 : WS_DISABLED) | (c.tabOrder >= 0 ? WS_TABSTOP : 0);
    int height = c.height;
    AnsiString text = c.caption;
    switch (c.kind) {
        case TDialogControlKind::Label: style |= SS_NOPREFIX | (c.rightAligned ? SS_RIGHT : SS_LEFT); break;
        case TDialogControlKind::GroupBox:
            cls = L"BUTTON";
            style |= BS_GROUPBOX;
            break;
        case TDialogControlKind::CheckBox:
            cls = L"BUTTON";
            style |= BS_AUTOCHECKBOX;
            break;
        case TDialogControlKind::Button:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON;
            if (!c.shortcutText.empty()) text = c.shortcutText + "  " + c.caption;
            break;
        case TDialogControlKind::DropDownList:
        case TDialogControlKind::ComboEdit: {
            cls = L"COMBOBOX";
            style |= WS_VSCROLL | (c.kind == TDialogControlKind::DropDownList ? CBS_DROPDOWNLIST : CBS_DROPDOWN);
            // The height given to a combo box includes its open list.
            const int rows = std::min<int>(static_cast<int>(c.items.size()), 12);
            height = c.height + std::max(rows, 1) * 16 + 4;
            text.clear();
            break;
        }
    }
    HWND window = CreateWindowExW(0, cls, Wide(text).c_str(), style, c.left, c.top, c.width, height, dialog,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module, nullptr);
    if (!window) return nullptr;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (c.kind == TDialogControlKind::DropDownList || c.kind == TDialogControlKind::ComboEdit) {
        for (const AnsiString& item : c.items)
            SendMessageW(window, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
        SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(c.selected), 0);
        if (c.kind == TDialogControlKind::ComboEdit) SetWindowTextW(window, Wide(c.caption).c_str());
    } else if (c.kind == TDialogControlKind::CheckBox) {
        SendMessageW(window, BM_SETCHECK, c.checked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    return window;
}

// Group boxes first (beneath what they hold), then the rest; the tab stops in tab order,
// since the dialog manager moves through them in the order they were made.
std::vector<size_t> CreationOrder(const TDialog& dialog) {
    std::vector<size_t> order(dialog.controls.size());
    std::iota(order.begin(), order.end(), size_t{0});
    auto rank = [&](size_t i) {
        const TDialogControl& c = dialog.controls[i];
        if (c.kind == TDialogControlKind::GroupBox) return 0;
        return c.tabOrder < 0 ? 1 : 2;
    };
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return rank(a) == 2 && dialog.controls[a].tabOrder < dialog.controls[b].tabOrder;
    });
    return order;
}

TDialogKey KeyOf(WPARAM key) {
    if (key == VK_F2) return TDialogKey::F2;
    if (key == VK_ESCAPE) return TDialogKey::Escape;
    return TDialogKey::None;
}

class TWin32DialogPresenter : public TDialogPresenter {
public:
    int ShowModal(TDialog& dialog) override {
        HINSTANCE module = ThisModule();
        RegisterDialogClass(module);
        HWND owner = static_cast<HWND>(dialog.owner);
        if (owner && !IsWindow(owner)) owner = nullptr;

        const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
        const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
        RECT frame{0, 0, dialog.clientWidth, dialog.clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        RECT desktop{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &desktop, 0);
        const int left = desktop.left + (desktop.right - desktop.left - width) / 2;
        const int top = desktop.top + (desktop.bottom - desktop.top - height) / 2;

        TShown shown;
        shown.dialog = &dialog;
        HWND window = CreateWindowExW(exStyle, win32::kDialogClass, Wide(dialog.caption).c_str(), style, left, top,
                                      width, height, owner, nullptr, module, &shown);
        if (!window)
            throw Exception(Ansi(u8"Nie można wyświetlić okna \"") + dialog.caption +
                            "\": " + win32::Reason(GetLastError()));

        HDC screen = GetDC(nullptr);
        const int pixelsPerInch = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        HFONT font =
            CreateFontW(-MulDiv(dialog.fontPoints, pixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                        dialog.eastEuropean ? EASTEUROPE_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, Wide(dialog.fontName).c_str());
        SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

        shown.windows.assign(dialog.controls.size(), nullptr);
        HWND first = nullptr;
        int firstTab = 0;
        for (size_t i : CreationOrder(dialog)) {
            const TDialogControl& c = dialog.controls[i];
            HWND control = CreateControl(window, module, font, c, win32::kFirstControlId + static_cast<int>(i));
            shown.windows[i] = control;
            if (control && c.tabOrder >= 0 && c.visible && c.enabled && (!first || c.tabOrder < firstTab)) {
                first = control;
                firstTab = c.tabOrder;
            }
        }

        // Modal: the owner takes no input until the dialog is closed.
        const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
        if (ownerWasEnabled) EnableWindow(owner, FALSE);
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        SetFocus(first ? first : window);

        MSG message;
        while (!shown.done) {
            const BOOL got = GetMessageW(&message, nullptr, 0, 0);
            if (got == 0) {  // the application is quitting: pass it on and close
                PostQuitMessage(static_cast<int>(message.wParam));
                Finish(shown, mrCancel);
                break;
            }
            if (got < 0) {
                Finish(shown, mrCancel);
                break;
            }
            if (message.message == WM_KEYDOWN && (message.hwnd == window || IsChild(window, message.hwnd))) {
                const TDialogKey key = KeyOf(message.wParam);
                // Esc in an open list closes the list, not the dialog.
                const bool listOpen = SendMessageW(message.hwnd, CB_GETDROPPEDSTATE, 0, 0) != 0;
                if (key != TDialogKey::None && !listOpen && PressShortcut(shown, key)) continue;
            }
            if (IsDialogMessageW(window, &message)) continue;
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }

        // The owner is enabled before the dialog goes, so that it becomes the active window.
        if (ownerWasEnabled) EnableWindow(owner, TRUE);
        DestroyWindow(window);
        DeleteObject(font);
        // The class goes with its last window: the library may be unloaded before the next one.
        UnregisterClassW(win32::kDialogClass, module);
        return shown.result;
    }
};
}  // namespace

TDialogPresenter& SystemDialogPresenter() {
    static TWin32DialogPresenter presenter;
    return presenter;
}
