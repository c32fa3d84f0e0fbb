#include "exchange/ReceiptStore.h"

#include <cstring>

#include "platform/Exceptions.h"

TReceiptStore::THead TReceiptStore::AddHead(QVRParagon& receipt, size_t count, bool moveHead) {
    THead head;
    if (moveHead)
        static_cast<QVRParagonHead&>(head) = std::move(static_cast<QVRParagonHead&>(receipt));
    else
        static_cast<QVRParagonHead&>(head) = receipt;
    head.firstPosition = FPositions.size();
    head.positions = static_cast<uint32_t>(count);
    head.firstPayment = FPayments.size();
    head.payments = static_cast<uint32_t>(receipt.Fpymnt.size());
    for (QVRPayment& from : receipt.Fpymnt) {
        TPayment to;
        to.value = from.Fwartosc;
        to.when = from.Fdata_czas;
        to.kind = from.Fkod;
        to.rate = from.Fkurs;
        to.document = from.FnrDokWplaty;
        to.transfer = from.Ftransfer;
        to.extended = from.Fkod_f_plat_ext;
        to.ratePrecision = from.Fkurs_prec;
        to.valuePln = from.Fwartosc_pln;
        to.form = static_cast<int8_t>(from.Frodzaj);
        to.closing = from.Fkonczaca;
        to.deferred = from.Fterminowa;
        to.texts = kNoTexts;
        if (!from.Ftytul.empty() || !from.Fkod_waluty.empty()) {
            to.texts = static_cast<uint32_t>(FPaymentTexts.size());
            FPaymentTexts.emplace_back(std::move(from.Ftytul), std::move(from.Fkod_waluty));
        }
        FPayments.push_back(std::move(to));
    }
    receipt.Fpymnt.clear();
    return head;
}

void TReceiptStore::AddStaged(QVRParagon& receipt, size_t count, long long from, long long to) {
    THead head = AddHead(receipt, count, true);
    head.stagedFrom = from;
    head.stagedTo = to;
    FHeads.push_back(std::move(head));
}

void TReceiptStore::Add(QVRParagon& receipt) {
    THead head = AddHead(receipt, receipt.Fpos.size(), false);
    for (const QVRPosition& from : receipt.Fpos) {
        TPosition to;
        to.value = from.Fwartosc;
        to.when = from.Fdata_czas;
        to.plu = from.Fplu;
        to.quantity = from.Filosc;
        to.discount = from.Frabat;
        to.receipt = from.FnrParagonu;
        to.type = static_cast<uint8_t>(from.FTyp);
        if (from.Fkod.size() <= TPosition::kShortCode) {
            to.codeLength = static_cast<uint8_t>(from.Fkod.size());
            std::memcpy(to.code, from.Fkod.data(), from.Fkod.size());
        } else {
            to.codeLength = kLongCode;
            to.longCode = static_cast<uint32_t>(FLongCodes.size());
            FLongCodes.push_back(from.Fkod);
        }
        FPositions.push_back(std::move(to));
    }
    receipt.Fpos.clear();
    FHeads.push_back(std::move(head));
}

void TReceiptStore::Get(size_t i, QVRParagon& receipt, TPositionSource* source) const {
    const THead& head = FHeads[i];
    static_cast<QVRParagonHead&>(receipt) = head;
    receipt.Fpymnt.clear();
    for (uint32_t k = 0; k < head.payments; ++k) {
        const TPayment& from = FPayments[head.firstPayment + k];
        QVRPayment& to = receipt.Fpymnt.emplace_back();
        to.Fwartosc = from.value;
        to.Fdata_czas = from.when;
        to.Fkod = from.kind;
        to.Fkurs = from.rate;
        to.FnrDokWplaty = from.document;
        to.Ftransfer = from.transfer;
        to.Fkod_f_plat_ext = from.extended;
        to.Fkurs_prec = from.ratePrecision;
        to.Fwartosc_pln = from.valuePln;
        to.Frodzaj = static_cast<formy>(from.form);
        to.Fkonczaca = from.closing;
        to.Fterminowa = from.deferred;
        if (from.texts != kNoTexts) {
            to.Ftytul = FPaymentTexts[from.texts].first;
            to.Fkod_waluty = FPaymentTexts[from.texts].second;
        }
    }
    if (head.stagedFrom >= 0) {
        if (source == nullptr) throw Exception("TReceiptStore: no source for the positions of a staged receipt");
        source->ReadPositions(head.stagedFrom, head.stagedTo, head.positions, receipt);
        return;
    }
    receipt.Fpos.resize(head.positions);
    for (uint32_t k = 0; k < head.positions; ++k) {
        const TPosition& from = FPositions[head.firstPosition + k];
        QVRPosition& to = receipt.Fpos[k];
        to.Fwartosc = from.value;
        to.Fdata_czas = from.when;
        to.Fplu = from.plu;
        to.Filosc = from.quantity;
        to.Frabat = from.discount;
        to.FnrParagonu = from.receipt;
        to.FTyp = static_cast<position_type>(from.type);
        if (from.codeLength == kLongCode)
            to.Fkod = FLongCodes[from.longCode];
        else
            to.Fkod.assign(from.code, from.codeLength);
    }
}

void TReceiptStore::Clear() {
    FHeads.clear();
    FPositions.clear();
    FPayments.clear();
    FPaymentTexts.clear();
    FLongCodes.clear();
}
