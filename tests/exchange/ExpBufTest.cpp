#include "exchange/ExpBuf.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/Translation.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace xtest;

namespace {

const char* const kArchiveHeader = "\r\n----------- [EKSPORT WYKONANY DNIA: 2025-03-14 12:00:00] ------------\r\n";

// Copies the sample export file into a scratch folder; returns its path there.
std::string SampleExport(const std::string& name) {
    const std::string path = ScratchDir(name) + "kasa.exp";
    WriteAll(path, Expected("kasa.exp"));
    return path;
}

std::string WriteExport(const std::string& name, const std::string& content) {
    const std::string path = ScratchDir(name) + "kasa.exp";
    WriteAll(path, content);
    return path;
}

const char* const kPluLine = "PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DOD";

// Reads one PLU line and returns its record.
QxTowRec ReadOne(const std::string& line) {
    TLJWords words;
    words.FSeparator = ";";
    words.Init(line);
    QxTowRec rec;
    rec.FromLine(words, nullptr);
    return rec;
}

std::string ReadError(const std::string& content) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    try {
        buf.ReadFromFile(WriteExport("exp_err", content), false, -1);
    } catch (const Exception& e) {
        return e.Message();
    }
    return "no error";
}

// Hooks of the reconciliation, recorded.
class HookedExpBuf : public QxExpBuf {
public:
    explicit HookedExpBuf(TProgressSink* sink) : QxExpBuf(sink) {}
    void DodInfo2TowRec(const AnsiString& dodinfo, QxTowRec* rec) override {
        rec->plu_rec = dodinfo;
        rec->add_rec = true;
    }
    bool CheckIfDeletePLU(QxTowRec& host, QxTowRec& ecr) override {
        checked.push_back(host.kod + "/" + ecr.kod + "/" + ecr.plu_rec);
        return deleteAll;
    }
    std::vector<std::string> checked;
    bool deleteAll = false;
};

void AddHost(QxExpBuf& buf, int plu, const char* kod, stTow status) {
    QxTowRec rec;
    rec.plu = plu;
    rec.kod = kod;
    rec.status = status;
    rec.org_status = status;
    buf.DodajRec(&rec);
}

}  // namespace

