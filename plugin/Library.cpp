#include "plugin/Library.h"

#include <cstring>
#include <type_traits>

#include "driver/NovitusTexts.h"
#include "platform/Exceptions.h"

// The translation service calls the host's text lookup (callback 34) by its own type.
static_assert(std::is_same_v<TLookupFunction, QVRDLLCBTekst>, "the text lookup differs from the interface's");

namespace {
const char* const kCls = "TQxLibrary";

// A zeroed host text buffer of size bytes; the last byte is zeroed again after the call.
struct HostBuffer {
    explicit HostBuffer(size_t size) : bytes(size, '\0') {}
    char* data() { return bytes.data(); }
    AnsiString Text() {
        bytes.back() = '\0';
        return AnsiString(bytes.data());
    }
    std::vector<char> bytes;
};

std::vector<char> Mutable(const AnsiString& text) {
    std::vector<char> copy(text.begin(), text.end());
    copy.push_back('\0');
    return copy;
}
}  // namespace

TQxLibrary::TQxLibrary(HQVRCBARG1 arg1) : FArg1(arg1) {}

TQxLibrary::~TQxLibrary() = default;

AnsiString TQxLibrary::StaticWlasciwosci(int index) {
    switch (index) {
        case 1: return NvTxt(kCls, "Wlasciwosci", "1", u8"Novitus ECR (bezpośrednio)");
        case 2: return "Qx_NovitusECR";
        case 3:
            return NvTxt(kCls, "Wlasciwosci", "Testowan", u8"Testowano z:\r\n") +
                   "Novitus PS3000 NET 2.00 OES 1.30SP19\r\n"
                   "Novitus PS4000 E 1.00 OES 1.00SP1\r\n"
                   "Novitus Nano E 2.00 OES 2.00SP4\r\n"
                   "Novitus Lupo 1.01 OES 1.01\r\n"
                   "Novitus Next\r\n" +
                   NvTxt(kCls, "Wlasciwosci", "Sterowni",
                         u8"Sterownik dedykowany do komunikacji z dużą ilością kas systemowych Novitus ECR "
                         u8"równocześnie.\r\n");
        case 102:
        case 103:
        case 104:
        case 105: return "1";
        default: return "";
    }
}

AnsiString TQxLibrary::OpisOkna(int window) {
    switch (window) {
        case 0: return NvTxt(kCls, "OpisOkna", "return", u8"Odczyt towarów do inplu.exp");
        case 1: return NvTxt(kCls, "OpisOkna", "return", u8"Zerowanie obrotów", 1);
        case 2: return NvTxt(kCls, "OpisOkna", "return", u8"Import towarów do programu", 2);
        default: return "";
    }
}

bool TQxLibrary::PokazOkno(TQxActionBase*, int, int, int*, char*) { return false; }

void TQxLibrary::WeryfikujTypSesji(void* session, const AnsiString&) {
    if (session) throw Exception(NvTxt(kCls, "WeryfikujTypSesji", "Exception", u8"Niezgodny typ sesji w sterowniku"));
}

void TQxLibrary::PodtrzymajSesje(void**, AnsiString&, int, bool) {}

void TQxLibrary::RejestrujCallback(void* function, int number) {
    // The slot's type, from the interface header, says how the pointer is called.
    auto keep = [function](auto& slot) { slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(function); };
    switch (number) {
        case 5: keep(FCBCzyPrzerwac); break;
        case 6: keep(FCBWartoscParametru); break;
        case 11: keep(FCBDaneUrzadzenia); break;
        case 12: keep(FCBDodajKomunikat); break;
        case 13: keep(FCBZmienOstatniKomunikat); break;
        case 14: keep(FCBFormatWazony); break;
        case 15: keep(FCBStawkaVAT); break;
        case 16: keep(FCBZapiszWynikEksportu); break;
        case 17: keep(FCBZapiszImport); break;
        case 18: keep(FCBZapiszParagon); break;
        case 19: keep(FCBOdczytajTowar); break;
        case 20: keep(FCBOdswiezParametry); break;
        case 21: keep(FCBZmienParametr); break;
        case 22: keep(FCBZajmijZasobSterownika); break;
        case 23: keep(FCBZwolnijZasobSterownika); break;
        case 24: keep(FCBKasujFlageAlarmu); break;
        case 25: keep(FCBWstrzymajOperacje); break;
        case 28: keep(FCBZapiszStanLicznika); break;
        case 31: keep(FCBZapiszStanICzasLicznika); break;
        case 32: keep(FCBStawkaVATPrec); break;
        case 33: keep(FCBDodajTowarZKasy); break;
        case 34:
            FLgLink = function ? std::make_unique<TMLgExtTools>(reinterpret_cast<QVRDLLCBTekst>(function)) : nullptr;
            break;
        default: break;
    }
}

// ---- callback wrappers --------------------------------------------------------------------

bool TQxLibrary::CzyPrzerwac(void* arg2) { return !FCBCzyPrzerwac || FCBCzyPrzerwac(FArg1, arg2) != 0; }

AnsiString TQxLibrary::WartoscParametru(void* arg2, const AnsiString& name) {
    if (!FCBWartoscParametru) return "";
    HostBuffer value(301);
    FCBWartoscParametru(FArg1, arg2, Trim(name).c_str(), value.data());
    return value.Text();
}

void TQxLibrary::WypelnijDaneUrzadzenia(void* arg2, TDaneUrzadzenia& data) {
    data = TDaneUrzadzenia();
    if (!FCBDaneUrzadzenia) return;
    int id = -1;
    int number = 0;
    HostBuffer name(301), station(301), directory(261);
    FCBDaneUrzadzenia(FArg1, arg2, &id, &number, name.data(), station.data(), directory.data());
    data.id = id;
    data.number = number;
    data.name = name.Text();
    data.station = station.Text();
    data.exchangeDirectory = directory.Text();
}

