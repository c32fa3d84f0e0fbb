#pragma once
// The register's sales records as it sends them (the data of one packet), for tests.
#include "platform/Strings.h"

// Records as the register sends them (the data of one packet).
inline AnsiString Sale(int kind, const char* code, int decimals, long long raw, long long price, long long value) {
    return Format("Dk%d%18s %d%010lld%010lld%010lld", kind, code, decimals, raw, price, value);
}
inline AnsiString Close(int receipt, int printout, const char* when, long long cheque = 0, long long card = 0,
                        long long other5 = 0) {
    return Format("Dk#004000%010d%010d%s1010", receipt, printout, when) +
           Format("%020d%010lld%010lld%010d%010d%010lld%030d", 0, cheque, card, 0, 0, other5, 0);
}
inline AnsiString Counter(const char* code, long long value, long long quantity) {
    return Format("DU%18s%18s%020lld%020lld%015d", code, "", value, quantity, 0);
}
// A cashiers' report record with its cash state.
inline AnsiString Cashier(long long cash) {
    AnsiString record = "Dn#0001 " + Format("%020lld", cash);
    record.resize(470, '0');
    return record;
}
