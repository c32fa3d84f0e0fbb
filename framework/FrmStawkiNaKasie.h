#pragma once
// The form "Stawki VAT na kasie": one row per register slot, each a list of the host's
// rates, to view or edit the VAT rate assignment. The form keeps its components as dialog
// data; the platform's presenter only shows them.
#include "framework/StawkiKolejne.h"
#include "platform/Dialog.h"
#include "platform/IntegerSet.h"

class TMLgExtTools;

class TFrmStawkiNaKasie {
public:
    // owner: the host's window (or null); precise: rates in hundredths of a percent.
    TFrmStawkiNaKasie(void* owner, bool precise, TMLgExtTools* lgLink);

    // Every row lists "<pusta>" and then the given rates in their order; item 0 is selected.
    void SetStawkiMarket(const TMacSetOfIntegers& rates);
    // Selects in each row the item showing that slot's rate ("<pusta>" when none does); the
    // lists and OK are enabled exactly when editable.
    void SetStawkiUrzadzenia(const TQxStawkiKolejne& assignment, bool editable);
    // The rows as chosen: a row on "<pusta>" or on nothing gives an empty slot.
    void GetStawkiUrzadzenia(TQxStawkiKolejne& assignment) const;
    // Rows from n on are hidden.
    void SetIloscStawek(int n);
    // Labels the rows: from a number n up ("1:" ... "10:"), or from a letter on ("A:" ... "J:").
    void SetNazwaStawki(const AnsiString& name);
    // The eleventh row: a read-only rate under its own label, shown on the tenth row's place.
    void StawkaSpecjalna(const AnsiString& name, int value);
    void SetSpecjalnaWidoczna(bool shown);
    bool GetSpecjalnaWidoczna() const { return FSpecjalnaWidoczna; }

    AnsiString ToDispFormat(int rate) const;
    int FromDispFormat(const AnsiString& text) const;

    // Shows the form modally; answers the modal result (1 OK, 2 Anuluj).
    int ShowModal();
    // The components as they are now.
    const TDialog& Dialog() const { return FDialog; }

private:
    TDialogControl& Row(const char* kind, int i);
    const TDialogControl& Row(const char* kind, int i) const;

    TMLgExtTools* FLgLink;
    bool FPrecise;
    bool FSpecjalnaWidoczna = false;
    AnsiString FSpecjalnaNazwa;
    int FSpecjalnaWartosc = -1;
    TDialog FDialog;
};
