#include "exchange/ExpBuf.h"

#include <algorithm>
#include <cmath>

#include "codes/KartaRab.h"
#include "ecr/LTools.h"
#include "exchange/ExportWords.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/LineReader.h"
#include "platform/NumberTools.h"
#include "platform/Os.h"
#include "platform/ProgressSink.h"
#include "platform/Translation.h"

namespace {

// One second in days: progress is reported at most this often while reading.
const double kReadReportDays = 1.16e-05;
const double kWriteReportDays = 1e-05;
const unsigned kReadYieldMs = 20;

// Paces the progress reports of a long loop: Due() is true at most once per interval (days).
// It counts on the system's millisecond ticks, which cost far less to read than the date and
// time of day and do not jump with the clock.
class TReportPace {
public:
    explicit TReportPace(double interval)
        : FInterval(static_cast<uint32_t>(interval * 86400000.0)), FLast(GetTickCount()) {}
    bool Due() {
        const uint32_t now = GetTickCount();
        if (static_cast<uint32_t>(now - FLast) <= FInterval) return false;
        FLast = now;
        return true;
    }

private:
    uint32_t FInterval;
    uint32_t FLast;
};

// The line without the bytes up to a space at either end, as Trim does.
std::string_view Trimmed(std::string_view line) {
    size_t begin = 0, end = line.size();
    while (begin < end && static_cast<unsigned char>(line[begin]) <= ' ') ++begin;
    while (end > begin && static_cast<unsigned char>(line[end - 1]) <= ' ') --end;
    return line.substr(begin, end - begin);
}

}  // namespace

// ds_plu in the host's order: each field and the goods record member it holds.
const QxExpBuf::TTowFields::Column QxExpBuf::kTowColumns[] = {
    {"plu", &QxTowRec::plu},
    {"koldod", &QxTowRec::koldod},
    {"kod", &QxTowRec::kod},
    {"cena", &QxTowRec::cena},
    {"cena_hurt", &QxTowRec::cena_hurt},
    {"cena_noc", &QxTowRec::cena_noc},
    {"cena_dod", &QxTowRec::cena_dod},
    {"nazwa", &QxTowRec::nazwa},
    {"stawka", &QxTowRec::stawka},
    {"stawka_prec", &QxTowRec::stawkaPrec},
    {"jedn", &QxTowRec::jedn},
    {"czy_wazony", &QxTowRec::czy_wazony},
    {"precyzja", &QxTowRec::precyzja},
    {"wagowo_ilosciowy", &QxTowRec::wagowo_ilosciowy},
    {"opakowanie", &QxTowRec::opakowanie},
    {"cena_otwarta", &QxTowRec::cena_otwarta},
    {"kod_opakowania", &QxTowRec::kod_opakowania},
    {"plu_opakowania", &QxTowRec::plu_opakowania},
    {"nr_asort", &QxTowRec::nr_asort},
    {"status", &QxTowRec::status},
    {"nr_buf", &QxTowRec::nr_buf},
    {"plu_rec", &QxTowRec::plu_rec},
    {"tr_ok", &QxTowRec::tr_ok},
    {"flag", &QxTowRec::flag},
    {"add_rec", &QxTowRec::add_rec},
    {"org_barcode", &QxTowRec::org_barcode},
    {"org_status", &QxTowRec::org_status},
    {"opis1", &QxTowRec::opis1},
    {"opis2", &QxTowRec::opis2},
    {"PKWiU", &QxTowRec::PKWiU},
    {"SWW", &QxTowRec::SWW},
    {"TerminW", &QxTowRec::TerminW},
    {"fd_nr_src_buf", &QxTowRec::nr_src_buf},
    {"fd_from_ecr", &QxTowRec::from_ecr},
    {"fd_tow_z_kontr", &QxTowRec::tow_z_kontr},
    {"opis3", &QxTowRec::opis3},
    {"opis4", &QxTowRec::opis4},
    {"poziom_cen", &QxTowRec::poziom_cen},
    {"ile_w_kodzie", &QxTowRec::ile_w_kodzie},
    {"fd_dod_rabat_tow", &QxTowRec::dod_rabat_tow},
    {"nazwa_pelna", &QxTowRec::nazwa_pelna},
    {"ile_jedn", &QxTowRec::ile_jedn},
    {"notatki", &QxTowRec::notatki},
};

