#include "framework/ActionBase.h"

#include <charconv>

#include "framework/FrmStawkiNaKasie.h"
#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {
const char* const kCtxLib = "brevant_QxLib";
const char kValueMark = '\x01';
}  // namespace

TQxActionBase::TQxActionBase(TQxHostLink* library, void* handle) : FLibrary(library), FArg2(handle) {
    if (FLibrary) {
        TDaneUrzadzenia data;
        FLibrary->WypelnijDaneUrzadzenia(FArg2, data);
        FIdUrzadzenia = data.id;
        FNrUrzadzenia = data.number;
        FNazwaUrzadzenia = data.name;
        FNazwaStanowiska = data.station;
        // Working files are named by appending to the folder, so it must end with a
        // separator whatever the host gave; without one "log" would become a sibling folder.
        FKatalogWymiany = IncludeTrailingPathDelimiter(data.exchangeDirectory);
    }
}

TQxActionBase::~TQxActionBase() = default;

TMLgExtTools* TQxActionBase::GetLgLink() { return FLibrary ? FLibrary->GetLgLink() : nullptr; }

AnsiString TQxActionBase::Txt(const char* context, const char* cls, const char* method, const char* piece,
                              const char* defaultUtf8, int duplicate) {
    return Tr(GetLgLink(), context, cls, method, piece, defaultUtf8, duplicate);
}

bool TQxActionBase::JakSzukacParagonu(int*, int*, int*) { return false; }

void TQxActionBase::Operacja(HQVRDLLSRODOWISKO*, int, int) {
    throw Exception(
        Txt(kCtxLib, "TQxActionBase", "Operacja", "Exception", u8"Urządzenie nie obsługuje zleconego typu operacji"));
}

AnsiString TQxActionBase::WlasciwosciUrzadzenia(int property) {
    if (property == 1101 || property == 1103) return "0";
    return "";
}

int TQxActionBase::IleMaxStawekKolejnych() { return 10; }

const std::vector<AnsiString>& TQxActionBase::GetFormatyWazone() {
    if (!FFormatyWazone) {
        FFormatyWazone = std::make_unique<std::vector<AnsiString>>();
        if (FLibrary) FLibrary->WypelnijFormatyWazone(FArg2, *FFormatyWazone);
    }
    return *FFormatyWazone;
}

void* TQxActionBase::GetOwnerWindow() { return FLibrary ? FLibrary->GetOwnerWindow() : nullptr; }

// ---- VAT rates and their slots ------------------------------------------------------------

const TMacSetOfIntegers& TQxActionBase::GetStawkiDostepne() {
    if (!FStawkiDostepne) {
        FStawkiDostepne = std::make_unique<TMacSetOfIntegers>();
        if (FLibrary) FLibrary->WypelnijStawkiVAT(FArg2, *FStawkiDostepne);
    }
    return *FStawkiDostepne;
}

const TMacSetOfIntegers& TQxActionBase::GetStawkiDostepnePrec() {
    if (!FStawkiDostepnePrec) {
        FStawkiDostepnePrec = std::make_unique<TMacSetOfIntegers>();
        if (FLibrary) FLibrary->WypelnijStawkiVATPrec(FArg2, *FStawkiDostepnePrec);
    }
    return *FStawkiDostepnePrec;
}

TQxStawkiKolejne& TQxActionBase::GetStawkiKolejne() {
    if (!FStawkiKolejne) OdczytajStawkiKolejne();
    return *FStawkiKolejne;
}

TQxStawkiKolejne& TQxActionBase::GetStawkiKolejnePrec() {
    if (!FStawkiKolejnePrec) OdczytajStawkiKolejnePrec();
    return *FStawkiKolejnePrec;
}

void TQxActionBase::OdczytajStawkiKolejne() {
    if (!FStawkiKolejne) FStawkiKolejne = std::make_unique<TQxStawkiKolejne>();
    AnsiString text;
    ReadParamEx("PosortowaneStawkiVat", text);
    if (Trim(text).empty())
        FStawkiKolejne->WczytajZListyDostepnychStawek(GetStawkiDostepne());
    else
        FStawkiKolejne->WczytajZTekstuParametru(text, false);
    FStawkiKolejne->ObetnijDoTylu(IleMaxStawekKolejnych());
}

