#pragma once
// Clearing the register's sales totals ("i" from 1) and goods lists ("i" from 6): on its own
// as the extra function "Zerowanie obrotów", and before a goods export when configured.
class TQxNovitusECRAction;

class TTotalsReset {
public:
    explicit TTotalsReset(TQxNovitusECRAction& action) : ksaction(action) {}

    // The stand-alone totals reset: its own connection, no register number check.
    void ResetSaleF7();
    // The resets a goods export runs first, on an open line: totals when "NovitusECRPreclear"
    // is on, sales come from the receipt buffer and the transfer type is 1 or 3; goods lists
    // when the transfer type is 3 (list change).
    void PrecedingResets();

private:
    void ResetTotals();
    TQxNovitusECRAction& ksaction;
};