// ds_kontr: each field and the customer record member it holds.
const QxExpBuf::TKontrFields::Column QxExpBuf::kKontrColumns[] = {
    {"KontrId", &QxKontrRec::KontrId},
    {"Nazwa", &QxKontrRec::Nazwa},
    {"Skrot", &QxKontrRec::Skrot},
    {"Ulica", &QxKontrRec::Ulica},
    {"Kod", &QxKontrRec::Kod},
    {"Miasto", &QxKontrRec::Miasto},
    {"Telefon", &QxKontrRec::Telefon},
    {"NIP", &QxKontrRec::NIP},
    {"KodKarty", &QxKontrRec::KodKarty},
    {"TermWaznKarty", &QxKontrRec::TermWaznKarty},
    {"KartaAktywna", &QxKontrRec::KartaAktywna},
    {"PoziomRabatu", &QxKontrRec::PoziomRabatu},
    {"RabatOdbiorcy", &QxKontrRec::RabatOdbiorcy},
    {"NrBuf", &QxKontrRec::nr_buf},
    {"IloscPunktow", &QxKontrRec::IloscPunktow},
};

QxExpBuf::QxExpBuf(TProgressSink* action)
    : ksaction(action),
      LgLink(action != nullptr ? action->GetLgLink() : nullptr),
      ds_plu(new TMDataSet),
      ds_inplu(new TMDataSet),
      ds_index(new TMDataSet),
      ds_asort(new TMDataSet),
      ds_kontr(new TMDataSet) {
    FTow.Bind(*ds_plu, kTowColumns);
    FKod = FTow.Field(&QxTowRec::kod);
    FStatus = FTow.Field(&QxTowRec::status);
    FFlag = FTow.Field(&QxTowRec::flag);
    FOpakowanie = FTow.Field(&QxTowRec::opakowanie);
    FNrBuf = FTow.Field(&QxTowRec::nr_buf);
    ds_plu->Open();

    FInKod = ds_inplu->Fields().Add("kod", mftString);
    FInDodInfo = ds_inplu->Fields().Add("dodinfo", mftString);
    ds_inplu->Open();

    FIndex = ds_index->Fields().Add("index", mftInteger);
    ds_index->Open();

    FAsNo = ds_asort->Fields().Add("as_asno", mftInteger);
    FAsName = ds_asort->Fields().Add("as_name", mftString);
    ds_asort->Open();

    FKontr.Bind(*ds_kontr, kKontrColumns);
    FKontrNrBuf = FKontr.Field(&QxKontrRec::nr_buf);
    ds_kontr->Open();
}

QxExpBuf::~QxExpBuf() { Clear(); }

