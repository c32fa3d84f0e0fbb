#pragma once
// The Novitus driver's goods export buffer: a record of the register's own list carries the
// register record as received, and a host record found on the register changes status by what
// differs (name, goods number, VAT rate, price).
#include "exchange/ExpBuf.h"

class TQxNovitusECRAction;

class TQxNovitusECRExpBuf : public QxExpBuf {
public:
    explicit TQxNovitusECRExpBuf(TQxNovitusECRAction& action);

    void DodInfo2TowRec(const AnsiString& dodinfo, QxTowRec* rec) override;
    void ModifyPLUStatus(QxTowRec& host, QxTowRec& ecr) override;

private:
    TQxNovitusECRAction& FAction;
};