TEST(ExpBuf, ReadsTheSampleFile) {
    ClockGuard clock;
    RecordingSink sink;
    QxExpBuf buf(&sink);
    buf.ReadFromFile(SampleExport("exp_sample"), false, -1);

    EXPECT_EQ(buf.il_rec, 5);
    EXPECT_EQ(buf.il_dod, 2);
    EXPECT_EQ(buf.il_akt, 1);
    EXPECT_EQ(buf.il_cen, 1);
    EXPECT_EQ(buf.il_usu, 1);
    EXPECT_EQ(buf.il_opak, 1);
    EXPECT_EQ(buf.stawki, (std::vector<AnsiString>{"23", "-1", "8"}));
    EXPECT_EQ(buf.stawkiPrec, (std::vector<AnsiString>{"2300", "-1", "800"}));
    EXPECT_EQ(buf.jmiary, (std::vector<AnsiString>{"1;0;szt", "2;3;kg"}));
    EXPECT_DOUBLE_EQ(buf.FKursEURO, 4.3215);
    EXPECT_EQ(buf.il_kontr, 2);
    EXPECT_FALSE(buf.zm_listy_kontr);
    ASSERT_EQ(buf.kasjerzy.GetCount(), 1);
    EXPECT_EQ(buf.kasjerzy.Strings(0), "1;Kowalski;3;ID1;K1");
    ASSERT_EQ(buf.waluty.GetCount(), 1);
    ASSERT_EQ(buf.GetAsortCount(), 1);
    QxAsort as;
    buf.CzytajAsort(0, &as);
    EXPECT_EQ(as.nr, 5);
    EXPECT_EQ(as.nazwa, "Nabial");

    QxTowRec r;
    buf.CzytajRec(1, &r);
    EXPECT_EQ(r.plu, 2);
    EXPECT_EQ(r.koldod, 5);
    EXPECT_EQ(r.kod, "5901234123457");
    EXPECT_EQ(r.nazwa, "Mas\xB3o");
    EXPECT_EQ(r.cena, 710);  // price level 2: the additional price
    EXPECT_EQ(r.cena_hurt, 650);
    EXPECT_EQ(r.cena_noc, 720);
    EXPECT_EQ(r.cena_dod, 710);
    EXPECT_EQ(r.stawka, 8);
    EXPECT_EQ(r.stawkaPrec, 0);  // word 30 present but empty
    EXPECT_EQ(r.jedn, 2);
    EXPECT_TRUE(r.czy_wazony);
    EXPECT_EQ(r.precyzja, 3);
    EXPECT_TRUE(r.wagowo_ilosciowy);
    EXPECT_FALSE(r.opakowanie);
    EXPECT_FALSE(r.cena_otwarta);
    EXPECT_EQ(r.kod_opakowania, "9000");
    EXPECT_EQ(r.plu_opakowania, 90);
    EXPECT_EQ(r.nr_asort, 4);
    EXPECT_EQ(r.status, stAkt);
    EXPECT_EQ(r.org_status, stAkt);
    EXPECT_EQ(r.opis1, "op1");
    EXPECT_EQ(r.opis2, "op2");
    EXPECT_EQ(r.PKWiU, "PKW");
    EXPECT_EQ(r.SWW, "SWW");
    EXPECT_EQ(r.TerminW, 30);
    EXPECT_EQ(r.poziom_cen, 2);
    EXPECT_EQ(r.ile_w_kodzie, 1000);
    EXPECT_EQ(r.opis3, "op3");
    EXPECT_EQ(r.opis4, "op4");
    EXPECT_DOUBLE_EQ(r.dod_rabat_tow, 1.5);
    EXPECT_EQ(r.nazwa_pelna, "Pelna nazwa");
    EXPECT_EQ(r.ile_jedn, 12);
    EXPECT_EQ(r.notatki, "notatka");
    EXPECT_EQ(r.nr_buf, 1);
    EXPECT_FALSE(r.tr_ok);

    buf.CzytajRec(2, &r);  // a quarter unit in the code
    EXPECT_EQ(r.cena, 63);
    EXPECT_EQ(r.cena_hurt, 25);
    EXPECT_EQ(r.cena_noc, 75);
    EXPECT_EQ(r.cena_dod, 100);
    EXPECT_EQ(r.poziom_cen, -1);
    EXPECT_EQ(r.ile_w_kodzie, 250);
    EXPECT_FALSE(r.czy_wazony);
    EXPECT_TRUE(r.wagowo_ilosciowy);
    EXPECT_TRUE(r.cena_otwarta);

    buf.CzytajRec(3, &r);  // indented line; price level 3: the night price
    EXPECT_EQ(r.kod, "300");
    EXPECT_EQ(r.cena, 120);
    EXPECT_EQ(r.stawkaPrec, -1);
    EXPECT_EQ(r.status, stUsu);

    buf.CzytajRec(4, &r);
    EXPECT_EQ(r.cena, 110);  // price level 1: wholesale
    EXPECT_EQ(r.TerminW, 7);
    EXPECT_EQ(r.ile_w_kodzie, 1000);
    EXPECT_EQ(r.stawkaPrec, 800);
    EXPECT_EQ(r.ile_jedn, 3);
    EXPECT_EQ(r.kod_opakowania, "");
    EXPECT_TRUE(r.opakowanie);

    QxKontrRec k;
    buf.CzytajRec(0, &k);
    EXPECT_EQ(k.KontrId, 17);
    EXPECT_EQ(k.Nazwa, "Firma");
    EXPECT_EQ(k.Ulica, "Ulica 1");
    EXPECT_EQ(k.NIP, "5260250274");
    EXPECT_EQ(k.KodKarty, "123");
    EXPECT_EQ(k.TermWaznKarty.Value(), TdtTools(2027, 3, 31).Value());
    EXPECT_TRUE(k.KartaAktywna);
    EXPECT_DOUBLE_EQ(k.RabatOdbiorcy, 2.5);
    EXPECT_EQ(k.PoziomRabatu, 5);
    EXPECT_EQ(k.IloscPunktow, 40);
    EXPECT_EQ(k.nr_buf, 0);
    buf.CzytajRec(1, &k);
    EXPECT_EQ(k.KontrId, 18);
    EXPECT_EQ(k.IloscPunktow, 0);
    EXPECT_EQ(k.nr_buf, 1);

    EXPECT_EQ(sink.log, (std::vector<std::string>{"add " + Ansi(u8"Wczytywanie listy towarów") + " 5 100", "s 0",
                                                  "add " + Ansi(u8"Analiza listy towarów") + " 3 21", "p 21", "s 0"}));
}

TEST(ExpBuf, ReadingArchivesTheFileWithAnExportHeader) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    const std::string path = SampleExport("exp_archive");
    const std::string folder = path.substr(0, path.size() - std::string("kasa.exp").size());
    WriteAll(folder + "ARCH2.EXP", "earlier\r\n");
    buf.ReadFromFile(path, false, -1);
    EXPECT_EQ(ReadAll(folder + "ARCH2.EXP"), "earlier\r\n" + std::string(kArchiveHeader) + Expected("kasa.exp"));
}

TEST(ExpBuf, LastLineWithoutLineEndIsReadAndArchived) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    const std::string path = WriteExport("exp_noeol", "VAT;23\r\nPLU;1;0;1;A;1;1;1;1;23;1;F;0;F;F;T;;;0;DOD");
    buf.ReadFromFile(path, false, 2);
    EXPECT_EQ(buf.il_rec, 1);
    const std::string folder = path.substr(0, path.size() - std::string("kasa.exp").size());
    EXPECT_EQ(ReadAll(folder + "ARCH2.EXP"),
              "\r\n----------- [EKSPORT WYKONANY DNIA: 2025-03-14 12:00:00] ------------\r\n"
              "WSZYSTKIE\r\nVAT;23\r\nPLU;1;0;1;A;1;1;1;1;23;1;F;0;F;F;T;;;0;DOD\r\n");
}

