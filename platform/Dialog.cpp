#include "platform/Dialog.h"

#include "platform/Exceptions.h"

TDialogControl& TDialog::Control(const AnsiString& name) {
    for (TDialogControl& control : controls)
        if (control.name == name) return control;
    throw Exception("The dialog has no control " + name);
}

const TDialogControl& TDialog::Control(const AnsiString& name) const {
    return const_cast<TDialog*>(this)->Control(name);
}

int TDialog::Press(const AnsiString& name) const {
    const TDialogControl& button = Control(name);
    return button.visible && button.enabled ? button.modalResult : mrNone;
}

int TDialog::PressKey(TDialogKey key) const {
    for (const TDialogControl& control : controls)
        if (control.kind == TDialogControlKind::Button && control.shortcut == key && key != TDialogKey::None &&
            control.visible && control.enabled)
            return control.modalResult;
    return mrNone;
}

namespace {
TDialogPresenter* gPresenter = nullptr;
}

TDialogPresenter& DialogPresenter() { return gPresenter ? *gPresenter : SystemDialogPresenter(); }
void SetDialogPresenter(TDialogPresenter* presenter) { gPresenter = presenter; }
