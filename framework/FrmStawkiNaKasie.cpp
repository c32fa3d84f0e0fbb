#include "framework/FrmStawkiNaKasie.h"

#include <cmath>

#include "platform/NumberTools.h"
#include "platform/Translation.h"

namespace {
const char* const kCtx = "brevant_fstavat";
const char* const kCls = "TFrmStawkiNaKasie";

// The rows lie in the group box; their places are given relative to it.
const int kBoxLeft = 8, kBoxTop = 0;
const int kLabelTops[] = {20, 40, 60, 80, 100, 119, 139, 159, 179, 199};
const int kComboTops[] = {16, 35, 55, 75, 95, 115, 135, 155, 175, 195};

TDialogControl Make(TDialogControlKind kind, const AnsiString& name, int left, int top, int width, int height,
                    const AnsiString& caption) {
    TDialogControl c;
    c.kind = kind;
    c.name = name;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.caption = caption;
    return c;
}

TDialogControl RowLabel(const AnsiString& name, int top, const AnsiString& caption) {
    TDialogControl label = Make(TDialogControlKind::Label, name, kBoxLeft + 7, kBoxTop + top, 22, 14, caption);
    label.rightAligned = true;
    return label;
}

TDialogControl RowList(TDialogControlKind kind, const AnsiString& name, int top, int tabOrder) {
    TDialogControl list = Make(kind, name, kBoxLeft + 32, kBoxTop + top, 105, 21, "");
    list.tabOrder = tabOrder;
    return list;
}
}  // namespace

TFrmStawkiNaKasie::TFrmStawkiNaKasie(void* owner, bool precise, TMLgExtTools* lgLink)
    : FLgLink(lgLink), FPrecise(precise) {
    FDialog.owner = owner;
    FDialog.caption = TMLgExtTools::GetString(lgLink, kCtx, "Caption", 0, u8"Stawki VAT na kasie");
    FDialog.clientWidth = 248;
    FDialog.clientHeight = 229;
    // Without anyone to ask, the stored assignment stays as it is.
    FDialog.answerWithoutScreen = mrCancel;
    auto& c = FDialog.controls;
    c.push_back(Make(TDialogControlKind::GroupBox, "GroupBox1", kBoxLeft, kBoxTop, 145, 225, ""));
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        c.push_back(RowLabel("Label" + IntToStr(i + 1), kLabelTops[i], IntToStr(i + 1) + ":"));
        c.push_back(RowList(TDialogControlKind::DropDownList, "ComboBox" + IntToStr(i + 1), kComboTops[i], i));
    }
    TDialogControl label = RowLabel("LabelSpec", kLabelTops[9], "11:");
    label.visible = false;
    c.push_back(label);
    TDialogControl spare = RowList(TDialogControlKind::ComboEdit, "CBSpec", kComboTops[9], 12);
    spare.visible = false;
    c.push_back(spare);
    TDialogControl ok = Make(TDialogControlKind::Button, "btn_ok", 160, 152, 81, 33,
                             TMLgExtTools::GetString(lgLink, kCtx, "btn_okCaption", 0, u8"OK"));
    ok.modalResult = mrOk;
    ok.tabOrder = 10;
    c.push_back(ok);
    TDialogControl cancel = Make(TDialogControlKind::Button, "btn_cancel", 160, 192, 81, 33,
                                 TMLgExtTools::GetString(lgLink, kCtx, "btn_cancCaption", 0, u8"Anuluj"));
    cancel.modalResult = mrCancel;
    cancel.shortcut = TDialogKey::Escape;
    cancel.tabOrder = 11;
    c.push_back(cancel);
}

TDialogControl& TFrmStawkiNaKasie::Row(const char* kind, int i) { return FDialog.Control(kind + IntToStr(i + 1)); }

const TDialogControl& TFrmStawkiNaKasie::Row(const char* kind, int i) const {
    return FDialog.Control(kind + IntToStr(i + 1));
}