TEST(ExpBuf, MissingFileRaisesAndArchivesNothing) {
    ClockGuard clock;
    RecordingSink sink;
    QxExpBuf buf(&sink);
    const std::string folder = ScratchDir("exp_missing");
    EXPECT_THROW(buf.ReadFromFile(folder + "kasa.exp", false, -1), EMException);
    EXPECT_FALSE(std::filesystem::exists(folder + "ARCH2.EXP"));
    EXPECT_EQ(sink.log.back(), "s 1");
}

TEST(ExpBuf, NineteenWordLineGetsTheDefaults) {
    const QxTowRec r = ReadOne(kPluLine);
    EXPECT_EQ(r.opis1, "");
    EXPECT_EQ(r.opis2, "");
    EXPECT_EQ(r.opis3, "");
    EXPECT_EQ(r.opis4, "");
    EXPECT_EQ(r.PKWiU, "");
    EXPECT_EQ(r.SWW, "");
    EXPECT_EQ(r.TerminW, 0);
    EXPECT_EQ(r.poziom_cen, -1);
    EXPECT_EQ(r.ile_w_kodzie, 1000);
    EXPECT_EQ(r.stawkaPrec, 2300);
    EXPECT_EQ(r.plu_opakowania, 0);
    EXPECT_EQ(r.kod_opakowania, "");
    EXPECT_EQ(r.org_barcode, "123");
    EXPECT_EQ(r.org_status, stDod);
    EXPECT_EQ(r.cena, 250);
    EXPECT_EQ(r.cena_dod, 255);
    EXPECT_EQ(r.nazwa_pelna, "");
    EXPECT_EQ(r.ile_jedn, 0);
}

TEST(ExpBuf, OptionalWordsKeepTheirDefaultsAfterTheLineRunsOut) {
    QxTowRec r;
    r.PKWiU = "old";
    r.poziom_cen = 3;
    r.ile_w_kodzie = 5;
    TLJWords words;
    words.FSeparator = ";";
    words.Init(std::string(kPluLine) + ";o1");
    r.FromLine(words, nullptr);
    EXPECT_EQ(r.opis1, "o1");
    EXPECT_EQ(r.PKWiU, "");
    EXPECT_EQ(r.poziom_cen, -1);
    EXPECT_EQ(r.ile_w_kodzie, 1000);
}

TEST(ExpBuf, PriceLevelsOfTheFile) {
    const std::string base = "PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DOD;;;;;;";
    EXPECT_EQ(ReadOne(base + "1").cena, 240);
    EXPECT_EQ(ReadOne(base + "2").cena, 255);
    EXPECT_EQ(ReadOne(base + "3").cena, 260);
    EXPECT_EQ(ReadOne(base + "0").cena, 250);
    EXPECT_EQ(ReadOne(base + "4").cena, 250);
    EXPECT_EQ(ReadOne(base + "x").poziom_cen, -1);
    // CenaAkt numbers the levels differently: 2 is the night price, 3 the additional one.
    const QxTowRec r = ReadOne(base + "0");
    EXPECT_EQ(r.CenaAkt(0), 250);
    EXPECT_EQ(r.CenaAkt(1), 240);
    EXPECT_EQ(r.CenaAkt(2), 260);
    EXPECT_EQ(r.CenaAkt(3), 255);
    EXPECT_EQ(r.CenaAkt(9), 250);
}

TEST(ExpBuf, QuantityInTheCodeScalesAndRoundsThePrices) {
    const std::string base = "PLU;1;0;123;X;251;-251;1000;3;23;1;F;0;F;F;T;;;0;DOD;;;;;;;";
    const QxTowRec q = ReadOne(base + "250");
    EXPECT_EQ(q.cena, 63);
    EXPECT_EQ(q.cena_hurt, -63);
    EXPECT_EQ(q.cena_noc, 250);
    EXPECT_EQ(q.cena_dod, 1);
    const QxTowRec same = ReadOne(base + "1000");
    EXPECT_EQ(same.cena, 251);
    EXPECT_EQ(same.cena_hurt, -251);
    const QxTowRec twice = ReadOne(base + "2000");
    EXPECT_EQ(twice.cena, 502);
    const QxTowRec junk = ReadOne(base + "abc");
    EXPECT_EQ(junk.ile_w_kodzie, 1000);
    EXPECT_EQ(junk.cena, 251);
}

TEST(ExpBuf, RateInHundredths) {
    const std::string base = "PLU;1;0;123;X;1;1;1;1;";
    const std::string mid = ";1;F;0;F;F;T;;;0;DOD";
    EXPECT_EQ(ReadOne(base + "8" + mid).stawkaPrec, 800);
    EXPECT_EQ(ReadOne(base + "-1" + mid).stawkaPrec, -1);
    EXPECT_EQ(ReadOne(base + "-5" + mid).stawkaPrec, -1);
    const std::string to29 = base + "23" + mid + ";;;;;;;;;;1";
    // 30 words: word 30 absent -> from the percent rate; a trailing separator adds no word.
    EXPECT_EQ(ReadOne(to29).stawkaPrec, 2300);
    EXPECT_EQ(ReadOne(to29 + ";").stawkaPrec, 2300);
    // 31 words with an empty word 30 -> 0.
    EXPECT_EQ(ReadOne(to29 + ";;").stawkaPrec, 0);
    EXPECT_EQ(ReadOne(to29 + ";550").stawkaPrec, 550);
    EXPECT_EQ(ReadOne(to29 + ";5x;Pelna").stawkaPrec, 0);
}

