#include "host/DriverHost.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/Exceptions.h"

namespace {
void Fill(char* out, size_t size, const AnsiString& text) {
    if (!out || size == 0) return;
    const size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

AnsiString Str(const char* text) { return text ? AnsiString(text) : AnsiString(); }
}  // namespace

// The C functions the driver calls; arg1 is the host object.
struct THostCallbacks {
    // Every callback reaches the host through here, so a slow host is slow here.
    static TDriverHost& H(void* arg1) {
        TDriverHost& h = *static_cast<TDriverHost*>(arg1);
        Dawdle(h);
        return h;
    }
    static void Dawdle(const TDriverHost& h) {
        if (h.slowHostMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(h.slowHostMs));
    }

    static int CzyPrzerwac(void* arg1, void* arg2) {
        TDriverHost& h = H(arg1);
        h.Record(5, arg2, {});
        ++h.abortPolls;
        if (h.abortAfterPolls >= 0 && h.abortPolls > h.abortAfterPolls) h.abortRequested = true;
        return h.abortRequested ? 1 : 0;
    }
    static int WartoscParametru(void* arg1, void* arg2, const char* name, char* value) {
        TDriverHost& h = H(arg1);
        h.Record(6, arg2, {Str(name)});
        auto it = h.params.find(Str(name));
        Fill(value, 301, it == h.params.end() ? AnsiString() : it->second);
        return it != h.params.end();
    }
    static int DaneUrzadzenia(void* arg1, void* arg2, int* id, int* number, char* name, char* station, char* dir) {
        TDriverHost& h = H(arg1);
        h.Record(11, arg2, {});
        if (id) *id = h.deviceId;
        if (number) *number = h.deviceNumber;
        Fill(name, 301, h.deviceName);
        Fill(station, 301, h.stationName);
        Fill(dir, 261, h.exchangeDirectory);
        return 1;
    }
    static int DodajKomunikat(void* arg1, void* arg2, int kind, const char* text) {
        TDriverHost& h = H(arg1);
        h.Record(12, arg2, {IntToStr(kind), Str(text)});
        h.messages.push_back({kind, Str(text)});
        if (h.onMessage) h.onMessage(h.messages.back(), false);
        return 1;
    }
    static int ZmienOstatniKomunikat(void* arg1, void* arg2, int kind, const char* text) {
        TDriverHost& h = H(arg1);
        h.Record(13, arg2, {IntToStr(kind), Str(text)});
        if (h.messages.empty()) h.messages.push_back({});
        h.messages.back() = {kind, Str(text)};
        if (h.onMessage) h.onMessage(h.messages.back(), true);
        return 1;
    }
    static int FormatWazony(void* arg1, void* arg2, int index, char* format) {
        TDriverHost& h = H(arg1);
        h.Record(14, arg2, {IntToStr(index)});
        if (index < 0 || index >= static_cast<int>(h.weightedFormats.size())) return 0;
        Fill(format, 301, h.weightedFormats[static_cast<size_t>(index)]);
        return 1;
    }
    static int StawkaVAT(void* arg1, void* arg2, int index, int* rate) {
        TDriverHost& h = H(arg1);
        h.Record(15, arg2, {IntToStr(index)});
        if (index < 0 || index >= static_cast<int>(h.vatRates.size())) return 0;
        *rate = h.vatRates[static_cast<size_t>(index)];
        return 1;
    }
    static int StawkaVATPrec(void* arg1, void* arg2, int index, int* rate) {
        TDriverHost& h = H(arg1);
        h.Record(32, arg2, {IntToStr(index)});
        if (index < 0 || index >= static_cast<int>(h.vatRatesPrec.size())) return 0;
        *rate = h.vatRatesPrec[static_cast<size_t>(index)];
        return 1;
    }
    static int Store(TDriverHost& h, void* arg2, int number) {
        h.Record(number, arg2, {});
        if (h.onStore) return h.onStore(number) ? 1 : 0;
        return h.storeResults ? 1 : 0;
    }
    static int ZapiszWynikEksportu(void* arg1, void* arg2) { return Store(H(arg1), arg2, 16); }
    static int ZapiszImport(void* arg1, void* arg2) { return Store(H(arg1), arg2, 17); }
    static int ZapiszParagon(void* arg1, void* arg2) { return Store(H(arg1), arg2, 18); }
    static int OdczytajTowar(void* arg1, void* arg2, char* record, const char* code) {
        TDriverHost& h = H(arg1);
        h.Record(19, arg2, {Str(code)});
        auto it = h.goods.find(Str(code));
        if (it == h.goods.end()) return 0;
        Fill(record, 2049, it->second);
        return 1;
    }
    static int OdswiezParametry(void* arg1, void* arg2) {
        H(arg1).Record(20, arg2, {});
        return 1;
    }
    static int ZmienParametr(void* arg1, void* arg2, const char* name, const char* value) {
        TDriverHost& h = H(arg1);
        h.Record(21, arg2, {Str(name), Str(value)});
        if (!h.acceptParamWrites) return 0;
        h.params[Str(name)] = Str(value);
        return 1;
    }
    static int ZajmijZasob(void* arg1, void* arg2, const char* resource) {
        TDriverHost& h = H(arg1);
        h.Record(22, arg2, {Str(resource)});
        return h.grantResource ? 1 : 0;
    }
    static int ZwolnijZasob(void* arg1, void* arg2, const char* resource) {
        H(arg1).Record(23, arg2, {Str(resource)});
        return 1;
    }
    static int KasujFlageAlarmu(void* arg1, void* arg2) {
        H(arg1).Record(24, arg2, {});
        return 1;
    }
    static int WstrzymajOperacje(void* arg1, void* arg2, const char* text, int value) {
        H(arg1).Record(25, arg2, {Str(text), IntToStr(value)});
        return 0;
    }
    static int ZapiszStanLicznika(void* arg1, void* arg2, int* values, int count) {
        std::vector<AnsiString> args;
        for (int i = 0; values && i < count; ++i) args.push_back(IntToStr(values[i]));
        H(arg1).Record(28, arg2, args);
        return 1;
    }
    static int ZapiszStanICzasLicznika(void* arg1, void* arg2, int* values, int count, const char* time) {
        std::vector<AnsiString> args;
        for (int i = 0; values && i < count; ++i) args.push_back(IntToStr(values[i]));
        args.push_back(Str(time));
        H(arg1).Record(31, arg2, args);
        return 1;
    }
    static int DodajTowarZKasy(void* arg1, void* arg2, char* name, int goodsNumber, char* code, int overwrite,
                               char* groupName, char* unitName, int vatRate, double p1, double p2, double p3, double p4,
                               int openPrice, int package, char* packageCode) {
        TDriverHost& h = H(arg1);
        THostGoods g;
        g.name = Str(name);
        g.goodsNumber = goodsNumber;
        g.code = Str(code);
        g.overwrite = overwrite;
        g.groupName = Str(groupName);
        g.unitName = Str(unitName);
        g.vatRate = vatRate;
        g.prices[0] = p1;
        g.prices[1] = p2;
        g.prices[2] = p3;
        g.prices[3] = p4;
        g.openPrice = openPrice;
        g.package = package;
        g.packageCode = Str(packageCode);
        h.addedGoods.push_back(g);
        h.Record(33, arg2, {g.name, IntToStr(goodsNumber), g.code});
        return h.onAddGoods ? h.onAddGoods(g) : h.addGoodsResult;
    }
};

namespace {
// The text lookup has no host argument: it reaches the host registered last.
TDriverHost* gLookupHost = nullptr;

int Lookup(char* out, int size, const char* context, const char* key) {
    if (!gLookupHost || !out || size <= 0) return 0;
    THostCallbacks::Dawdle(*gLookupHost);
    gLookupHost->calls.push_back({34, {Str(context), Str(key)}, nullptr});
    auto it = gLookupHost->translations.find(Str(context) + "|" + Str(key));
    if (it == gLookupHost->translations.end()) {
        out[0] = '\0';
        return 0;
    }
    Fill(out, static_cast<size_t>(size), it->second);
    return 1;
}

// Every function passes through the interface's type for its number: one whose arguments
// differ from what the driver calls it with does not compile.
template <typename F>
void* Offer(F function) {
    return reinterpret_cast<void*>(function);
}

void* Callback(int number) {
    using C = THostCallbacks;
    switch (number) {
        case 5: return Offer<QVRDLLCBCzyPrzerwac>(&C::CzyPrzerwac);
        case 6: return Offer<QVRDLLCBWartoscParametru>(&C::WartoscParametru);
        case 11: return Offer<QVRDLLCBDaneUrzadzenia>(&C::DaneUrzadzenia);
        case 12: return Offer<QVRDLLCBDodajKomunikat>(&C::DodajKomunikat);
        case 13: return Offer<QVRDLLCBZmienOstatniKomunikat>(&C::ZmienOstatniKomunikat);
        case 14: return Offer<QVRDLLCBFormatWazony>(&C::FormatWazony);
        case 15: return Offer<QVRDLLCBStawkaVAT>(&C::StawkaVAT);
        case 16: return Offer<QVRDLLCBZapiszWynikEksportu>(&C::ZapiszWynikEksportu);
        case 17: return Offer<QVRDLLCBZapiszImport>(&C::ZapiszImport);
        case 18: return Offer<QVRDLLCBZapiszParagon>(&C::ZapiszParagon);
        case 19: return Offer<QVRDLLCBOdczytajTowar>(&C::OdczytajTowar);
        case 20: return Offer<QVRDLLCBOdswiezParametry>(&C::OdswiezParametry);
        case 21: return Offer<QVRDLLCBZmienParametr>(&C::ZmienParametr);
        case 22: return Offer<QVRDLLCBZajmijZasobSterownika>(&C::ZajmijZasob);
        case 23: return Offer<QVRDLLCBZwolnijZasobSterownika>(&C::ZwolnijZasob);
        case 24: return Offer<QVRDLLCBKasujFlageAlarmu>(&C::KasujFlageAlarmu);
        case 25: return Offer<QVRDLLCBWstrzymajOperacje>(&C::WstrzymajOperacje);
        case 28: return Offer<QVRDLLCBZapiszStanLicznika>(&C::ZapiszStanLicznika);
        case 31: return Offer<QVRDLLCBZapiszStanICzasLicznika>(&C::ZapiszStanICzasLicznika);
        case 32: return Offer<QVRDLLCBStawkaVATPrec>(&C::StawkaVATPrec);
        case 33: return Offer<QVRDLLCBDodajTowarZKasy>(&C::DodajTowarZKasy);
        case 34: return Offer<QVRDLLCBTekst>(&Lookup);
        default: return nullptr;
    }
}
}  // namespace

const std::set<int>& TDriverHost::AllCallbacks() {
    static const std::set<int> all = {5,  6,  11, 12, 13, 14, 15, 16, 17, 18, 19,
                                      20, 21, 22, 23, 24, 25, 28, 31, 32, 33, 34};
    return all;
}

TDriverHost::TDriverHost(const AnsiString& libraryPath) {
    FLibrary.Load(libraryPath);
    api.Resolve(FLibrary);
}

TDriverHost::~TDriverHost() {
    Release();
    if (gLookupHost == this) gLookupHost = nullptr;
}

void TDriverHost::Register(const std::set<int>& callbacks, int language) {
    library = api.RejestrujBiblioteke(this, nullptr, nullptr, window);
    api.UstawJezykKomponentow(language);
    for (int number : callbacks) {
        if (number == 34) gLookupHost = this;
        api.RejestrujCallback(library, Callback(number), number);
    }
}

void TDriverHost::Release() {
    if (library) api.ZwolnijBiblioteke(library);
    library = nullptr;
}

void TDriverHost::Record(int number, void* arg2Received, std::vector<AnsiString> args) {
    calls.push_back({number, std::move(args), arg2Received});
}

TDriverHost::TOperationResult TDriverHost::Operation(int code, int parameter, void** session,
                                                     const AnsiString& sessionName) {
    std::vector<char> buffer(301, '\0');
    Fill(buffer.data(), buffer.size(), sessionName);
    TOperationResult r;
    r.result = api.SerKasOperacja(library, arg2, session, buffer.data(), code, parameter);
    r.sessionName = AnsiString(buffer.data(), strnlen(buffer.data(), buffer.size()));
    return r;
}

AnsiString TDriverHost::DeviceProperty(int property) {
    std::vector<char> out(301, '\x7f');
    api.WlasciwosciUrzadzenia(library, arg2, out.data(), property);
    return AnsiString(out.data(), strnlen(out.data(), out.size()));
}

AnsiString TDriverHost::SharedResourceName() {
    std::vector<char> out(301, '\x7f');
    api.SerKasNazwaZasobuDzielonego(library, arg2, out.data());
    return AnsiString(out.data(), strnlen(out.data(), out.size()));
}

bool TDriverHost::ShowWindow(int window, int* code, AnsiString* name) {
    std::vector<char> out(1024, '\0');
    const int result = api.SerKasPokazOkno(library, arg2, window, 0, code, out.data());
    if (name) *name = AnsiString(out.data());
    return result != 0;
}

int TDriverHost::CountCalls(int number) const {
    int n = 0;
    for (const THostCall& c : calls) n += c.number == number;
    return n;
}

const THostCall* TDriverHost::LastCall(int number) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it)
        if (it->number == number) return &*it;
    return nullptr;
}
