// No window system is promised on POSIX: a dialog is answered at once, as a user who keeps
// what it shows, so that a host without a screen is never held.
#include "platform/Dialog.h"

namespace {
class TPosixDialogPresenter : public TDialogPresenter {
public:
    int ShowModal(TDialog& dialog) override { return dialog.answerWithoutScreen; }
};
}  // namespace

TDialogPresenter& SystemDialogPresenter() {
    static TPosixDialogPresenter presenter;
    return presenter;
}
