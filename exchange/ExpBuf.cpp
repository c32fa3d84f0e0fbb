#include "exchange/ExpBuf.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "codes/KartaRab.h"
#include "ecr/LTools.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/NumberTools.h"
#include "platform/Os.h"
#include "platform/ProgressSink.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "brevant_QxExpBuf";
// One second in days: progress is reported at most this often while reading.
const double kReadReportDays = 1.16e-05;
const double kWriteReportDays = 1e-05;
const unsigned kReadYieldMs = 20;

AnsiString BadFormat(TMLgExtTools* translation) {
    return Tr(translation, kContext, "QxTowRec", "FromLine", "format",
              u8"Nieprawidłowy format pliku eksportowego");
}

int Saturate(long double value) {
    if (!(value == value))
        return 0;
    if (value >= static_cast<long double>(INT_MAX))
        return INT_MAX;
    if (value <= static_cast<long double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(value);
}

// The C library's reading of a number: the leading decimal number ("." as the point, an
// optional exponent), anything else 0. Values beyond the floating range read as 0 too.
double Number(const AnsiString& word) {
    size_t i = 0;
    const size_t n = word.size();
    while (i < n && (word[i] == ' ' || (word[i] >= '\t' && word[i] <= '\r')))
        ++i;
    const size_t start = i;
    if (i < n && (word[i] == '+' || word[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < n && word[i] >= '0' && word[i] <= '9') {
        ++i;
        ++digits;
    }
    if (i < n && word[i] == '.') {
        ++i;
        while (i < n && word[i] >= '0' && word[i] <= '9') {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < n && (word[i] == 'e' || word[i] == 'E')) {
        size_t j = i + 1;
        if (j < n && (word[j] == '+' || word[j] == '-'))
            ++j;
        if (j < n && word[j] >= '0' && word[j] <= '9') {
            while (j < n && word[j] >= '0' && word[j] <= '9')
                ++j;
            i = j;
        }
    }
    const double value = CAtof(word.substr(start, i - start));
    return std::isfinite(value) ? value : 0;
}

// The C library's atoi: the leading integer, 0 when none; saturated at the int range.
int LeadingInt(const AnsiString& word) {
    size_t i = 0;
    const size_t n = word.size();
    while (i < n && (word[i] == ' ' || (word[i] >= '\t' && word[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < n && (word[i] == '+' || word[i] == '-'))
        negative = word[i++] == '-';
    long long value = 0;
    for (; i < n && word[i] >= '0' && word[i] <= '9'; ++i) {
        value = value * 10 + (word[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::max<long long>(INT_MIN, std::min<long long>(INT_MAX, value)));
}

bool Flag(const AnsiString& word, TMLgExtTools* translation) {
    const char c = word.empty() ? '\0' : word[0];
    if (c == 'T' || c == 't')
        return true;
    if (c == 'F' || c == 'f')
        return false;
    throw Exception(BadFormat(translation));
}

int IntDef(const AnsiString& word, int def) {
    int value = 0;
    return TryStrToInt(word, value) ? value : def;
}

// Rate in percent as hundredths of a percent; -1 for the exempt rate.
AnsiString PrecFromPercent(long long percent) {
    return percent < 0 ? AnsiString("-1") : IntToStr(percent * 100);
}

long double RoundWhole(long double value) {
    TxfTools x(value);
    x.Round(0);
    return x.Value();
}

TMField* AddField(TMDataSet& ds, const char* name, TMFieldType type) {
    TMField* f = ds.Fields().Add();
    f->SetName(name);
    f->SetType(type);
    return f;
}

}  // namespace

AnsiString StatusWord(int status) {
    switch (status) {
        case stDod: return "DOD";
        case stAkt: return "AKT";
        case stCen: return "CEN";
        case stUsu: return "USU";
        default: return "";
    }
}

// ---------------------------------------------------------------------------------------------
// Goods record

void QxTowRec::Clear() {
    plu = 0;
    koldod = 0;
    kod.clear();
    nazwa.clear();
    cena = cena_hurt = cena_noc = cena_dod = 0;
    stawka = 0;
    stawkaPrec = 0;
    jedn = 0;
    czy_wazony = false;
    precyzja = 0;
    wagowo_ilosciowy = false;
    opakowanie = false;
    cena_otwarta = true;
    kod_opakowania = "0";
    plu_opakowania = 0;
    nr_asort = 0;
    status = stNull;
    opis1.clear();
    opis2.clear();
    opis3.clear();
    opis4.clear();
    dod_rabat_tow = 0;
    nazwa_pelna.clear();
    ile_jedn = 0;
    notatki.clear();
    nr_buf = -1;
    plu_rec.clear();
    tr_ok = false;
    flag = false;
    add_rec = false;
    org_barcode.clear();
    org_status = stNull;
    from_ecr = false;
    tow_z_kontr = false;
}

double QxTowRec::CenaAkt(int level) const {
    switch (level) {
        case 1: return cena_hurt;
        case 2: return cena_noc;
        case 3: return cena_dod;
        default: return cena;
    }
}

void QxTowRec::FromLine(TLJWords& words, TMLgExtTools* translation) {
    plu = StrToInt(words[1]);
    koldod = StrToInt(words[2]);
    kod = words[3];
    nazwa = words[4];
    cena = Number(words[5]);
    cena_hurt = Number(words[6]);
    cena_noc = Number(words[7]);
    cena_dod = Number(words[8]);
    stawka = StrToInt(words[9]);
    jedn = StrToInt(words[10]);
    czy_wazony = Flag(words[11], translation);
    precyzja = StrToInt(words[12]);
    wagowo_ilosciowy = Flag(words[13], translation);
    opakowanie = Flag(words[14], translation);
    cena_otwarta = Flag(words[15], translation);
    kod_opakowania = words[16];
    const AnsiString pluOpak = words[17];
    plu_opakowania = pluOpak.empty() ? 0 : StrToInt(pluOpak);
    nr_asort = StrToInt(words[18]);

    const AnsiString st = words[19];
    if (st == "DOD")
        status = stDod;
    else if (st == "AKT")
        status = stAkt;
    else if (st == "CEN")
        status = stCen;
    else if (st == "USU")
        status = stUsu;
    else
        throw Exception(BadFormat(translation));
    org_barcode = kod;
    org_status = status;

    // Optional words, each read only while the line has not run out.
    const int count = words.GetCount();
    bool more = true;
    auto present = [&](int k) {
        if (more && k >= count)
            more = false;
        return more;
    };
    opis1 = present(20) ? words[20] : AnsiString();
    opis2 = present(21) ? words[21] : AnsiString();
    PKWiU = present(22) ? words[22] : AnsiString();
    SWW = present(23) ? words[23] : AnsiString();
    TerminW = present(24) ? LeadingInt(words[24]) : 0;
    poziom_cen = present(25) ? IntDef(words[25], -1) : -1;
    ile_w_kodzie = present(26) ? IntDef(words[26], 1000) : 1000;

    // The file's price level puts the chosen price into the retail price.
    switch (poziom_cen) {
        case 1: cena = cena_hurt; break;
        case 2: cena = cena_dod; break;
        case 3: cena = cena_noc; break;
        default: break;
    }
    // Prices of a code that stands for another quantity than one unit.
    if (ile_w_kodzie != 1000) {
        const long double f = RoundWhole(ile_w_kodzie) / 1000;
        cena = static_cast<double>(RoundWhole(cena * f));
        cena_hurt = static_cast<double>(RoundWhole(cena_hurt * f));
        cena_noc = static_cast<double>(RoundWhole(cena_noc * f));
        cena_dod = static_cast<double>(RoundWhole(cena_dod * f));
    }

    opis3 = words[27];
    opis4 = words[28];
    dod_rabat_tow = Number(words[29]);
    if (count >= 31) {
        stawkaPrec = IntDef(words[30], 0);
    } else if (stawka < 0) {
        stawkaPrec = -1;
    } else {
        stawkaPrec = Saturate(static_cast<long double>(stawka) * 100);
    }
    nazwa_pelna = words[31];
    ile_jedn = Saturate(std::trunc(static_cast<long double>(Number(words[32]))));
    notatki = words[33];
}

// ---------------------------------------------------------------------------------------------
// Customer record

void QxKontrRec::Clear() {
    KontrId = 0;
    Nazwa.clear();
    Skrot.clear();
    Ulica.clear();
    Kod.clear();
    Miasto.clear();
    Telefon.clear();
    NIP.clear();
    KodKarty.clear();
    TermWaznKarty = TdtTools(0.0);
    KartaAktywna = false;
    RabatOdbiorcy = 0;
    PoziomRabatu = 0;
    IloscPunktow = 0;
    nr_buf = -1;
    kontr_rec.clear();
    tr_ok = false;
}

void QxKontrRec::FromLine(const AnsiString& line, TMLgExtTools* translation) {
    Clear();
    TLJWords words;
    words.FSeparator = ";";
    words.Init(line);
    KontrId = StrToInt(words[1]);
    Nazwa = words[2];
    Skrot = words[3];
    Ulica = words[4];
    Kod = words[5];
    Miasto = words[6];
    Telefon = words[7];
    NIP = words[8];
    KodKarty = words[9];
    TermWaznKarty.FromString(words[10], TdtTools::fmtDateTimeCompressed);
    KartaAktywna = Flag(words[11], translation);
    RabatOdbiorcy = Number(words[12]);
    PoziomRabatu = StrToInt(words[13]);
    IloscPunktow = words.GetCount() > 14 ? IntDef(words[14], 0) : 0;
}

// ---------------------------------------------------------------------------------------------
// Cashiers and currencies

namespace {

AnsiString WordText(TLJWords& words, int i) {
    // A word missing at the end of the text (an empty last field) reads as empty.
    return words[i];
}

int WordInt(TLJWords& words, int i, TMLgExtTools* translation, const char* cls, const char* method,
            const char* defaultUtf8) {
    int value = 0;
    if (!TryStrToInt(words[i], value))
        throw Exception(Tr(translation, kContext, cls, method, "blad", defaultUtf8));
    return value;
}

}  // namespace

QxKasjer::QxKasjer(const AnsiString& text, TMLgExtTools* translation) : FLgLink(translation) {
    FWords.FSeparator = ";";
    FWords.Init(text);
}

QxKasjer::QxKasjer(int numer, const AnsiString& nazwisko, int poziom, const AnsiString& identyfikator,
                   const AnsiString& kodKarty, TMLgExtTools* translation)
    : FLgLink(translation) {
    FWords.FSeparator = ";";
    FWords.Init(Format("%d;", numer) + nazwisko + Format(";%d;", poziom) + identyfikator + ";" + kodKarty);
}

int QxKasjer::GetNumer() {
    return WordInt(FWords, 0, FLgLink, "QxKasjer", "GetNumer", u8"Błąd odczytu numeru kasjera");
}

AnsiString QxKasjer::GetNazwisko() {
    return WordText(FWords, 1);
}

int QxKasjer::GetPoziomUprawnien() {
    return WordInt(FWords, 2, FLgLink, "QxKasjer", "GetPoziomUprawnien",
                   u8"Błąd odczytu poziomu uprawnień kasjera");
}

AnsiString QxKasjer::GetIdentyfikator() {
    return WordText(FWords, 3);
}

AnsiString QxKasjer::GetKodKarty() {
    return WordText(FWords, 4);
}

QxWaluta::QxWaluta(const AnsiString& text, TMLgExtTools* translation) : FLgLink(translation) {
    FWords.FSeparator = ";";
    FWords.Init(text);
}

AnsiString QxWaluta::GetKod() {
    return WordText(FWords, 0);
}

AnsiString QxWaluta::GetNazwa() {
    return WordText(FWords, 1);
}

int QxWaluta::GetKurs() {
    return WordInt(FWords, 2, FLgLink, "QxWaluta", "GetKurs", u8"Błąd odczytu kursu waluty");
}

bool QxWaluta::GetCzyDomyslna() {
    return WordText(FWords, 3) == "T";
}

bool QxWaluta::GetCzyMoznaWydawacReszte() {
    return WordText(FWords, 4) == "T";
}

// ---------------------------------------------------------------------------------------------
// Export buffer

QxExpBuf::QxExpBuf(TProgressSink* action)
    : ksaction(action),
      LgLink(action != nullptr ? action->GetLgLink() : nullptr),
      ds_plu(new TMDataSet),
      ds_inplu(new TMDataSet),
      ds_index(new TMDataSet),
      ds_asort(new TMDataSet),
      ds_kontr(new TMDataSet) {
    TMDataSet& p = *ds_plu;
    FPlu[fPlu] = AddField(p, "plu", mftInteger);
    FPlu[fKoldod] = AddField(p, "koldod", mftInteger);
    FPlu[fKod] = AddField(p, "kod", mftString);
    FPlu[fCena] = AddField(p, "cena", mftExtended);
    FPlu[fCenaHurt] = AddField(p, "cena_hurt", mftExtended);
    FPlu[fCenaNoc] = AddField(p, "cena_noc", mftExtended);
    FPlu[fCenaDod] = AddField(p, "cena_dod", mftExtended);
    FPlu[fNazwa] = AddField(p, "nazwa", mftString);
    FPlu[fStawka] = AddField(p, "stawka", mftInteger);
    FPlu[fStawkaPrec] = AddField(p, "stawka_prec", mftInteger);
    FPlu[fJedn] = AddField(p, "jedn", mftInteger);
    FPlu[fCzyWazony] = AddField(p, "czy_wazony", mftInteger);
    FPlu[fPrecyzja] = AddField(p, "precyzja", mftInteger);
    FPlu[fWagowoIlosciowy] = AddField(p, "wagowo_ilosciowy", mftInteger);
    FPlu[fOpakowanie] = AddField(p, "opakowanie", mftInteger);
    FPlu[fCenaOtwarta] = AddField(p, "cena_otwarta", mftInteger);
    FPlu[fKodOpakowania] = AddField(p, "kod_opakowania", mftString);
    FPlu[fPluOpakowania] = AddField(p, "plu_opakowania", mftInteger);
    FPlu[fNrAsort] = AddField(p, "nr_asort", mftInteger);
    FPlu[fStatus] = AddField(p, "status", mftInteger);
    FPlu[fNrBuf] = AddField(p, "nr_buf", mftInteger);
    FPlu[fPluRec] = AddField(p, "plu_rec", mftString);
    FPlu[fTrOk] = AddField(p, "tr_ok", mftInteger);
    FPlu[fFlag] = AddField(p, "flag", mftInteger);
    FPlu[fAddRec] = AddField(p, "add_rec", mftInteger);
    FPlu[fOrgBarcode] = AddField(p, "org_barcode", mftString);
    FPlu[fOrgStatus] = AddField(p, "org_status", mftInteger);
    FPlu[fOpis1] = AddField(p, "opis1", mftString);
    FPlu[fOpis2] = AddField(p, "opis2", mftString);
    FPlu[fPKWiU] = AddField(p, "PKWiU", mftString);
    FPlu[fSWW] = AddField(p, "SWW", mftString);
    FPlu[fTerminW] = AddField(p, "TerminW", mftInteger);
    FPlu[fNrSrcBuf] = AddField(p, "fd_nr_src_buf", mftInteger);
    FPlu[fFromEcr] = AddField(p, "fd_from_ecr", mftInteger);
    FPlu[fTowZKontr] = AddField(p, "fd_tow_z_kontr", mftInteger);
    FPlu[fOpis3] = AddField(p, "opis3", mftString);
    FPlu[fOpis4] = AddField(p, "opis4", mftString);
    FPlu[fPoziomCen] = AddField(p, "poziom_cen", mftInteger);
    FPlu[fIleWKodzie] = AddField(p, "ile_w_kodzie", mftInteger);
    FPlu[fDodRabatTow] = AddField(p, "fd_dod_rabat_tow", mftExtended);
    FPlu[fNazwaPelna] = AddField(p, "nazwa_pelna", mftString);
    FPlu[fIleJedn] = AddField(p, "ile_jedn", mftInteger);
    FPlu[fNotatki] = AddField(p, "notatki", mftString);
    p.Open();

    FInKod = AddField(*ds_inplu, "kod", mftString);
    FInDodInfo = AddField(*ds_inplu, "dodinfo", mftString);
    ds_inplu->Open();

    FIndex = AddField(*ds_index, "index", mftInteger);
    ds_index->Open();

    FAsNo = AddField(*ds_asort, "as_asno", mftInteger);
    FAsName = AddField(*ds_asort, "as_name", mftString);
    ds_asort->Open();

    TMDataSet& k = *ds_kontr;
    FKontr[kKontrId] = AddField(k, "KontrId", mftInteger);
    FKontr[kNazwa] = AddField(k, "Nazwa", mftString);
    FKontr[kSkrot] = AddField(k, "Skrot", mftString);
    FKontr[kUlica] = AddField(k, "Ulica", mftString);
    FKontr[kKod] = AddField(k, "Kod", mftString);
    FKontr[kMiasto] = AddField(k, "Miasto", mftString);
    FKontr[kTelefon] = AddField(k, "Telefon", mftString);
    FKontr[kNIP] = AddField(k, "NIP", mftString);
    FKontr[kKodKarty] = AddField(k, "KodKarty", mftString);
    FKontr[kTermWaznKarty] = AddField(k, "TermWaznKarty", mftDateTime);
    FKontr[kKartaAktywna] = AddField(k, "KartaAktywna", mftInteger);
    FKontr[kPoziomRabatu] = AddField(k, "PoziomRabatu", mftInteger);
    FKontr[kRabatOdbiorcy] = AddField(k, "RabatOdbiorcy", mftExtended);
    FKontr[kNrBuf] = AddField(k, "NrBuf", mftInteger);
    FKontr[kIloscPunktow] = AddField(k, "IloscPunktow", mftInteger);
    k.Open();
}

QxExpBuf::~QxExpBuf() {
    Clear();
}

AnsiString QxExpBuf::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return Tr(LgLink, kContext, "QxExpBuf", method, piece, defaultUtf8, duplicate);
}

void QxExpBuf::Clear() {
    ds_plu->Clear();
    ds_inplu->Clear();
    ds_index->Clear();
    ds_asort->Clear();
    ds_kontr->Clear();
    Sorted = false;
    stawki.clear();
    stawkiPrec.clear();
    jmiary.clear();
    kasjerzy.Clear();
    waluty.Clear();
    il_rec = il_dod = il_akt = il_cen = il_usu = il_opak = 0;
    // The customer dataset is empty now, and so are the goods made from it.
    il_kontr = 0;
    il_tow_z_kontr = 0;
}

void QxExpBuf::CountStatus(int status, int delta) {
    switch (status) {
        case stDod: il_dod += delta; break;
        case stAkt: il_akt += delta; break;
        case stCen: il_cen += delta; break;
        case stUsu: il_usu += delta; break;
        default: break;
    }
}

void QxExpBuf::ReadFromFile(const AnsiString& fileName, bool sort, int exportKind) {
    if (ksaction != nullptr)
        ksaction->MsgAdd(Text("ReadFrom", "wczytyw", u8"Wczytywanie listy towarów"), LPV_None, 100);
    try {
        TLTools::ArchiveFile(fileName, ExtractFilePath(fileName) + "ARCH2.EXP", LgLink, true,
                             exportKind, true, "");
        std::vector<AnsiString> lines;
        TMFile::ReadStringsFromFile(fileName, lines, 4096);
        const int count = static_cast<int>(lines.size());
        if (ksaction != nullptr) {
            ksaction->MsgS(LPV_Ok);
            ksaction->MsgAdd(Text("ReadFrom", "analiza", u8"Analiza listy towarów"), LPV_Percent, count);
        }

        TLJWords words;
        words.FSeparator = ";";
        QxTowRec tow;
        QxKontrRec kontr;
        double lastReport = Clock().Now();
        for (int i = 0; i < count; ++i) {
            const double now = Clock().Now();
            if (now - lastReport > kReadReportDays) {
                lastReport = now;
                if (ksaction != nullptr)
                    ksaction->MsgP(i);
                Sleep(kReadYieldMs);
            }
            const AnsiString line = Trim(lines[static_cast<size_t>(i)]);
            if (line.empty() || line[0] == '#' || line[0] == '[')
                continue;
            words.Init(line);
            const AnsiString kind = words[0];
            if (kind == "PLU") {
                tow.Clear();
                tow.FromLine(words, LgLink);
                DodajRec(&tow);
            } else if (kind == "KON" || kind == "KONA") {
                zm_listy_kontr = kind == "KON";
                kontr.Clear();
                kontr.FromLine(line, LgLink);
                DodajRec(&kontr);
            } else if (kind == "VAT") {
                const AnsiString rate = words[1];
                stawki.push_back(rate);
                if (words.GetCount() > 2)
                    stawkiPrec.push_back(words[2]);
                else
                    stawkiPrec.push_back(PrecFromPercent(IntDef(rate, 0)));
            } else if (kind == "JM") {
                jmiary.push_back(words[1] + ";" + words[2] + ";" + words[3]);
            } else if (kind == "OPER") {
                const AnsiString text = words[1] + ";" + words[2] + ";" + words[3] + ";" + words[4] + ";" + words[5];
                kasjerzy.Add(text, new QxKasjer(text, LgLink));
            } else if (kind == "WAL") {
                const AnsiString text = words[1] + ";" + words[2] + ";" + words[3] + ";" + words[4] + ";" + words[5];
                waluty.Add(text, new QxWaluta(text, LgLink));
            } else if (kind == "ASS") {
                QxAsort as;
                as.nr = StrToInt(words[1]);
                as.nazwa = words[2];
                DodajAsort(&as);
            } else if (SubString(kind, 1, 3) == "EUR") {
                TxfTools rate;
                rate.FromString(words[1], 10, false);
                const long double value = rate.Value() / 10000;
                FKursEURO = std::isfinite(static_cast<double>(value)) ? static_cast<double>(value) : 0;
            }
        }
        if (ksaction != nullptr)
            ksaction->MsgP(count);
        if (sort && ds_plu->GetCount() > 0 && !Sorted) {
            CreateIndex();
            Sort(0, ds_plu->GetCount() - 1);
            Sorted = true;
        }
    } catch (...) {
        if (ksaction != nullptr)
            ksaction->MsgS(LPV_Error);
        throw;
    }
    if (ksaction != nullptr)
        ksaction->MsgS(LPV_Ok);
}

void QxExpBuf::DodajRec(QxTowRec* rec) {
    ds_plu->Append();
    WriteTow(*rec, ds_plu->GetCount() - 1);
    ++il_rec;
    CountStatus(rec->status, +1);
    if (rec->opakowanie)
        ++il_opak;
    if (rec->tow_z_kontr)
        ++il_tow_z_kontr;
}

void QxExpBuf::ZapiszRec(int index, QxTowRec* rec) {
    ds_plu->SetPosition(index);
    const int oldStatus = static_cast<int>(FPlu[fStatus]->GetAsInteger());
    WriteTow(*rec, rec->nr_buf);
    CountStatus(oldStatus, -1);
    CountStatus(rec->status, +1);
}

void QxExpBuf::WriteTow(const QxTowRec& r, int nrBuf) {
    const QxTowRec* rec = &r;
    FPlu[fPlu]->SetAsInteger(rec->plu);
    FPlu[fKoldod]->SetAsInteger(rec->koldod);
    FPlu[fKod]->SetAsString(rec->kod);
    FPlu[fCena]->SetAsExtended(rec->cena);
    FPlu[fCenaHurt]->SetAsExtended(rec->cena_hurt);
    FPlu[fCenaNoc]->SetAsExtended(rec->cena_noc);
    FPlu[fCenaDod]->SetAsExtended(rec->cena_dod);
    FPlu[fNazwa]->SetAsString(rec->nazwa);
    FPlu[fStawka]->SetAsInteger(rec->stawka);
    FPlu[fStawkaPrec]->SetAsInteger(rec->stawkaPrec);
    FPlu[fJedn]->SetAsInteger(rec->jedn);
    FPlu[fCzyWazony]->SetAsInteger(rec->czy_wazony);
    FPlu[fPrecyzja]->SetAsInteger(rec->precyzja);
    FPlu[fWagowoIlosciowy]->SetAsInteger(rec->wagowo_ilosciowy);
    FPlu[fOpakowanie]->SetAsInteger(rec->opakowanie);
    FPlu[fCenaOtwarta]->SetAsInteger(rec->cena_otwarta);
    FPlu[fKodOpakowania]->SetAsString(rec->kod_opakowania);
    FPlu[fPluOpakowania]->SetAsInteger(rec->plu_opakowania);
    FPlu[fNrAsort]->SetAsInteger(rec->nr_asort);
    FPlu[fStatus]->SetAsInteger(rec->status);
    FPlu[fNrBuf]->SetAsInteger(nrBuf);
    FPlu[fPluRec]->SetAsString(rec->plu_rec);
    FPlu[fTrOk]->SetAsInteger(rec->tr_ok);
    FPlu[fFlag]->SetAsInteger(rec->flag);
    FPlu[fAddRec]->SetAsInteger(rec->add_rec);
    FPlu[fOrgBarcode]->SetAsString(rec->org_barcode);
    FPlu[fOrgStatus]->SetAsInteger(rec->org_status);
    FPlu[fOpis1]->SetAsString(rec->opis1);
    FPlu[fOpis2]->SetAsString(rec->opis2);
    FPlu[fPKWiU]->SetAsString(rec->PKWiU);
    FPlu[fSWW]->SetAsString(rec->SWW);
    FPlu[fTerminW]->SetAsInteger(rec->TerminW);
    FPlu[fNrSrcBuf]->SetAsInteger(rec->nr_src_buf);
    FPlu[fFromEcr]->SetAsInteger(rec->from_ecr);
    FPlu[fTowZKontr]->SetAsInteger(rec->tow_z_kontr);
    FPlu[fOpis3]->SetAsString(rec->opis3);
    FPlu[fOpis4]->SetAsString(rec->opis4);
    FPlu[fPoziomCen]->SetAsInteger(rec->poziom_cen);
    FPlu[fIleWKodzie]->SetAsInteger(rec->ile_w_kodzie);
    FPlu[fDodRabatTow]->SetAsExtended(rec->dod_rabat_tow);
    FPlu[fNazwaPelna]->SetAsString(rec->nazwa_pelna);
    FPlu[fIleJedn]->SetAsInteger(rec->ile_jedn);
    FPlu[fNotatki]->SetAsString(rec->notatki);
}

void QxExpBuf::CzytajRec(int index, QxTowRec* rec) {
    ds_plu->SetPosition(index);
    rec->plu = static_cast<int>(FPlu[fPlu]->GetAsInteger());
    rec->koldod = static_cast<int>(FPlu[fKoldod]->GetAsInteger());
    rec->kod = FPlu[fKod]->GetAsString();
    rec->cena = static_cast<double>(FPlu[fCena]->GetAsExtended());
    rec->cena_hurt = static_cast<double>(FPlu[fCenaHurt]->GetAsExtended());
    rec->cena_noc = static_cast<double>(FPlu[fCenaNoc]->GetAsExtended());
    rec->cena_dod = static_cast<double>(FPlu[fCenaDod]->GetAsExtended());
    rec->nazwa = FPlu[fNazwa]->GetAsString();
    rec->stawka = static_cast<int>(FPlu[fStawka]->GetAsInteger());
    rec->stawkaPrec = static_cast<int>(FPlu[fStawkaPrec]->GetAsInteger());
    rec->jedn = static_cast<int>(FPlu[fJedn]->GetAsInteger());
    rec->czy_wazony = FPlu[fCzyWazony]->GetAsInteger() != 0;
    rec->precyzja = static_cast<int>(FPlu[fPrecyzja]->GetAsInteger());
    rec->wagowo_ilosciowy = FPlu[fWagowoIlosciowy]->GetAsInteger() != 0;
    rec->opakowanie = FPlu[fOpakowanie]->GetAsInteger() != 0;
    rec->cena_otwarta = FPlu[fCenaOtwarta]->GetAsInteger() != 0;
    rec->kod_opakowania = FPlu[fKodOpakowania]->GetAsString();
    rec->plu_opakowania = static_cast<int>(FPlu[fPluOpakowania]->GetAsInteger());
    rec->nr_asort = static_cast<int>(FPlu[fNrAsort]->GetAsInteger());
    rec->status = static_cast<stTow>(FPlu[fStatus]->GetAsInteger());
    rec->nr_buf = static_cast<int>(FPlu[fNrBuf]->GetAsInteger());
    rec->plu_rec = FPlu[fPluRec]->GetAsString();
    rec->tr_ok = FPlu[fTrOk]->GetAsInteger() != 0;
    rec->flag = FPlu[fFlag]->GetAsInteger() != 0;
    rec->add_rec = FPlu[fAddRec]->GetAsInteger() != 0;
    rec->org_barcode = FPlu[fOrgBarcode]->GetAsString();
    rec->org_status = static_cast<stTow>(FPlu[fOrgStatus]->GetAsInteger());
    rec->opis1 = FPlu[fOpis1]->GetAsString();
    rec->opis2 = FPlu[fOpis2]->GetAsString();
    rec->PKWiU = FPlu[fPKWiU]->GetAsString();
    rec->SWW = FPlu[fSWW]->GetAsString();
    rec->TerminW = static_cast<int>(FPlu[fTerminW]->GetAsInteger());
    rec->nr_src_buf = static_cast<int>(FPlu[fNrSrcBuf]->GetAsInteger());
    rec->from_ecr = FPlu[fFromEcr]->GetAsInteger() != 0;
    rec->tow_z_kontr = FPlu[fTowZKontr]->GetAsInteger() != 0;
    rec->opis3 = FPlu[fOpis3]->GetAsString();
    rec->opis4 = FPlu[fOpis4]->GetAsString();
    rec->poziom_cen = static_cast<int>(FPlu[fPoziomCen]->GetAsInteger());
    rec->ile_w_kodzie = static_cast<int>(FPlu[fIleWKodzie]->GetAsInteger());
    rec->dod_rabat_tow = static_cast<double>(FPlu[fDodRabatTow]->GetAsExtended());
    rec->nazwa_pelna = FPlu[fNazwaPelna]->GetAsString();
    rec->ile_jedn = static_cast<int>(FPlu[fIleJedn]->GetAsInteger());
    rec->notatki = FPlu[fNotatki]->GetAsString();
}

void QxExpBuf::DodajRec(QxKontrRec* rec) {
    ds_kontr->Append();
    FKontr[kKontrId]->SetAsInteger(rec->KontrId);
    FKontr[kNazwa]->SetAsString(rec->Nazwa);
    FKontr[kSkrot]->SetAsString(rec->Skrot);
    FKontr[kUlica]->SetAsString(rec->Ulica);
    FKontr[kKod]->SetAsString(rec->Kod);
    FKontr[kMiasto]->SetAsString(rec->Miasto);
    FKontr[kTelefon]->SetAsString(rec->Telefon);
    FKontr[kNIP]->SetAsString(rec->NIP);
    FKontr[kKodKarty]->SetAsString(rec->KodKarty);
    FKontr[kTermWaznKarty]->SetAsDateTime(rec->TermWaznKarty.Value());
    FKontr[kKartaAktywna]->SetAsInteger(rec->KartaAktywna);
    FKontr[kPoziomRabatu]->SetAsInteger(rec->PoziomRabatu);
    FKontr[kRabatOdbiorcy]->SetAsExtended(rec->RabatOdbiorcy);
    FKontr[kNrBuf]->SetAsInteger(ds_kontr->GetCount() - 1);
    FKontr[kIloscPunktow]->SetAsInteger(rec->IloscPunktow);
    ++il_kontr;
}

void QxExpBuf::CzytajRec(int index, QxKontrRec* rec) {
    ds_kontr->SetPosition(index);
    rec->KontrId = static_cast<int>(FKontr[kKontrId]->GetAsInteger());
    rec->Nazwa = FKontr[kNazwa]->GetAsString();
    rec->Skrot = FKontr[kSkrot]->GetAsString();
    rec->Ulica = FKontr[kUlica]->GetAsString();
    rec->Kod = FKontr[kKod]->GetAsString();
    rec->Miasto = FKontr[kMiasto]->GetAsString();
    rec->Telefon = FKontr[kTelefon]->GetAsString();
    rec->NIP = FKontr[kNIP]->GetAsString();
    rec->KodKarty = FKontr[kKodKarty]->GetAsString();
    rec->TermWaznKarty = TdtTools(FKontr[kTermWaznKarty]->GetAsDateTime());
    rec->KartaAktywna = FKontr[kKartaAktywna]->GetAsInteger() != 0;
    rec->PoziomRabatu = static_cast<int>(FKontr[kPoziomRabatu]->GetAsInteger());
    rec->RabatOdbiorcy = static_cast<double>(FKontr[kRabatOdbiorcy]->GetAsExtended());
    rec->nr_buf = static_cast<int>(FKontr[kNrBuf]->GetAsInteger());
    rec->IloscPunktow = static_cast<int>(FKontr[kIloscPunktow]->GetAsInteger());
}

void QxExpBuf::DodajAsort(QxAsort* rec) {
    ds_asort->Append();
    FAsNo->SetAsInteger(rec->nr);
    FAsName->SetAsString(rec->nazwa);
}

void QxExpBuf::CzytajAsort(int index, QxAsort* rec) {
    ds_asort->SetPosition(index);
    rec->nr = static_cast<int>(FAsNo->GetAsInteger());
    rec->nazwa = FAsName->GetAsString();
}

void QxExpBuf::ResetFlags(bool value) {
    const int count = ds_plu->GetCount();
    for (int i = 0; i < count; ++i) {
        ds_plu->SetPosition(i);
        FPlu[fFlag]->SetAsInteger(value);
    }
}

void QxExpBuf::PrzeliczTowary() {
    il_rec = ds_plu->GetCount();
    il_dod = il_akt = il_cen = il_usu = il_opak = 0;
    for (int i = 0; i < il_rec; ++i) {
        ds_plu->SetPosition(i);
        CountStatus(static_cast<int>(FPlu[fStatus]->GetAsInteger()), +1);
        if (FPlu[fOpakowanie]->GetAsInteger() != 0)
            ++il_opak;
    }
}

void QxExpBuf::AddInPlu(const AnsiString& kod, const AnsiString& dodinfo) {
    ds_inplu->Append();
    FInKod->SetAsString(kod);
    FInDodInfo->SetAsString(dodinfo);
}

// ---------------------------------------------------------------------------------------------
// Sort index by barcode

void QxExpBuf::CreateIndex() {
    ds_index->Clear();
    const int count = ds_plu->GetCount();
    for (int i = 0; i < count; ++i) {
        ds_index->Append();
        FIndex->SetAsInteger(i);
    }
}

int QxExpBuf::SortCompare(int i, int j) {
    ds_index->SetPosition(i);
    const int a = static_cast<int>(FIndex->GetAsInteger());
    ds_index->SetPosition(j);
    const int b = static_cast<int>(FIndex->GetAsInteger());
    ds_plu->SetPosition(a);
    const AnsiString ka = FPlu[fKod]->GetAsString();
    ds_plu->SetPosition(b);
    return AnsiCompare(ka, FPlu[fKod]->GetAsString());
}

int QxExpBuf::ExChange(int i, int j) {
    ds_index->SetPosition(i);
    const long long a = FIndex->GetAsInteger();
    ds_index->SetPosition(j);
    const long long b = FIndex->GetAsInteger();
    FIndex->SetAsInteger(a);
    ds_index->SetPosition(i);
    FIndex->SetAsInteger(b);
    return 0;
}

int QxExpBuf::FindCompare(int i) {
    ds_index->SetPosition(i);
    ds_plu->SetPosition(static_cast<int>(FIndex->GetAsInteger()));
    return AnsiCompare(SearchedPlu, FPlu[fKod]->GetAsString());
}

int QxExpBuf::FindRec(const AnsiString& kod, int count) {
    count = std::min(count, ds_plu->GetCount());
    if (count <= 0)
        return -1;
    SearchedPlu = kod;
    if (!Sorted) {
        CreateIndex();
        Sort(0, count - 1);
        Sorted = true;
    }
    // Records appended after the sort are not in the index.
    const int searched = std::min(count, ds_index->GetCount());
    if (searched <= 0)
        return -1;
    const int at = Find(0, searched - 1);
    if (at < 0)
        return -1;
    ds_index->SetPosition(at);
    return static_cast<int>(FIndex->GetAsInteger());
}

// ---------------------------------------------------------------------------------------------
// Export result file

void QxExpBuf::ZapiszWynikEksp(const AnsiString& fileName) {
    const int count = ds_plu->GetCount();
    if (ksaction != nullptr)
        ksaction->MsgAdd(Text("ZapiszWy", "zapis", u8"Zapis wyniku eksportu:"), LPV_Percent, count);
    TMFile file;
    try {
        file.SetPath(fileName);
        file.SetReadOnly(false);
        file.Open();
        file.SetPointer(0);
        file.SetEof();
        double lastReport = Clock().Now();
        for (int i = 0; i < count; ++i) {
            const double now = Clock().Now();
            if (now - lastReport > kWriteReportDays) {
                lastReport = now;
                if (ksaction != nullptr)
                    ksaction->MsgP(i + 1);
            }
            ds_plu->SetPosition(i);
            const int plu = static_cast<int>(FPlu[fPlu]->GetAsInteger());
            const int orgStatus = static_cast<int>(FPlu[fOrgStatus]->GetAsInteger());
            if (FPlu[fTrOk]->GetAsInteger() == 0 || FPlu[fAddRec]->GetAsInteger() != 0 || plu == 0 ||
                orgStatus < stDod || orgStatus > stUsu)
                continue;
            ++effect_exp;
            file.WriteLine(Format("PLU;%d;%d;", plu, static_cast<int>(FPlu[fKoldod]->GetAsInteger())) +
                           FPlu[fOrgBarcode]->GetAsString() + ";" + StatusWord(orgStatus));
        }
        file.Close();
        if (ksaction != nullptr) {
            ksaction->MsgP(count);
            ksaction->MsgS(LPV_Ok);
        }
    } catch (...) {
        if (ksaction != nullptr)
            ksaction->MsgS(LPV_Error);
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// Units, cashiers, currencies

AnsiString QxExpBuf::JednWord(int i, int word) const {
    if (i < 0 || i >= static_cast<int>(jmiary.size()))
        throw Exception(Text("IdxJedn", "zakres", u8"Indeks jednostki miary poza zakresem"));
    TLJWords words;
    words.FSeparator = ";";
    words.Init(jmiary[static_cast<size_t>(i)]);
    return words[word];
}

int QxExpBuf::IdxJednId(int i) const {
    return IntDef(JednWord(i, 0), 1);
}

int QxExpBuf::IdxJednPrec(int i) const {
    return IntDef(JednWord(i, 1), 0);
}

AnsiString QxExpBuf::IdxJednNazwa(int i) const {
    return JednWord(i, 2);
}

QxKasjer* QxExpBuf::GetKasjer(int i) const {
    if (i < 0 || i >= kasjerzy.GetCount())
        throw Exception(Text("GetKasje", "numer", u8"Nieprawidłowy numer kasjera"));
    return kasjerzy.Objects(i);
}

QxWaluta* QxExpBuf::GetWaluta(int i) const {
    if (i < 0 || i >= waluty.GetCount())
        throw Exception(Text("GetWalut", "numer", u8"Nieprawidłowy numer waluty"));
    return waluty.Objects(i);
}

// ---------------------------------------------------------------------------------------------
// Reconciling the register's list

void QxExpBuf::ModifyPLUStatus(QxTowRec& host, QxTowRec& ecr) {
    if (host.status == stDod || host.status == stCen)
        host.status = stAkt;
}

void QxExpBuf::AnalizujCancelBufor(bool stripZeros) {
    Reconcile(stripZeros, false);
}

void QxExpBuf::ComparePLUSets(bool stripZeros) {
    Reconcile(stripZeros, true);
}

void QxExpBuf::Reconcile(bool stripZeros, bool compareSets) {
    const int count = ds_plu->GetCount();
    ResetFlags(false);
    QxTowRec host;
    QxTowRec second;
    double lastReport = Clock().Now();
    const int entries = ds_inplu->GetCount();
    for (int e = 0; e < entries; ++e) {
        if (compareSets) {
            const double now = Clock().Now();
            if (now - lastReport > kReadReportDays) {
                lastReport = now;
                if (ksaction != nullptr)
                    ksaction->MsgP(e);
            }
        }
        ds_inplu->SetPosition(e);
        AnsiString code = FInKod->GetAsString();
        const AnsiString dodinfo = FInDodInfo->GetAsString();
        const size_t zeros = std::min(code.find_first_not_of('0'), code.size());
        if (zeros == code.size())
            continue;  // nothing but zeros
        const AnsiString key = code.substr(zeros);
        if (stripZeros)
            code = key;

        const int idx = FindRec(key, count);
        if (idx < 0) {
            // The register holds goods the host does not know: they are to be deleted.
            QxTowRec rec;
            rec.kod = code;
            rec.status = stUsu;
            rec.from_ecr = true;
            rec.flag = true;
            DodInfo2TowRec(dodinfo, &rec);
            DodajRec(&rec);
            continue;
        }
        CzytajRec(idx, &host);
        if (compareSets)
            second = QxTowRec();  // a fresh record for every entry
        second.kod = host.kod;
        DodInfo2TowRec(dodinfo, &second);
        ModifyPLUStatus(host, second);
        host.flag = true;
        ZapiszRec(idx, &host);
        if (compareSets && CheckIfDeletePLU(host, second)) {
            second.status = stUsu;
            second.from_ecr = true;
            second.flag = true;
            DodajRec(&second);
        }
    }
    // The host's goods the register does not have.
    for (int i = 0; i < count; ++i) {
        CzytajRec(i, &host);
        if (host.flag)
            continue;
        if (host.status == stAkt || host.status == stCen)
            host.status = stDod;
        else if (host.status == stUsu)
            host.status = stNull;
        else
            continue;
        ZapiszRec(i, &host);
    }
    PrzeliczTowary();
}

// ---------------------------------------------------------------------------------------------
// Customers to discount-card goods

int QxExpBuf::UtworzTowaryZKontrahentow(int pluBase, const AnsiString& mask, AnsiString& debugText) {
    if (ksaction != nullptr)
        ksaction->MsgAdd(Text("UtworzTo", "karty", u8"Przygotowanie kart stałego klienta..."), LPV_Value, 100);
    debugText = "----------- [DEBUG KONWERSJI DANYCH KONTRAHENTA NA KOD KARTY RABATOWEJ] ------------\r\n";
    il_tow_z_kontr = 0;
    const AnsiString termin = Ansi(u8"(termin ważn.) + ");
    QxKontrRec kontr;
    QxTowRec tow;
    const int customers = std::min(il_kontr, ds_kontr->GetCount());
    for (int i = 0; i < customers; ++i) {
        if (i % 100 == 0 && ksaction != nullptr)
            ksaction->MsgP(i);
        CzytajRec(i, &kontr);
        tow.Clear();
        TKartaRab card;
        tow.nazwa = kontr.Nazwa;
        card.TermWaznKarty = kontr.TermWaznKarty;
        card.PoziomRabatu = kontr.PoziomRabatu;
        card.KodKarty = kontr.KodKarty;
        tow.kod = card.Poskladaj(mask, LgLink);

        if (i < 3000) {
            debugText += Format("%2d(przedrostek) + ", card.Przedrostek);
            debugText += Format("%10s", card.TermWaznKarty.ToString(TdtTools::fmt4YDate).c_str()) + termin;
            debugText += Format("%1d(poziom rab.) + %13s(kod karty) ---> %13s (format)\r\n", card.PoziomRabatu,
                                card.KodKarty.c_str(), mask.c_str());
            debugText += Format("%92s%13s (kod po konwersji)\r\n", "", tow.kod.c_str());
        } else if (i == 3000) {
            debugText += "itd...\r\n";
        }

        tow.plu = static_cast<int>(static_cast<long long>(kontr.KontrId) + pluBase);
        const double points = static_cast<double>(kontr.IloscPunktow) * 100;
        tow.cena = tow.cena_hurt = tow.cena_noc = tow.cena_dod = points;
        tow.status = stDod;
        tow.tow_z_kontr = true;
        tow.jedn = IdxJednId(0);
        if (stawki.empty())
            throw Exception(Text("UtworzTo", "stawka", u8"Konwersja kontrahentów na towary - błąd stawki VAT"));
        tow.stawka = IntDef(stawki[0], 0);
        // The rate in hundredths goes with it, as for goods lines of the file.
        const int fromPercent = tow.stawka < 0 ? -1 : Saturate(static_cast<long double>(tow.stawka) * 100);
        tow.stawkaPrec = stawkiPrec.empty() ? fromPercent : IntDef(stawkiPrec[0], fromPercent);
        DodajRec(&tow);
    }
    if (ksaction != nullptr)
        ksaction->MsgS(LPV_Ok);
    return il_tow_z_kontr;
}