AnsiString QxExpBuf::Text(const char* method, const char* piece, const char* defaultUtf8, int duplicate) const {
    return Tr(LgLink, kExpBufContext, "QxExpBuf", method, piece, defaultUtf8, duplicate);
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
        TLTools::ArchiveFile(fileName, ExtractFilePath(fileName) + "ARCH2.EXP", LgLink, true, exportKind, true, "");
        // The lines are read in blocks, twice: counted for the progress line, then taken in.
        TMFile file;
        file.SetPath(fileName);
        file.Open();
        int count = 0;
        std::string_view raw;
        for (TLineReader counter(file, true); counter.Next(raw);) ++count;
        file.SetPointer(0);
        TLineReader reader(file, true);
        if (ksaction != nullptr) {
            ksaction->MsgS(LPV_Ok);
            ksaction->MsgAdd(Text("ReadFrom", "analiza", u8"Analiza listy towarów"), LPV_Percent, count);
        }

        TLJWords words;
        words.FSeparator = ";";
        QxTowRec tow;
        QxKontrRec kontr;
        TReportPace pace(kReadReportDays);
        for (int i = 0; reader.Next(raw); ++i) {
            if (pace.Due()) {
                if (ksaction != nullptr) ksaction->MsgP(i);
                Sleep(kReadYieldMs);
            }
            const std::string_view line = Trimmed(raw);
            // A CR or LF left inside a line joins lines that end otherwise than in CR LF (a file
            // with LF line ends reads as one line): refuse the file rather than misread it.
            if (line.find('\r') != std::string_view::npos || line.find('\n') != std::string_view::npos)
                throw Exception(BadExportFormat(LgLink));
            if (line.empty() || line[0] == '#' || line[0] == '[') continue;
            words.Init(line);
            const std::string_view kind = words.Word(0);
            if (kind == "PLU") {
                tow.Clear();
                tow.FromLine(words, LgLink);
                DodajRec(&tow);
            } else if (kind == "KON" || kind == "KONA") {
                zm_listy_kontr = kind == "KON";
                kontr.Clear();
                kontr.FromLine(AnsiString(line), LgLink);
                DodajRec(&kontr);
            } else if (kind == "VAT") {
                const AnsiString rate = words[1];
                stawki.push_back(rate);
                if (words.GetCount() > 2)
                    stawkiPrec.push_back(words[2]);
                else
                    stawkiPrec.push_back(IntToStr(RateInHundredths(StrToIntDef(rate, 0))));
            } else if (kind == "JM") {
                jmiary.push_back(words[1] + ";" + words[2] + ";" + words[3]);
            } else if (kind == "OPER" || kind == "WAL") {
                const AnsiString text = words[1] + ";" + words[2] + ";" + words[3] + ";" + words[4] + ";" + words[5];
                if (kind == "OPER")
                    kasjerzy.Add(text, new QxKasjer(text, LgLink));
                else
                    waluty.Add(text, new QxWaluta(text, LgLink));
            } else if (kind == "ASS") {
                QxAsort as;
                as.nr = StrToInt(words[1]);
                as.nazwa = words[2];
                DodajAsort(&as);
            } else if (kind.substr(0, 3) == "EUR") {
                TxfTools rate;
                rate.FromString(words[1], 10, false);
                const long double value = rate.Value() / 10000;
                FKursEURO = std::isfinite(static_cast<double>(value)) ? static_cast<double>(value) : 0;
            }
        }
        file.Close();
        if (ksaction != nullptr) ksaction->MsgP(count);
        if (sort && ds_plu->GetCount() > 0 && !Sorted) {
            CreateIndex();
            Sort(0, ds_plu->GetCount() - 1);
            Sorted = true;
        }
    } catch (...) {
        if (ksaction != nullptr) ksaction->MsgS(LPV_Error);
        throw;
    }
    if (ksaction != nullptr) ksaction->MsgS(LPV_Ok);
}

void QxExpBuf::DodajRec(QxTowRec* rec) {
    ds_plu->Append();
    FTow.Write(*rec);
    FNrBuf->SetAsInteger(ds_plu->GetCount() - 1);
    ++il_rec;
    CountStatus(rec->status, +1);
    if (rec->opakowanie) ++il_opak;
    if (rec->tow_z_kontr) ++il_tow_z_kontr;
}

void QxExpBuf::ZapiszRec(int index, QxTowRec* rec) {
    ds_plu->SetPosition(index);
    const int oldStatus = static_cast<int>(FStatus->GetAsInteger());
    FTow.Write(*rec);
    CountStatus(oldStatus, -1);
    CountStatus(rec->status, +1);
}

void QxExpBuf::CzytajRec(int index, QxTowRec* rec) {
    ds_plu->SetPosition(index);
    FTow.Read(*rec);
}

void QxExpBuf::DodajRec(QxKontrRec* rec) {
    ds_kontr->Append();
    FKontr.Write(*rec);
    FKontrNrBuf->SetAsInteger(ds_kontr->GetCount() - 1);
    ++il_kontr;
}

void QxExpBuf::CzytajRec(int index, QxKontrRec* rec) {
    ds_kontr->SetPosition(index);
    FKontr.Read(*rec);
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
        FFlag->SetAsInteger(value);
    }
}

