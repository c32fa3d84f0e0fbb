#pragma once
// A modal dialog described as data: the forms of the driver keep their components here, a
// presenter shows them and leaves the user's choices in them. platform/win32 shows real
// windows owned by the host's window; platform/posix, where no window system is promised,
// answers at once; tests install a scripted presenter.
#include <functional>
#include <vector>

#include "platform/Strings.h"

enum class TDialogControlKind { Label, GroupBox, DropDownList, ComboEdit, CheckBox, Button };
enum class TDialogKey { None, F2, Escape };

// Modal results, as the forms use them.
constexpr int mrNone = 0;
constexpr int mrOk = 1;
constexpr int mrCancel = 2;

struct TDialogControl {
    TDialogControlKind kind = TDialogControlKind::Label;
    AnsiString name;                               // the component's name
    int left = 0, top = 0, width = 0, height = 0;  // pixels in the dialog's client area
    AnsiString caption;                            // Windows-1250; the text of an edit combo
    bool rightAligned = false;                     // labels
    std::vector<AnsiString> items;                 // drop-down lists and combos
    int selected = -1;                             // -1: no item selected
    bool checked = false;                          // check boxes
    bool enabled = true;
    bool visible = true;
    int tabOrder = -1;         // position in the tab order; -1: not a tab stop
    int modalResult = mrNone;  // buttons: pressing one closes the dialog with this result
    TDialogKey shortcut = TDialogKey::None;
    AnsiString shortcutText;  // shown with the button's caption
};

struct TDialog {
    void* owner = nullptr;  // the host's window (a window handle on Windows), or null
    AnsiString caption;
    int clientWidth = 0, clientHeight = 0;
    AnsiString fontName = "Arial";
    int fontPoints = 8;
    bool eastEuropean = true;  // the font's character set: Central European
    // What a presenter without a screen answers: the result that keeps what is shown and
    // stored as it is.
    int answerWithoutScreen = mrCancel;
    std::vector<TDialogControl> controls;

    // The control of that name; raises Exception when there is none.
    TDialogControl& Control(const AnsiString& name);
    const TDialogControl& Control(const AnsiString& name) const;
    // The result of pressing a button as a user can: its modal result when it is visible and
    // enabled, mrNone otherwise.
    int Press(const AnsiString& name) const;
    // The result of a key: that of the visible, enabled button it is the shortcut of, or mrNone.
    int PressKey(TDialogKey key) const;
};

class TDialogPresenter {
public:
    virtual ~TDialogPresenter() = default;
    // Shows the dialog modally until a button with a modal result is pressed (that result is
    // answered) or it is closed otherwise (mrCancel). The user's choices are left in the
    // controls: selected, checked, the text of an edit combo.
    virtual int ShowModal(TDialog& dialog) = 0;
};

// The process-wide presenter; SetDialogPresenter(nullptr) restores the system's.
TDialogPresenter& DialogPresenter();
void SetDialogPresenter(TDialogPresenter* presenter);
TDialogPresenter& SystemDialogPresenter();

// For tests: answers with a script the test chooses and keeps a copy of every dialog as it
// was shown.
class TScriptedDialogPresenter : public TDialogPresenter {
public:
    explicit TScriptedDialogPresenter(std::function<int(TDialog&)> script) : FScript(std::move(script)) {}
    int ShowModal(TDialog& dialog) override {
        shown.push_back(dialog);
        return FScript(dialog);
    }
    std::vector<TDialog> shown;

private:
    std::function<int(TDialog&)> FScript;
};
