#include "driver/FrmImport.h"

#include "driver/NovitusTexts.h"
#include "framework/ActionBase.h"

namespace {
const char* const kOverwrite = "NovitusECRImportOverWrite";
const char* const kLogSave = "NovitusECRImportLogSave";

TDialogControl Make(TDialogControlKind kind, const AnsiString& name, int left, int top, int width, int height,
                    const AnsiString& caption, int tabOrder) {
    TDialogControl c;
    c.kind = kind;
    c.name = name;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.caption = caption;
    c.tabOrder = tabOrder;
    return c;
}

const char* Flag(bool set) { return set ? "TRUE" : "FALSE"; }
}  // namespace

Tfrm_import::Tfrm_import(void* owner, TMLgExtTools* translation) : LgLink(translation) {
    auto tr = [this](const char* piece, const char* defaultUtf8) {
        return Tr(LgLink, kCtxImportDialog, "Tfrm_import", "Tfrm_import", piece, defaultUtf8);
    };
    FDialog.owner = owner;
    FDialog.caption = tr("Caption", u8"Import towarów z kasy");
    FDialog.clientWidth = 326;
    FDialog.clientHeight = 71;
    // Without anyone to ask, the choices are confirmed as the host holds them.
    FDialog.answerWithoutScreen = mrOk;
    auto& c = FDialog.controls;
    c.push_back(Make(TDialogControlKind::CheckBox, "OverwriteCheckBox", 8, 6, 310, 17,
                     tr("Overwrit", u8"Nadpisywać towary o takim samym kodzie"), 0));
    TDialogControl log = Make(TDialogControlKind::CheckBox, "LogFileCheckBox", 8, 24, 310, 17,
                              tr("LogFile", u8"Tworzyć plik logu - 'import.log'"), 1);
    log.checked = true;
    c.push_back(log);
    // The button bar MStatusButtonBar1 along the bottom edge.
    TDialogControl next = Make(TDialogControlKind::Button, "MStatusButtonBar1.Kontynuuj", 2, 46, 160, 23,
                               tr("Kontynuu", u8"Kontynuuj"), 2);
    next.modalResult = mrOk;
    next.shortcut = TDialogKey::F2;
    next.shortcutText = "F2";
    c.push_back(next);
    TDialogControl back = Make(TDialogControlKind::Button, "MStatusButtonBar1.Rezygnuj", 164, 46, 160, 23,
                               tr("Rezygnuj", u8"Rezygnuj"), 3);
    back.modalResult = mrCancel;
    back.shortcut = TDialogKey::Escape;
    back.shortcutText = tr("Esc", u8"Esc");
    c.push_back(back);
}

int Tfrm_import::Show(TQxActionBase& action) {
    ksaction = &action;
    FDialog.Control("OverwriteCheckBox").checked = Trim(action.WartoscParametru(kOverwrite)) == "TRUE";
    FDialog.Control("LogFileCheckBox").checked = Trim(action.WartoscParametru(kLogSave)) == "TRUE";
    const int result = DialogPresenter().ShowModal(FDialog);
    if (result == mrOk) Kontynuuj();
    return result;
}

void Tfrm_import::Kontynuuj() {
    ksaction->ZmienParametr(kOverwrite, Flag(FDialog.Control("OverwriteCheckBox").checked));
    ksaction->ZmienParametr(kLogSave, Flag(FDialog.Control("LogFileCheckBox").checked));
}