TEST(ExpBuf, NumbersReadTheirLeadingDecimalOnly) {
    const std::string tail = ";23;1;F;0;F;F;T;;;0;DOD;;;;;;;;;;1e3;;;-7.9";
    const QxTowRec r = ReadOne("PLU;1;0;1;X;12.50zl; 3.5;abc;0x10" + tail);
    EXPECT_DOUBLE_EQ(r.cena, 12.5);
    EXPECT_DOUBLE_EQ(r.cena_hurt, 3.5);
    EXPECT_EQ(r.cena_noc, 0);
    EXPECT_EQ(r.cena_dod, 0);
    EXPECT_EQ(r.dod_rabat_tow, 1000);
    EXPECT_EQ(r.ile_jedn, -7);
    const QxTowRec odd = ReadOne("PLU;1;0;1;X;nan;inf;1e999;-.5" + tail);
    EXPECT_EQ(odd.cena, 0);
    EXPECT_EQ(odd.cena_hurt, 0);
    EXPECT_EQ(odd.cena_noc, 0);
    EXPECT_DOUBLE_EQ(odd.cena_dod, -0.5);
    const QxTowRec huge = ReadOne("PLU;1;0;1;X;1;1;1;1;23;1;F;0;F;F;T;;;0;DOD;;;;;99999999999;;;;;;;;1e30");
    EXPECT_EQ(huge.TerminW, 2147483647);
    EXPECT_EQ(huge.ile_jedn, 2147483647);
}

TEST(ExpBuf, StatusAndFlagWordsAreStrict) {
    const std::string bad = Ansi(u8"Nieprawidłowy format pliku eksportowego");
    EXPECT_EQ(ReadError("PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;dod\r\n"), bad);
    EXPECT_EQ(ReadError("PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DODA\r\n"), bad);
    EXPECT_EQ(ReadError("PLU;1;0;123;Mleko;250;240;260;255;23;1;X;0;F;F;T;;;0;DOD\r\n"), bad);
    EXPECT_EQ(ReadError("PLU;1;0;123;Mleko;250;240;260;255;23;1;;0;F;F;T;;;0;DOD\r\n"), bad);
    EXPECT_EQ(ReadError("PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0\r\n"), bad);
    EXPECT_EQ(ReadError("KON;1;a;b;c;d;e;f;g;h;20250101000000000;Y;0;0\r\n"), bad);
    EXPECT_EQ(ReadOne("PLU;1;0;1;X;1;1;1;1;23;1;true;0;fałsz;False;t;;;0;USU").czy_wazony, true);
}

TEST(ExpBuf, BadIntegersRaiseTheConversionError) {
    ClockGuard clock;
    for (const char* line : {"PLU;x;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DOD",
                             "PLU;1; 0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DOD",
                             "PLU;1;0;123;Mleko;250;240;260;255;23.5;1;F;0;F;F;T;;;0;DOD",
                             "PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;5a;0;DOD",
                             "PLU;1;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;;DOD",
                             "PLU;99999999999;0;123;Mleko;250;240;260;255;23;1;F;0;F;F;T;;;0;DOD", "PLU", "ASS;x;Name",
                             "KON;x", "KON;1;a;b;c;d;e;f;g;h;20250101000000000;T;0;"}) {
        QxExpBuf buf(nullptr);
        EXPECT_THROW(buf.ReadFromFile(WriteExport("exp_conv", std::string(line) + "\r\n"), false, -1), EConvertError)
            << line;
    }
}

TEST(ExpBuf, CardExpiryDateThatCannotBeReadStaysUnset) {
    ClockGuard clock;
    const struct {
        const char* date;
        double value;
    } cases[] = {{"20270331000000000", TdtTools(2027, 3, 31).Value()},
                 {"20270331", TdtTools(2027, 3, 31).Value()},
                 {"", 0},
                 {"2025", 0},
                 {"abc", 0},
                 {"20250231000000000", 0}};
    for (const auto& c : cases) {
        QxExpBuf buf(nullptr);
        buf.ReadFromFile(WriteExport("exp_kon_date", std::string("KONA;1;a;b;c;d;e;f;g;h;") + c.date + ";T;0;0\r\n" +
                                                         kPluLine + "\r\n"),
                         false, -1);
        ASSERT_EQ(buf.il_kontr, 1) << c.date;
        EXPECT_EQ(buf.il_rec, 1) << c.date;
        QxKontrRec k;
        buf.CzytajRec(0, &k);
        EXPECT_EQ(k.TermWaznKarty.Value(), c.value) << c.date;
    }
}