void TQxActionBase::OdczytajStawkiKolejnePrec() {
    if (!FStawkiKolejnePrec) FStawkiKolejnePrec = std::make_unique<TQxStawkiKolejne>();
    AnsiString text;
    ReadParamEx("PosortowaneStawkiVatPrec", text);
    if (!Trim(text).empty()) {
        FStawkiKolejnePrec->WczytajZTekstuParametru(text, false);
    } else {
        // A stored plain assignment is taken over, its rates in hundredths.
        ReadParamEx("PosortowaneStawkiVat", text);
        if (!Trim(text).empty())
            FStawkiKolejnePrec->WczytajZTekstuParametru(text, true);
        else
            FStawkiKolejnePrec->WczytajZListyDostepnychStawek(GetStawkiDostepnePrec());
    }
    FStawkiKolejnePrec->ObetnijDoTylu(IleMaxStawekKolejnych());
}

void TQxActionBase::ZapiszStawkiKolejne() {
    WriteParamEx("PosortowaneStawkiVat", GetStawkiKolejne().SpiszDoTekstuParametru());
}

void TQxActionBase::ZapiszStawkiKolejnePrec() {
    WriteParamEx("PosortowaneStawkiVatPrec", GetStawkiKolejnePrec().SpiszDoTekstuParametru());
}

void TQxActionBase::WyswietlOknoStawekNaKasie(const AnsiString& firstSlotName, bool editable,
                                              const AnsiString& specialName) {
    WyswietlOkno(false, firstSlotName, editable, specialName);
}

void TQxActionBase::WyswietlOknoStawekNaKasiePrec(const AnsiString& firstSlotName, bool editable,
                                                  const AnsiString& specialName) {
    WyswietlOkno(true, firstSlotName, editable, specialName);
}

void TQxActionBase::WyswietlOkno(bool precise, const AnsiString& firstSlotName, bool editable,
                                 const AnsiString& specialName) {
    TFrmStawkiNaKasie form(GetOwnerWindow(), precise, GetLgLink());
    form.SetStawkiMarket(precise ? GetStawkiDostepnePrec() : GetStawkiDostepne());
    TQxStawkiKolejne& assignment = precise ? GetStawkiKolejnePrec() : GetStawkiKolejne();
    form.SetStawkiUrzadzenia(assignment, editable);
    form.SetIloscStawek(IleMaxStawekKolejnych());
    form.SetNazwaStawki(firstSlotName);
    if (!specialName.empty()) {
        form.StawkaSpecjalna(specialName, -1);
        form.SetSpecjalnaWidoczna(true);
    }
    if (form.ShowModal() != mrOk || !editable) return;
    form.GetStawkiUrzadzenia(assignment);
    if (precise)
        ZapiszStawkiKolejnePrec();
    else
        ZapiszStawkiKolejne();
}

// ---- parameters ---------------------------------------------------------------------------

AnsiString TQxActionBase::WartoscParametru(const AnsiString& name) {
    return FLibrary ? FLibrary->WartoscParametru(FArg2, Trim(name)) : AnsiString();
}

int TQxActionBase::ParamAsInt(const AnsiString& name) {
    int value = 0;
    return TryStrToInt(Trim(WartoscParametru(name)), value) ? value : 0;
}

TdtTools TQxActionBase::ParamAsDate(const AnsiString& name) {
    TdtTools date;
    if (!date.TryFromString(Trim(WartoscParametru(name)), TdtTools::fmtDateTimeCompressed)) date = TdtTools();
    return TdtTools(date.Date());
}