void TQxLibrary::DodajKomunikat(void* arg2, int kind, const AnsiString& text) {
    if (FCBDodajKomunikat) FCBDodajKomunikat(FArg1, arg2, kind, Trim(text).c_str());
}

void TQxLibrary::ZmienOstatniKomunikat(void* arg2, int kind, const AnsiString& text) {
    if (FCBZmienOstatniKomunikat) FCBZmienOstatniKomunikat(FArg1, arg2, kind, Trim(text).c_str());
}

void TQxLibrary::WypelnijFormatyWazone(void* arg2, std::vector<AnsiString>& formats) {
    if (!FCBFormatWazony) return;
    // The host answers false after its last format; the bound only guards against a host
    // that never does.
    for (int index = 0; index < 10000; ++index) {
        HostBuffer format(301);
        if (!FCBFormatWazony(FArg1, arg2, index, format.data())) break;
        const AnsiString text = Trim(format.Text());
        if (text.empty()) break;
        formats.push_back(text);
    }
}

void TQxLibrary::WypelnijStawkiVAT(void* arg2, TMacSetOfIntegers& rates) {
    if (!FCBStawkaVAT) return;
    for (int index = 0; index < 1000; ++index) {
        int rate = 0;
        if (!FCBStawkaVAT(FArg1, arg2, index, &rate)) break;
        rates.Add(rate);
    }
}

void TQxLibrary::WypelnijStawkiVATPrec(void* arg2, TMacSetOfIntegers& rates) {
    if (!FCBStawkaVATPrec) {
        TMacSetOfIntegers plain;
        WypelnijStawkiVAT(arg2, plain);
        for (int i = 0; i < plain.GetCount(); ++i) {
            const int rate = plain.GetValues(i);
            rates.Add(rate > 0 ? rate * 100 : rate);
        }
        return;
    }
    for (int index = 0; index < 1000; ++index) {
        int rate = 0;
        if (!FCBStawkaVATPrec(FArg1, arg2, index, &rate)) break;
        rates.Add(rate);
    }
}

bool TQxLibrary::ZapiszWynikEksportu(void* arg2) {
    return FCBZapiszWynikEksportu && FCBZapiszWynikEksportu(FArg1, arg2) != 0;
}

bool TQxLibrary::ZapiszImport(void* arg2) { return FCBZapiszImport && FCBZapiszImport(FArg1, arg2) != 0; }

bool TQxLibrary::ZapiszParagon(void* arg2) { return FCBZapiszParagon && FCBZapiszParagon(FArg1, arg2) != 0; }

AnsiString TQxLibrary::OdczytajTowar(void* arg2, const AnsiString& code) {
    if (!FCBOdczytajTowar) return "";
    HostBuffer record(2049);
    if (!FCBOdczytajTowar(FArg1, arg2, record.data(), Trim(code).c_str())) return "";
    return record.Text();
}

void TQxLibrary::OdswiezParametry(void* arg2) {
    if (FCBOdswiezParametry) FCBOdswiezParametry(FArg1, arg2);
}

bool TQxLibrary::ZmienParametr(void* arg2, const AnsiString& name, const AnsiString& value) {
    return FCBZmienParametr && FCBZmienParametr(FArg1, arg2, Trim(name).c_str(), Trim(value).c_str()) != 0;
}

bool TQxLibrary::ZajmijZasobSterownika(void* arg2, const AnsiString& resource) {
    if (!FCBZajmijZasobSterownika || !FCBZwolnijZasobSterownika) return false;
    return FCBZajmijZasobSterownika(FArg1, arg2, Trim(resource).c_str()) != 0;
}

void TQxLibrary::ZwolnijZasobSterownika(void* arg2, const AnsiString& resource) {
    if (FCBZwolnijZasobSterownika) FCBZwolnijZasobSterownika(FArg1, arg2, Trim(resource).c_str());
}

void TQxLibrary::KasujFlageAlarmu(void* arg2) {
    if (FCBKasujFlageAlarmu) FCBKasujFlageAlarmu(FArg1, arg2);
}

int TQxLibrary::WstrzymajOperacje(void* arg2, const AnsiString& text, int value) {
    return FCBWstrzymajOperacje ? FCBWstrzymajOperacje(FArg1, arg2, text.c_str(), value) : -1;
}

void TQxLibrary::ZapiszStanLicznika(void* arg2, int* values, int count) {
    if (FCBZapiszStanLicznika) FCBZapiszStanLicznika(FArg1, arg2, values, count);
}

void TQxLibrary::ZapiszStanICzasLicznika(void* arg2, int* values, int count, const AnsiString& time) {
    if (FCBZapiszStanICzasLicznika) FCBZapiszStanICzasLicznika(FArg1, arg2, values, count, time.c_str());
}

int TQxLibrary::DodajTowarZKasy(void* arg2, const AnsiString& name, int goodsNumber, const AnsiString& code,
                                int overwrite, const AnsiString& groupName, const AnsiString& unitName, int vatRate,
                                double price1, double price2, double price3, double price4, int openPrice, int package,
                                const AnsiString& packageCode) {
    if (!FCBDodajTowarZKasy) return -1;
    std::vector<char> n = Mutable(name), c = Mutable(code), g = Mutable(groupName), u = Mutable(unitName),
                      p = Mutable(packageCode);
    return FCBDodajTowarZKasy(FArg1, arg2, n.data(), goodsNumber, c.data(), overwrite, g.data(), u.data(), vatRate,
                              price1, price2, price3, price4, openPrice, package, p.data());
}