void QxExpBuf::PrzeliczTowary() {
    il_rec = ds_plu->GetCount();
    il_dod = il_akt = il_cen = il_usu = il_opak = 0;
    for (int i = 0; i < il_rec; ++i) {
        ds_plu->SetPosition(i);
        CountStatus(static_cast<int>(FStatus->GetAsInteger()), +1);
        if (FOpakowanie->GetAsInteger() != 0) ++il_opak;
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
    const AnsiString ka = FKod->GetAsString();
    ds_plu->SetPosition(b);
    return AnsiCompare(ka, FKod->GetAsString());
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
    return AnsiCompare(SearchedPlu, FKod->GetAsString());
}

int QxExpBuf::FindRec(const AnsiString& kod, int count) {
    count = std::min(count, ds_plu->GetCount());
    if (count <= 0) return -1;
    SearchedPlu = kod;
    if (!Sorted) {
        CreateIndex();
        Sort(0, count - 1);
        Sorted = true;
    }
    // Records appended after the sort are not in the index.
    const int searched = std::min(count, ds_index->GetCount());
    if (searched <= 0) return -1;
    const int at = Find(0, searched - 1);
    if (at < 0) return -1;
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
        QxTowRec rec;
        TReportPace pace(kWriteReportDays);
        for (int i = 0; i < count; ++i) {
            if (pace.Due() && ksaction != nullptr) ksaction->MsgP(i + 1);
            CzytajRec(i, &rec);
            if (!rec.tr_ok || rec.add_rec || rec.plu == 0 || rec.org_status < stDod || rec.org_status > stUsu) continue;
            ++effect_exp;
            file.WriteLine(Format("PLU;%d;%d;", rec.plu, rec.koldod) + rec.org_barcode + ";" +
                           StatusWord(rec.org_status));
        }
        file.Close();
        if (ksaction != nullptr) {
            ksaction->MsgP(count);
            ksaction->MsgS(LPV_Ok);
        }
    } catch (...) {
        if (ksaction != nullptr) ksaction->MsgS(LPV_Error);
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

int QxExpBuf::IdxJednId(int i) const { return StrToIntDef(JednWord(i, 0), 1); }

int QxExpBuf::IdxJednPrec(int i) const { return StrToIntDef(JednWord(i, 1), 0); }

AnsiString QxExpBuf::IdxJednNazwa(int i) const { return JednWord(i, 2); }

QxKasjer* QxExpBuf::GetKasjer(int i) const {
    if (i < 0 || i >= kasjerzy.GetCount()) throw Exception(Text("GetKasje", "numer", u8"Nieprawidłowy numer kasjera"));
    return kasjerzy.Objects(i);
}

QxWaluta* QxExpBuf::GetWaluta(int i) const {
    if (i < 0 || i >= waluty.GetCount()) throw Exception(Text("GetWalut", "numer", u8"Nieprawidłowy numer waluty"));
    return waluty.Objects(i);
}

// ---------------------------------------------------------------------------------------------
// Reconciling the register's list

void QxExpBuf::ModifyPLUStatus(QxTowRec& host, QxTowRec& ecr) {
    if (host.status == stDod || host.status == stCen) host.status = stAkt;
}

void QxExpBuf::AnalizujCancelBufor(bool stripZeros) { Reconcile(stripZeros, false); }

void QxExpBuf::ComparePLUSets(bool stripZeros) { Reconcile(stripZeros, true); }

void QxExpBuf::Reconcile(bool stripZeros, bool compareSets) {
    const int count = ds_plu->GetCount();
    ResetFlags(false);
    QxTowRec host;
    QxTowRec second;
    TReportPace pace(kReadReportDays);
    const int entries = ds_inplu->GetCount();
    for (int e = 0; e < entries; ++e) {
        if (compareSets && pace.Due() && ksaction != nullptr) ksaction->MsgP(e);
        ds_inplu->SetPosition(e);
        AnsiString code = FInKod->GetAsString();
        const AnsiString dodinfo = FInDodInfo->GetAsString();
        const size_t zeros = std::min(code.find_first_not_of('0'), code.size());
        if (zeros == code.size()) continue;  // nothing but zeros
        const AnsiString key = code.substr(zeros);
        if (stripZeros) code = key;

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
        if (compareSets) second = QxTowRec();  // a fresh record for every entry
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
        if (host.flag) continue;
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
        if (i % 100 == 0 && ksaction != nullptr) ksaction->MsgP(i);
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
        tow.stawka = StrToIntDef(stawki[0], 0);
        // The rate in hundredths goes with it, as for goods lines of the file.
        const int fromPercent = ClampToInt(RateInHundredths(tow.stawka));
        tow.stawkaPrec = stawkiPrec.empty() ? fromPercent : StrToIntDef(stawkiPrec[0], fromPercent);
        DodajRec(&tow);
    }
    if (ksaction != nullptr) ksaction->MsgS(LPV_Ok);
    return il_tow_z_kontr;
}