AnsiString TQxActionBase::ParamAsDir(const AnsiString& name) {
    const AnsiString given = WartoscParametru(name);
    // A drive-letter folder on a system without drives goes under the user's data folder
    // rather than into whatever the working directory is.
    const AnsiString value = SystemFolder(given);
    if (value.empty() && !given.empty())
        throw Exception(
            Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "Naped", u8"Katalog \"") + given +
            Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "Naped2",
                u8"\" wskazuje dysk systemu Windows, a użytkownik nie ma katalogu danych; podaj inny katalog"));
    if (!Os().DirectoryExists(value)) {
        DodajKomunikat(zkInformacja, Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "Katalog", u8"Katalog \"") + value +
                                         Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "nieistni",
                                             u8"\" nie istnieje, próba utworzenia"));
        Os().ForceDirectories(value);
        if (!Os().DirectoryExists(value))
            throw Exception(Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "Exception",
                                u8"Próba utworzenia katalogu zakończona błędem"));
    }
    AnsiString base = value;
    if (!base.empty() && base.back() != PathDelim) base += PathDelim;
    // The probe never touches an entry of the user's: when "test" is taken, the next free
    // name is used instead, so an existing file does not read as a missing permission.
    AnsiString probe = base + "test";
    for (int i = 1; i < 1000 && (Os().FileExists(probe) || Os().DirectoryExists(probe)); ++i)
        probe = base + "test" + IntToStr(i);
    const bool written = Os().CreateNewFile(probe, "test") && Os().FileExists(probe);
    const TFileFault fault = written ? ffNone : Os().LastFileFault();
    // Whatever happened, the probe does not stay: a full disk can leave an empty file.
    if (Os().FileExists(probe)) Os().DeleteFile(probe);
    if (written) return value;
    switch (fault) {
        case ffDiskFull:
            throw Exception(
                Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "miejsce", u8"Brak miejsca na dysku w katalogu \"") +
                value +
                Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "zwolnij", u8"\", zwolnij miejsce aby kontynuować"));
        case ffReadOnly:
            throw Exception(Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "odczytu", u8"Katalog \"") + value +
                            Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "odczytu2",
                                u8"\" leży na nośniku tylko do odczytu, wskaż inny katalog aby kontynuować"));
        default:
            throw Exception(
                Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "uprawnien",
                    u8"Qivera nie ma uprawnień do zapisu w katalogu \"") +
                value +
                Txt(kCtxLib, "TQxActionBase", "ParamAsDir", "nadaj", u8"\", nadaj uprawnienia aby kontynuować"));
    }
}

static AnsiString OwnParamName(TQxHostLink* library, const AnsiString& name) {
    const AnsiString type = library ? Trim(library->Wlasciwosci(2)) : AnsiString();
    return type + "_" + Trim(name);
}

void TQxActionBase::ReadParamEx(const AnsiString& name, AnsiString& value) {
    value = WartoscParametru(OwnParamName(FLibrary, name));
}

void TQxActionBase::WriteParamEx(const AnsiString& name, const AnsiString& value) {
    ZmienParametr(OwnParamName(FLibrary, name), value);
}

AnsiString TQxActionBase::ReadLongParamEx(const AnsiString& name, int count) {
    AnsiString result;
    for (int i = 1; i <= count; ++i) {
        AnsiString piece;
        ReadParamEx(name + IntToStr(i), piece);
        result += piece;
    }
    return result;
}

void TQxActionBase::WriteLongParamEx(const AnsiString& name, const AnsiString& value, int count) {
    const size_t pieceSize = 250;
    for (int i = 1; i <= count; ++i) {
        const size_t from = static_cast<size_t>(i - 1) * pieceSize;
        WriteParamEx(name + IntToStr(i), from < value.size() ? value.substr(from, pieceSize) : AnsiString());
    }
}

void TQxActionBase::ZmienParametr(const AnsiString& name, const AnsiString& value) {
    if (!FLibrary || !FLibrary->ZmienParametr(FArg2, Trim(name), Trim(value)))
        throw Exception(
            Txt(kCtxLib, "TQxActionBase", "ZmienParametr", "Exception", u8"Błąd zapisu własnego parametru '") + name +
            Txt(kCtxLib, "TQxActionBase", "ZmienParametr", "bazy", u8"' do bazy danych"));
}

void TQxActionBase::OdswiezParametry() {
    if (FLibrary) FLibrary->OdswiezParametry(FArg2);
}

// ---- messages and progress ----------------------------------------------------------------

void TQxActionBase::DodajKomunikat(int kind, const AnsiString& text) {
    const AnsiString line = Trim(text);
    if (FLibrary) FLibrary->DodajKomunikat(FArg2, kind, line);
    FOstatniKomunikat = line;
}

AnsiString TQxActionBase::ZmienOstatniKomunikat(int kind, const AnsiString& text) {
    AnsiString line(TrimView(text));
    if (FLibrary) FLibrary->ZmienOstatniKomunikat(FArg2, kind, line);
    line.swap(FOstatniKomunikat);
    return line;  // the one before
}