TEST(ExpBuf, LinesEndedOtherwiseThanByCrLfAreRefused) {
    ClockGuard clock;
    const std::string plu = kPluLine;
    const struct {
        std::string content;
        bool refused;
        int goods;
        size_t rates;
    } cases[] = {
        {"VAT;23\n" + plu + "\n" + plu + "\n", true, 0, 0},
        {"# export\n[TOWARY]\n" + plu + "\n", true, 0, 0},
        {"VAT;23\r" + plu + "\r", true, 0, 0},
        {"VAT;23\r\n" + plu + "\n" + plu + "\r\n", true, 0, 1},
        {plu + "\n", false, 1, 0},
        {"VAT;23\r\n" + plu + "\r\n" + plu, false, 2, 1},
        {"VAT;23\r\n" + plu + " \n\r\n\n", false, 1, 1},
    };
    for (const auto& c : cases) {
        RecordingSink sink;
        QxExpBuf buf(&sink);
        std::string error = "none";
        try {
            buf.ReadFromFile(WriteExport("exp_line_ends", c.content), false, -1);
        } catch (const Exception& e) {
            error = e.Message();
        }
        EXPECT_EQ(error, c.refused ? Ansi(u8"Nieprawidłowy format pliku eksportowego") : "none") << c.content;
        EXPECT_EQ(sink.log.back(), c.refused ? "s 1" : "s 0") << c.content;
        EXPECT_EQ(buf.il_rec, c.goods) << c.content;
        EXPECT_EQ(buf.stawki.size(), c.rates) << c.content;
    }
}

TEST(ExpBuf, ReadingStopsAtTheBadLineAndKeepsEarlierRecords) {
    ClockGuard clock;
    RecordingSink sink;
    QxExpBuf buf(&sink);
    const std::string content =
        std::string(kPluLine) + "\r\nPLU;2;0;9;B;1;1;1;1;23;1;F;0;F;F;T;;;0;dod\r\n" + kPluLine + "\r\n";
    EXPECT_THROW(buf.ReadFromFile(WriteExport("exp_stop", content), false, -1), Exception);
    EXPECT_EQ(buf.il_rec, 1);
    EXPECT_EQ(sink.log.back(), "s 1");
}

TEST(ExpBuf, CommentsUnknownAndShortLinesAreSkipped) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(WriteExport("exp_skip", "   # note\r\n[SEKCJA]\r\n\r\n   \r\nXYZ;1\r\nplu;1\r\nJM\r\nVAT\r\n"),
                     false, -1);
    EXPECT_EQ(buf.il_rec, 0);
    EXPECT_EQ(buf.jmiary, (std::vector<AnsiString>{";;"}));
    EXPECT_EQ(buf.stawki, (std::vector<AnsiString>{""}));
    EXPECT_EQ(buf.stawkiPrec, (std::vector<AnsiString>{"0"}));
}

TEST(ExpBuf, VatLines) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(WriteExport("exp_vat", "VAT;23\r\nVAT;-1\r\nVAT;8;800\r\nVAT;zw\r\nVAT;5;\r\nVAT;7;;\r\n"), false,
                     -1);
    EXPECT_EQ(buf.stawki, (std::vector<AnsiString>{"23", "-1", "8", "zw", "5", "7"}));
    EXPECT_EQ(buf.stawkiPrec, (std::vector<AnsiString>{"2300", "-1", "800", "0", "500", ""}));
}

TEST(ExpBuf, EuroRate) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(WriteExport("exp_eur", "EURO;43215\r\n"), false, -1);
    EXPECT_DOUBLE_EQ(buf.FKursEURO, 4.3215);
    buf.ReadFromFile(WriteExport("exp_eur2", "EUR;40000.5\r\nEU;1\r\n"), false, -1);
    EXPECT_DOUBLE_EQ(buf.FKursEURO, 4.00005);
    QxExpBuf none(nullptr);
    none.ReadFromFile(WriteExport("exp_eur3", "EURX;abc\r\n"), false, -1);
    EXPECT_EQ(none.FKursEURO, 0);
}

TEST(ExpBuf, CashiersAndCurrencies) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(SampleExport("exp_oper"), false, -1);
    QxKasjer* k = buf.GetKasjer(0);
    EXPECT_EQ(k->GetNumer(), 1);
    EXPECT_EQ(k->GetNazwisko(), "Kowalski");
    EXPECT_EQ(k->GetPoziomUprawnien(), 3);
    EXPECT_EQ(k->GetIdentyfikator(), "ID1");
    EXPECT_EQ(k->GetKodKarty(), "K1");
    QxWaluta* w = buf.GetWaluta(0);
    EXPECT_EQ(w->GetKod(), "EUR");
    EXPECT_EQ(w->GetNazwa(), "Euro");
    EXPECT_EQ(w->GetKurs(), 431);
    EXPECT_TRUE(w->GetCzyDomyslna());
    EXPECT_FALSE(w->GetCzyMoznaWydawacReszte());
    try {
        buf.GetKasjer(1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Nieprawidłowy numer kasjera"));
    }
    try {
        buf.GetWaluta(-1);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Nieprawidłowy numer waluty"));
    }
}