void TFrmStawkiNaKasie::SetStawkiMarket(const TMacSetOfIntegers& rates) {
    std::vector<AnsiString> items{ToDispFormat(TQxStawkiKolejne::kPusta)};
    for (int i = 0; i < rates.GetCount(); ++i) items.push_back(ToDispFormat(rates.GetValues(i)));
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        TDialogControl& list = Row("ComboBox", i);
        list.items = items;
        list.selected = 0;
    }
}

void TFrmStawkiNaKasie::SetStawkiUrzadzenia(const TQxStawkiKolejne& assignment, bool editable) {
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        TDialogControl& list = Row("ComboBox", i);
        const AnsiString shown = ToDispFormat(assignment.GetWartosci(i));
        list.selected = 0;
        for (size_t k = 0; k < list.items.size(); ++k)
            if (Trim(list.items[k]) == shown) {
                list.selected = static_cast<int>(k);
                break;
            }
        list.enabled = editable;
    }
    FDialog.Control("btn_ok").enabled = editable;
}

void TFrmStawkiNaKasie::GetStawkiUrzadzenia(TQxStawkiKolejne& assignment) const {
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        const TDialogControl& list = Row("ComboBox", i);
        const bool chosen = list.selected > 0 && list.selected < static_cast<int>(list.items.size());
        assignment.SetWartosci(
            i, chosen ? FromDispFormat(list.items[static_cast<size_t>(list.selected)]) : TQxStawkiKolejne::kPusta);
    }
}

void TFrmStawkiNaKasie::SetIloscStawek(int n) {
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        Row("Label", i).visible = i < n;
        Row("ComboBox", i).visible = i < n;
    }
}

void TFrmStawkiNaKasie::SetNazwaStawki(const AnsiString& name) {
    int first = 0;
    const bool number = TryStrToInt(Trim(name), first) && first >= 0;
    for (int i = 0; i < TQxStawkiKolejne::kSlots; ++i) {
        AnsiString label;
        if (number)
            label = IntToStr(static_cast<long long>(first) + i);
        else if (!name.empty())
            label = AnsiString(1, static_cast<char>(static_cast<unsigned char>(name[0]) + i));
        else
            label = IntToStr(i + 1);  // nothing to count from: the designed labels
        Row("Label", i).caption = label + ":";
    }
}

void TFrmStawkiNaKasie::StawkaSpecjalna(const AnsiString& name, int value) {
    FSpecjalnaNazwa = name;
    FSpecjalnaWartosc = value;
}

void TFrmStawkiNaKasie::SetSpecjalnaWidoczna(bool shown) {
    if (shown == FSpecjalnaWidoczna) return;
    FSpecjalnaWidoczna = shown;
    TDialogControl& label = FDialog.Control("LabelSpec");
    TDialogControl& list = FDialog.Control("CBSpec");
    if (shown) {
        list.caption = ToDispFormat(FSpecjalnaWartosc);
        list.enabled = false;
        label.caption = FSpecjalnaNazwa;
    }
    list.visible = shown;
    label.visible = shown;
}

AnsiString TFrmStawkiNaKasie::ToDispFormat(int rate) const {
    if (rate < -1) return Tr(FLgLink, kCtx, kCls, "ToDispFormat", "pusta", u8"<pusta>");
    if (rate == -1) return "zw";
    if (FPrecise) return TxfTools(static_cast<long double>(rate) / 100).ToString(2, 2);
    return IntToStr(rate > 100 ? 100 : rate);
}

int TFrmStawkiNaKasie::FromDispFormat(const AnsiString& text) const {
    const AnsiString trimmed = Trim(text);
    if (LowerCase(trimmed) == "zw") return -1;
    TxfTools number;
    if (!number.FromString(trimmed, 10, true)) return TQxStawkiKolejne::kPusta;
    const long double value = RoundHalfAway(FPrecise ? number.Round(2).Value() * 100 : number.Value());
    // A number beyond what a slot can hold is no rate.
    if (value < -1 || value > 2147483647.0L) return TQxStawkiKolejne::kPusta;
    return static_cast<int>(value);
}

int TFrmStawkiNaKasie::ShowModal() { return DialogPresenter().ShowModal(FDialog); }