void TQxActionBase::SendNextLine(int kind) {
    const std::string_view line = TrimView(FNextLine);
    if (line.size() != FNextLine.size()) FNextLine = AnsiString(line);
    if (FLibrary) FLibrary->ZmienOstatniKomunikat(FArg2, kind, FNextLine);
    FNextLine.swap(FOstatniKomunikat);
}

AnsiString TQxActionBase::PodajOstatniKomunikat(bool withoutValue) {
    if (withoutValue) {
        const size_t mark = FOstatniKomunikat.find(kValueMark);
        if (mark != AnsiString::npos) return FOstatniKomunikat.substr(0, mark);
    }
    return FOstatniKomunikat;
}

void TQxActionBase::MsgAdd(const AnsiString& text, LPVState state, int max) {
    const std::vector<AnsiString> lines = SplitLines(text);
    if (lines.empty()) return;
    for (size_t i = 0; i < lines.size(); ++i) {
        const bool last = i + 1 == lines.size();
        AnsiString line = lines[i];
        int kind = zkInformacja;
        switch (state) {
            case LPV_Ok:
                if (last) line += AnsiString(1, kValueMark) + "OK";
                break;
            case LPV_Error: kind = zkBlad; break;
            case LPV_Warning: kind = zkOstrzezenie; break;
            case LPV_Percent:
                if (last) line += AnsiString(":") + kValueMark + "0 %";
                break;
            case LPV_Value:
                if (last) line += ":";
                line += AnsiString(1, kValueMark) + "0";
                break;
            default: break;
        }
        DodajKomunikat(kind, line);
    }
    FLastMsg = lines.back();
    FLastState = state;
    FLastMax = max < 1 ? 1 : max;
    FLastProgress = 0;
}

void TQxActionBase::MsgP(int progress) {
    if (progress == FLastProgress) return;
    FLastProgress = progress;
    if (FLastState == LPV_Value) {
        // Sent thousands of times in a long run: built in place, in one piece.
        char digits[16];
        char* const end = std::to_chars(digits, digits + sizeof digits, progress).ptr;
        FNextLine.assign(FLastMsg)
            .append(1, ':')
            .append(1, kValueMark)
            .append(digits, static_cast<size_t>(end - digits));
        SendNextLine(zkInformacja);
    } else if (FLastState == LPV_Percent)
        ZmienOstatniKomunikat(zkInformacja, FLastMsg + ":" + kValueMark +
                                                IntToStr(static_cast<long long>(progress) * 100 / FLastMax) + " %");
}

void TQxActionBase::MsgS(LPVState state) {
    if (state == FLastState) return;
    FLastState = state;
    switch (state) {
        case LPV_Ok: ZmienOstatniKomunikat(zkInformacja, FLastMsg + kValueMark + "OK"); break;
        case LPV_Error: ZmienOstatniKomunikat(zkBlad, FLastMsg); break;
        case LPV_Warning: ZmienOstatniKomunikat(zkOstrzezenie, FLastMsg); break;
        case LPV_Percent:
            ZmienOstatniKomunikat(
                zkInformacja,
                FLastMsg + ":" + kValueMark + IntToStr(static_cast<long long>(FLastProgress) * 100 / FLastMax) + " %");
            break;
        case LPV_Value:
            ZmienOstatniKomunikat(zkInformacja, FLastMsg + ":" + kValueMark + IntToStr(FLastProgress));
            break;
        default: ZmienOstatniKomunikat(zkInformacja, FLastMsg); break;
    }
}

// ---- abort --------------------------------------------------------------------------------

bool TQxActionBase::CzyPrzerwac() { return !FLibrary || FLibrary->CzyPrzerwac(FArg2); }

void TQxActionBase::SprawdzCzyPrzerwac() {
    if (CzyPrzerwac()) throw EAbort();
}

// ---- results and host services ------------------------------------------------------------

void TQxActionBase::ZapiszWynikEksportu() {
    if (!FLibrary || !FLibrary->ZapiszWynikEksportu(FArg2))
        throw Exception(Txt(kCtxLib, "TQxActionBase", "ZapiszWynikEksportu", "Exception",
                            u8"Błąd zapisu wyniku eksportu do bazy danych"));
}