TEST(ExpBuf, CashierWordsThatCannotBeRead) {
    QxKasjer k("x;Nowak;y;;");
    try {
        k.GetNumer();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Błąd odczytu numeru kasjera"));
    }
    try {
        k.GetPoziomUprawnien();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Błąd odczytu poziomu uprawnień kasjera"));
    }
    EXPECT_EQ(k.GetKodKarty(), "");
    QxKasjer made(7, "Nowak", 2, "ID", "");
    EXPECT_EQ(static_cast<AnsiString>(made.FWords), "7;Nowak;2;ID");
    EXPECT_EQ(made.GetNumer(), 7);
    EXPECT_EQ(made.GetKodKarty(), "");
    QxWaluta w("PLN;Złoty;x;N;T");
    try {
        w.GetKurs();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Błąd odczytu kursu waluty"));
    }
    EXPECT_TRUE(w.GetCzyMoznaWydawacReszte());
}

TEST(ExpBuf, UnitLookups) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(WriteExport("exp_jm", "JM;5;2;kg\r\nJM;x;;\r\n"), false, -1);
    EXPECT_EQ(buf.IdxJednId(0), 5);
    EXPECT_EQ(buf.IdxJednPrec(0), 2);
    EXPECT_EQ(buf.IdxJednNazwa(0), "kg");
    EXPECT_EQ(buf.IdxJednId(1), 1);
    EXPECT_EQ(buf.IdxJednNazwa(1), "");
    for (int i : {2, -1}) {
        try {
            buf.IdxJednId(i);
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), Ansi(u8"Indeks jednostki miary poza zakresem"));
        }
    }
}

TEST(ExpBuf, ResultFileListsOnlyDeliveredGoods) {
    ClockGuard clock;
    RecordingSink sink;
    QxExpBuf buf(&sink);
    buf.ReadFromFile(SampleExport("exp_wynik"), false, -1);
    QxTowRec r;
    for (int i : {0, 1, 2, 3}) {
        buf.CzytajRec(i, &r);
        r.tr_ok = true;
        r.add_rec = i == 2;
        buf.ZapiszRec(i, &r);
    }
    AddHost(buf, 0, "zero", stDod);
    AddHost(buf, 9, "null", stNull);
    for (int i : {5, 6}) {
        buf.CzytajRec(i, &r);
        r.tr_ok = true;
        buf.ZapiszRec(i, &r);
    }
    // A status changed by the export does not change the word: the file's status is written.
    buf.CzytajRec(0, &r);
    r.status = stNull;
    buf.ZapiszRec(0, &r);
    const std::string path = ScratchDir("exp_wynik_out") + "wynik.exp";
    WriteAll(path, "old content that must go\r\n");
    sink.log.clear();
    buf.ZapiszWynikEksp(path);
    EXPECT_EQ(ReadAll(path), Expected("wynik.exp"));
    EXPECT_EQ(buf.effect_exp, 3);
    EXPECT_EQ(sink.log.front(), "add " + Ansi(u8"Zapis wyniku eksportu:") + " 3 7");
    EXPECT_EQ(sink.log.back(), "s 0");
}

TEST(ExpBuf, NothingAcceptedGivesAnEmptyResultFile) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(SampleExport("exp_wynik_empty"), false, -1);
    const std::string path = ScratchDir("exp_wynik_empty_out") + "wynik.exp";
    WriteAll(path, "x");
    buf.ZapiszWynikEksp(path);
    EXPECT_EQ(ReadAll(path), "");
}

TEST(ExpBuf, ResultFileInAMissingFolderRaises) {
    RecordingSink sink;
    QxExpBuf buf(&sink);
    EXPECT_THROW(buf.ZapiszWynikEksp(ScratchDir("exp_wynik_bad") + "no/dir/wynik.exp"), EMException);
    EXPECT_EQ(sink.log.back(), "s 1");
}

TEST(ExpBuf, StoringARecordMovesItBetweenCounters) {
    QxExpBuf buf(nullptr);
    AddHost(buf, 1, "a", stCen);
    AddHost(buf, 2, "b", stDod);
    EXPECT_EQ(buf.il_cen, 1);
    QxTowRec r;
    buf.CzytajRec(0, &r);
    r.status = stNull;
    buf.ZapiszRec(0, &r);
    EXPECT_EQ(buf.il_cen, 0);
    EXPECT_EQ(buf.il_dod, 1);
    EXPECT_EQ(buf.il_akt, 0);
    EXPECT_EQ(buf.il_usu, 0);
    EXPECT_EQ(buf.il_rec, 2);
    r.status = stUsu;
    buf.ZapiszRec(0, &r);
    EXPECT_EQ(buf.il_usu, 1);
    buf.PrzeliczTowary();
    EXPECT_EQ(buf.il_usu, 1);
    EXPECT_EQ(buf.il_dod, 1);
}

