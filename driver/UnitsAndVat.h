#pragma once
// The preparations of a goods export: the register's unit slots for the host's units of
// measure (the map stored in the host as "NovitusECRUnitMap") and its unit table, the euro
// rate when it differs from the register's, and the register's VAT table.
#include "platform/Strings.h"

class TQxNovitusECRAction;

class TUnitsAndVat {
public:
    explicit TUnitsAndVat(TQxNovitusECRAction& action) : ksaction(action) {}

    // Builds the action's unit map for the units of the export file and stores it in the host.
    void PrepareUnitTable();
    // Programs the register's unit table ("I#01"); units the register refuses are warnings.
    void SendUnitTable();
    // Programs the euro rate when "NovitusECRProgEuro" is on and the register's rate differs;
    // a failure is an error line, the export goes on.
    void SendEuro();
    // Reads the register's VAT table into the action's vatRates.
    void ReadVATRatesFromEcr();
    // The register slot of a host unit (EConvertError when the unit is not in the map); plus 1
    // unless zeroBased: the unit number of a goods record.
    int GetUnitIdOut(int hostUnit, bool zeroBased) const;

private:
    AnsiString Txt(const char* method, const char* piece, const char* defaultUtf8) const;
    TQxNovitusECRAction& ksaction;
};