void TQxActionBase::ZapiszKasaImp() {
    if (!FLibrary || !FLibrary->ZapiszImport(FArg2))
        throw Exception(Txt(kCtxLib, "TQxActionBase", "ZapiszKasaImp", "Exception",
                            u8"Błąd zapisu importu sprzedaży do bazy danych"));
}

void TQxActionBase::ZapiszParagonImp() {
    if (!FLibrary || !FLibrary->ZapiszParagon(FArg2))
        throw Exception(Txt(kCtxLib, "TQxActionBase", "ZapiszParagonImp", "Exception",
                            u8"Błąd zapisu pojedynczego paragonu do bazy danych"));
}

AnsiString TQxActionBase::OdczytajTowar(const AnsiString& code) {
    return FLibrary ? FLibrary->OdczytajTowar(FArg2, Trim(code)) : AnsiString();
}

int TQxActionBase::DodajTowarZKasy(const AnsiString& name, int goodsNumber, const AnsiString& code, int overwrite,
                                   const AnsiString& groupName, const AnsiString& unitName, int vatRate, double price1,
                                   double price2, double price3, double price4, int openPrice, int package,
                                   const AnsiString& packageCode) {
    if (!FLibrary) return -1;
    return FLibrary->DodajTowarZKasy(FArg2, name, goodsNumber, code, overwrite, groupName, unitName, vatRate, price1,
                                     price2, price3, price4, openPrice, package, packageCode);
}

void TQxActionBase::ZapiszStanLicznika(int* values, int count) {
    if (FLibrary) FLibrary->ZapiszStanLicznika(FArg2, values, count);
}

void TQxActionBase::ZapiszStanICzasLicznika(int* values, int count, const AnsiString& time) {
    if (FLibrary) FLibrary->ZapiszStanICzasLicznika(FArg2, values, count, time);
}

void TQxActionBase::ZajmijZasobSterownika(const AnsiString& resource) {
    while (!FLibrary || !FLibrary->ZajmijZasobSterownika(FArg2, Trim(resource))) {
        SprawdzCzyPrzerwac();
        Sleep(100);
    }
}

void TQxActionBase::ZwolnijZasobSterownika(const AnsiString& resource) {
    if (FLibrary) FLibrary->ZwolnijZasobSterownika(FArg2, Trim(resource));
}

void TQxActionBase::KasujFlageAlarmu() {
    if (FLibrary) FLibrary->KasujFlageAlarmu(FArg2);
}

int TQxActionBase::WstrzymajOperacje(const AnsiString& text, int value) {
    return FLibrary ? FLibrary->WstrzymajOperacje(FArg2, text, value) : -1;
}

// ---- final error capture ------------------------------------------------------------------

void TQxActionBase::OstatecznePrzechwycenieBledu(const AnsiString& operationName, const std::exception* e) {
    try {
        const char* cls = "TQxActionBase";
        const char* method = "OstatecznePrzechwycenieBledu";
        AnsiString text;
        const AnsiString header = Txt(kCtxLib, cls, method, "Podczas", u8"Podczas wykonywania operacji '") +
                                  operationName + Txt(kCtxLib, cls, method, "bladdwuk", u8"' wystąpił błąd:\r\n");
        if (!e) {
            text = Txt(kCtxLib, cls, method, "Podczas", u8"Podczas wykonywania operacji '", 1) + operationName +
                   Txt(kCtxLib, cls, method, "nierozpo", u8"' wystąpił nierozpoznawalny błąd");
        } else if (dynamic_cast<const EAbort*>(e)) {
            text = Txt(kCtxLib, cls, method, "Operacja", u8"Operacja '") + operationName +
                   Txt(kCtxLib, cls, method, "przerwan", u8"' została przerwana");
        } else if (const auto* em = dynamic_cast<const EMException*>(e)) {
            text = header;
            for (int i = 0; i < em->GetTopicCount(); ++i) {
                const EMException::Topic& topic = em->GetTopics(i);
                text += "[" + IntToStr(topic.code) + "] " + topic.title + "\r\n" + topic.description + "\r\n";
            }
        } else {
            text = header + e->what();
        }
        MsgAdd(text, LPV_Error, 100);
    } catch (...) {
        // Nothing more can be reported.
    }
}