TEST(ExpBuf, FindRecSearchesTheSortedRange) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(SampleExport("exp_find"), true, -1);
    EXPECT_TRUE(buf.Sorted);
    EXPECT_EQ(buf.FindRec("5901234123457", 5), 1);
    EXPECT_EQ(buf.FindRec("123", 5), 0);
    EXPECT_EQ(buf.FindRec("400", 5), 4);
    EXPECT_EQ(buf.FindRec("401", 5), -1);
    EXPECT_EQ(buf.FindRec("123", 0), -1);
    AddHost(buf, 6, "000", stDod);
    // Appended after the sort: outside the index.
    EXPECT_EQ(buf.FindRec("000", 6), -1);
    EXPECT_EQ(buf.FindRec("300", 6), 3);
}

TEST(ExpBuf, FindRecSortsOnFirstUse) {
    QxExpBuf buf(nullptr);
    const char* codes[] = {"9", "10", "B", "a", "A", "", "09"};
    for (int i = 0; i < 7; ++i) AddHost(buf, i + 1, codes[i], stDod);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(buf.FindRec(codes[i], 7), i) << codes[i];
    EXPECT_EQ(buf.FindRec("b", 7), -1);
}

TEST(ExpBuf, ReconcilingTheRegistersList) {
    QxExpBuf buf(nullptr);
    AddHost(buf, 1, "0123", stDod);
    AddHost(buf, 2, "200", stCen);
    AddHost(buf, 3, "300", stUsu);
    AddHost(buf, 4, "400", stAkt);
    AddHost(buf, 5, "500", stDod);
    buf.AddInPlu("000200", "rec200");
    buf.AddInPlu("0000", "zeros");
    buf.AddInPlu("00555", "rec555");
    buf.AddInPlu("500", "rec500");
    buf.AnalizujCancelBufor(false);
    QxTowRec r;
    buf.CzytajRec(0, &r);
    EXPECT_EQ(r.status, stDod);
    EXPECT_FALSE(r.flag);
    buf.CzytajRec(1, &r);
    EXPECT_EQ(r.status, stAkt);  // found on the register: a price change becomes a full change
    EXPECT_TRUE(r.flag);
    buf.CzytajRec(2, &r);
    EXPECT_EQ(r.status, stNull);  // nothing to delete
    buf.CzytajRec(3, &r);
    EXPECT_EQ(r.status, stDod);  // the register does not have it
    buf.CzytajRec(4, &r);
    EXPECT_EQ(r.status, stAkt);
    ASSERT_EQ(buf.GetTowCount(), 6);
    buf.CzytajRec(5, &r);
    EXPECT_EQ(r.kod, "00555");
    EXPECT_EQ(r.status, stUsu);
    EXPECT_TRUE(r.from_ecr);
    EXPECT_TRUE(r.flag);
    EXPECT_EQ(r.nr_buf, 5);
    EXPECT_EQ(buf.il_rec, 6);
    EXPECT_EQ(buf.il_dod, 2);
    EXPECT_EQ(buf.il_akt, 2);
    EXPECT_EQ(buf.il_cen, 0);
    EXPECT_EQ(buf.il_usu, 1);
}

TEST(ExpBuf, ReconcilingWithStrippedZerosAndHooks) {
    HookedExpBuf buf(nullptr);
    AddHost(buf, 2, "200", stDod);
    buf.AddInPlu("000200", "rec200");
    buf.AddInPlu("000", "zeros");
    buf.AddInPlu("00555", "rec555");
    buf.AnalizujCancelBufor(true);
    ASSERT_EQ(buf.GetTowCount(), 2);
    QxTowRec r;
    buf.CzytajRec(1, &r);
    EXPECT_EQ(r.kod, "555");
    EXPECT_EQ(r.plu_rec, "rec555");
    EXPECT_TRUE(r.add_rec);
    buf.CzytajRec(0, &r);
    EXPECT_EQ(r.status, stAkt);
    EXPECT_EQ(r.plu_rec, "");  // the hook filled the register's record, not the host's
}

TEST(ExpBuf, ComparingSetsAppendsDeletionsWhenAsked) {
    HookedExpBuf buf(nullptr);
    buf.deleteAll = true;
    AddHost(buf, 2, "200", stCen);
    AddHost(buf, 3, "300", stDod);
    buf.AddInPlu("200", "r200");
    buf.AddInPlu("300", "r300");
    buf.ComparePLUSets(false);
    EXPECT_EQ(buf.checked, (std::vector<std::string>{"200/200/r200", "300/300/r300"}));
    ASSERT_EQ(buf.GetTowCount(), 4);
    QxTowRec r;
    buf.CzytajRec(2, &r);
    EXPECT_EQ(r.kod, "200");
    EXPECT_EQ(r.status, stUsu);
    EXPECT_EQ(r.plu_rec, "r200");
    buf.CzytajRec(3, &r);
    EXPECT_EQ(r.kod, "300");
    EXPECT_EQ(r.plu_rec, "r300");
    EXPECT_EQ(buf.il_usu, 2);
    EXPECT_EQ(buf.il_akt, 2);
}

