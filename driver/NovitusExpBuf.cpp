#include "driver/NovitusExpBuf.h"

#include "driver/NovitusAction.h"

TQxNovitusECRExpBuf::TQxNovitusECRExpBuf(TQxNovitusECRAction& action) : QxExpBuf(&action), FAction(action) {}

void TQxNovitusECRExpBuf::DodInfo2TowRec(const AnsiString& dodinfo, QxTowRec* rec) {
    rec->plu_rec = dodinfo;
    rec->add_rec = true;
}

void TQxNovitusECRExpBuf::ModifyPLUStatus(QxTowRec& host, QxTowRec& ecr) {
    QxExpBuf::ModifyPLUStatus(host, ecr);
    const bool same = ecr.opakowanie
                          ? host.nazwa == ecr.nazwa
                          : host.nazwa == ecr.nazwa && host.plu == ecr.plu && host.stawkaPrec == ecr.stawkaPrec;
    if (!same) return;
    if (host.CenaAkt(FAction.cfgPoziomCen) == ecr.cena) {
        host.status = stNull;  // nothing to send; counts as delivered
        host.tr_ok = true;
    } else {
        host.status = stCen;
    }
}
