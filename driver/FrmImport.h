#pragma once
// The form "Import towarów z kasy" shown before goods are read into the host: whether goods
// with the same code are overwritten and whether "import.log" is written. The form keeps its
// components as dialog data; the platform's presenter only shows them.
#include "platform/Dialog.h"

class TMLgExtTools;
class TQxActionBase;

class Tfrm_import {
public:
    // owner: the host's window (or null).
    Tfrm_import(void* owner, TMLgExtTools* translation);

    // Shows both choices as the host's parameters hold them and answers the modal result:
    // 1 after "Kontynuuj" (F2), which stores both choices, 2 after "Rezygnuj" (Esc).
    int Show(TQxActionBase& action);

    const TDialog& Dialog() const { return FDialog; }

private:
    void Kontynuuj();

    TDialog FDialog;
    TQxActionBase* ksaction = nullptr;
    TMLgExtTools* LgLink;
};