TEST(ExpBuf, CustomersBecomeDiscountCardGoods) {
    ClockGuard clock;
    RecordingSink sink;
    QxExpBuf buf(&sink);
    buf.ReadFromFile(SampleExport("exp_kontr"), false, -1);
    sink.log.clear();
    AnsiString debug;
    EXPECT_EQ(buf.UtworzTowaryZKontrahentow(100000, "99kkkkkkymmrx", debug), 2);
    EXPECT_EQ(buf.il_rec, 7);
    EXPECT_EQ(buf.il_dod, 4);
    QxTowRec r;
    buf.CzytajRec(5, &r);
    EXPECT_EQ(r.plu, 100017);
    EXPECT_EQ(r.kod, "9900012370355");
    EXPECT_EQ(r.nazwa, "Firma");
    EXPECT_EQ(r.cena, 4000);
    EXPECT_EQ(r.cena_hurt, 4000);
    EXPECT_EQ(r.cena_noc, 4000);
    EXPECT_EQ(r.cena_dod, 4000);
    EXPECT_EQ(r.status, stDod);
    EXPECT_TRUE(r.tow_z_kontr);
    EXPECT_EQ(r.jedn, 1);
    EXPECT_EQ(r.stawka, 23);
    EXPECT_EQ(r.stawkaPrec, 2300);
    buf.CzytajRec(6, &r);
    EXPECT_EQ(r.plu, 100018);
    EXPECT_EQ(r.kod, "9900000050108");
    EXPECT_EQ(r.cena, 0);
    EXPECT_EQ(debug,
              "----------- [DEBUG KONWERSJI DANYCH KONTRAHENTA NA KOD KARTY RABATOWEJ] ------------\r\n"
              " 0(przedrostek) + 2027-03-31" +
                  Ansi(u8"(termin ważn.) + ") +
                  "5(poziom rab.) +           123(kod karty) ---> 99kkkkkkymmrx (format)\r\n" + std::string(92, ' ') +
                  "9900012370355 (kod po konwersji)\r\n"
                  " 0(przedrostek) + 2025-01-01" +
                  Ansi(u8"(termin ważn.) + ") +
                  "0(poziom rab.) +              (kod karty) ---> 99kkkkkkymmrx (format)\r\n" + std::string(92, ' ') +
                  "9900000050108 (kod po konwersji)\r\n");
    EXPECT_EQ(sink.log, (std::vector<std::string>{"add " + Ansi(u8"Przygotowanie kart stałego klienta...") + " 4 100",
                                                  "p 0", "s 0"}));
}

TEST(ExpBuf, CustomersWithoutVatOrUnitRaise) {
    ClockGuard clock;
    AnsiString debug;
    QxExpBuf noVat(nullptr);
    noVat.ReadFromFile(
        WriteExport("exp_kontr_novat", "JM;1;0;szt\r\nKON;1;a;b;c;d;e;f;g;1;20250101000000000;T;0;0;0\r\n"), false, -1);
    try {
        noVat.UtworzTowaryZKontrahentow(0, "99kkkkkkymmrx", debug);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"Konwersja kontrahentów na towary - błąd stawki VAT"));
    }
    QxExpBuf noUnit(nullptr);
    noUnit.ReadFromFile(WriteExport("exp_kontr_nojm", "VAT;23\r\nKON;1;a;b;c;d;e;f;g;1;20250101000000000;T;0;0;0\r\n"),
                        false, -1);
    EXPECT_THROW(noUnit.UtworzTowaryZKontrahentow(0, "99kkkkkkymmrx", debug), Exception);
    QxExpBuf badMask(nullptr);
    badMask.ReadFromFile(SampleExport("exp_kontr_mask"), false, -1);
    EXPECT_THROW(badMask.UtworzTowaryZKontrahentow(0, "99", debug), Exception);
}

TEST(ExpBuf, ClearEmptiesEverything) {
    ClockGuard clock;
    QxExpBuf buf(nullptr);
    buf.ReadFromFile(SampleExport("exp_clear"), true, -1);
    buf.Clear();
    EXPECT_EQ(buf.GetTowCount(), 0);
    EXPECT_EQ(buf.GetKontrCount(), 0);
    EXPECT_EQ(buf.il_rec + buf.il_dod + buf.il_akt + buf.il_cen + buf.il_usu + buf.il_opak, 0);
    EXPECT_EQ(buf.il_kontr, 0);
    EXPECT_TRUE(buf.stawki.empty());
    EXPECT_EQ(buf.kasjerzy.GetCount(), 0);
    EXPECT_FALSE(buf.Sorted);
    AnsiString debug;
    EXPECT_EQ(buf.UtworzTowaryZKontrahentow(0, "99kkkkkkymmrx", debug), 0);
}

TEST(ExpBuf, StatusWords) {
    EXPECT_EQ(StatusWord(stDod), "DOD");
    EXPECT_EQ(StatusWord(stAkt), "AKT");
    EXPECT_EQ(StatusWord(stCen), "CEN");
    EXPECT_EQ(StatusWord(stUsu), "USU");
    EXPECT_EQ(StatusWord(stNull), "");
}
