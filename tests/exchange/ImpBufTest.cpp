#include "exchange/ImpBuf.h"

#include <gtest/gtest.h>

#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Translation.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace xtest;

namespace {

const double kSalesDay = TdtTools(2025, 3, 14).Value();

double At(int hour, int minute) { return TdtTools(2025, 3, 14, hour, minute).Value(); }

std::string SaveToText(QxImpBuf& buf, const std::string& name, bool stripZeros) {
    const std::string path = ScratchDir(name) + "kasa.imp";
    buf.Save(path, stripZeros);
    return ReadAll(path);
}

// The goods lines of a written file, between "[TOWAROWE]" and the empty line.
std::string GoodsSection(const std::string& file) {
    const std::string head = "[TOWAROWE]\r\n";
    const size_t end = file.find("\r\n\r\n[OPERACJE]");
    return file.substr(head.size(), end - head.size() + 2);
}

QVRPosition* Position(int plu, const char* code, int qty, long long value, int receipt, double when,
                      position_type type = ptSale) {
    auto* p = new QVRPosition;
    p->Fplu = plu;
    p->Fkod = code;
    p->Filosc = qty;
    p->Fwartosc = value;
    p->Frabat = plu == -1 ? -1 : 0;
    p->FnrParagonu = receipt;
    p->Fdata_czas = when;
    p->FTyp = type;
    return p;
}

}  // namespace

TEST(ImpBuf, ConstructionDefaults) {
    ClockGuard clock(45730.25);
    QxImpBuf buf;
    EXPECT_EQ(buf.CountPlu(), 0);
    EXPECT_EQ(buf.GetReceiptsCount(), 0);
    EXPECT_TRUE(buf.nadpisz_opak);
    EXPECT_FALSE(buf.fisk_z_plu);
    EXPECT_FALSE(buf.ident_barcode);
    EXPECT_DOUBLE_EQ(buf.data.Value(), 45730.25);
}

TEST(ImpBuf, FullFileByteForByte) {
    QxImpBuf buf;
    buf.data = TdtTools(kSalesDay);
    buf.fisk_z_plu = true;
    buf.nadpisz_plu = true;
    buf.ident_barcode = true;

    buf.AddPlu("00590", 1000, 250, id_global);
    buf.AddPlu("0000", 3000, 900, id_barcode);
    buf.AddPlu("017", 500, 125, id_plu);
    buf.AddPlu("123", 0, 999, id_barcode);
    buf.AddPlu("00590", 1000, 250, id_global);
    buf.AddToPlu("777", 1500, 300, id_barcode);
    buf.AddToPlu("777", 500, 100, id_barcode);
    buf.AddToPlu("777", 1000, 200, id_plu);
    buf.AddPlu("888", 1234.4, 99.6, id_barcode);

    buf.AddParameter("NovitusOstatniParagon", "123");
    buf.AddParameter("Data=X", "a=b");
    buf.AddParameter("NovitusOstatniParagon", "130");

    buf.AddGodzinowy(9, 1250, 2, 5);
    buf.AddGodzinowy(23, 100, 1, 1);
    buf.AddGodzinowy(24, 5, 1, 1);
    buf.AddGodzinowy(-1, 5, 1, 1);
    buf.AddGodzinowy(0, 0, 3, 3);

    buf.AddPayIn(10000);
    buf.AddPayOut(2500);
    buf.AddDiscount(-150, true);
    buf.AddDiscount(-20, false);
    buf.AddBottlesTurned(-60);
    buf.AddBottlesSaled(45);
    buf.AddBony(100);
    buf.AddCzeki(0);
    buf.AddKarty(3300);
    buf.AddInne(7);

    buf.Kas_ActiveKasjerSection();
    buf.Kas_SetNumer(3);
    buf.Kas_SetNazwisko("Kowalska");
    buf.Kas_SetBiez(TdtTools(2025, 3, 14, 18, 30));
    buf.Kas_AddStankasy(120000);
    buf.Kas_AddKarty(0);
    buf.Kas_AddParagonow(42);
    buf.Kas_AddIlStorno(1);
    buf.Kas_AddWartStorno(350);
    buf.Kas_AddWaluta("EUR", 431, 100, 200);
    buf.Kas_AddWaluta("USD", 402, 10, 20);
    buf.Kas_AddWaluta("EUR", 0, 500, 700);

    EXPECT_EQ(SaveToText(buf, "imp_full", true), Expected("kasa_full.imp"));
    EXPECT_DOUBLE_EQ(buf.GetTotalValue(), 250 + 900 + 125 + 999 + 250 + 400 + 200 + 99.6);
}

TEST(ImpBuf, ReceiptsFeedTheSalesAndAreWrittenAfterTheFlags) {
    QxImpBuf buf;
    buf.data = TdtTools(kSalesDay);
    buf.sprzedaz_z_paragonow = true;
    buf.par_szczeg = true;

    auto* first = new QVRParagon;
    first->FnrTrans = 101;
    first->FnrPar = 55;
    first->FnrKasjera = 2;
    first->FnrKasy = 1;
    first->Fdata_czas = At(9, 26);
    first->Frabat = 30;
    first->FnrZmiany = 4;
    *first + Position(10, "5901234123457", 1000, 350, 55, At(9, 26));
    *first + Position(7, "  ", 2000, 500, 55, At(9, 26));
    *first + Position(90, "B1", 1000, 50, 55, At(9, 26), ptBottleSale);
    *first + Payment(0, 900, 100, At(9, 26));
    *first + Payment(3, 1234, 1, At(9, 26));
    buf.AddReceipt(first);

    auto* second = new QVRParagon;
    second->FwoDetails = false;
    second->FnrTrans = 102;
    second->FnrKlienta = "123";
    second->FkodRabatu = 4;
    second->FnrZmiany = 4;
    second->FnrNIPKlienta = "-1";
    *second + Position(33, "5901234123457", 500, 175, 56, At(14, 5));
    *second + Position(-1, "", 1000, -100, 56, At(14, 5), ptBottleReturn);
    QVRPayment* voucher = Payment(1, 75, 100, At(14, 5));
    voucher->FnrDokWplaty = 12;
    voucher->Ftytul = "Bon";
    *second + voucher;
    buf.AddReceipt(second);

    EXPECT_EQ(buf.GetReceiptsCount(), 2);
    EXPECT_EQ(SaveToText(buf, "imp_receipts", false), Expected("kasa_receipts.imp"));
}

TEST(ImpBuf, ReceiptsDoNotFeedTheSalesUnlessAsked) {
    QxImpBuf buf;
    auto* par = new QVRParagon;
    par->Frabat = 10;
    *par + Position(1, "X", 1000, 100, 1, At(10, 0));
    *par + Payment(3, 100, 100, At(10, 0));
    buf.AddReceipt(par);
    EXPECT_EQ(buf.CountPlu(), 0);
    EXPECT_EQ(buf.fp_karty, 0);
    EXPECT_EQ(buf.discount, 0);
    const std::string text = SaveToText(buf, "imp_nosales", false);
    EXPECT_EQ(text.find("[Paragon"), std::string::npos);
}

TEST(ImpBuf, EmptyBufferHasSixHeadersAndNoCashState) {
    QxImpBuf buf;
    buf.data = TdtTools(kSalesDay);
    EXPECT_EQ(SaveToText(buf, "imp_empty", false),
              "[TOWAROWE]\r\n"
              "\r\n[OPERACJE]\r\n"
              "\r\n[RAPORT_GODZINOWY]\r\n"
              "\r\n[RAPORT_WALUTOWY]\r\n"
              "\r\n[FINANSOWE]\r\nWPLATY;0\r\nWYPLATY;0\r\nRABATY;0\r\nZWROT_OPAKOWAN;0\r\n"
              "SPRZEDAZ_OPAKOWAN;0\r\nFPLATN_BON;0\r\nFPLATN_CZEK;0\r\nFPLATN_KARTA;0\r\n"
              "FPLATN_INNE;0\r\nIL_KOSZYKOW;0\r\nIL_LINII_PAR;0\r\n"
              "\r\n[FLAGI]\r\nDATA_SPRZEDAZY;20250314000000000\r\nFISK_Z_PLU;N\r\nNADPISZ_FISK;N\r\n"
              "NADPISZ_OPAK;T\r\nPODSUMUJ_OPAK;N\r\nNADPISZ_PLU;N\r\nDOKLEJ_PLU;N\r\n");
}

TEST(ImpBuf, CashierWithoutNumberWritesOnlyTheNumberAndCurrencies) {
    QxImpBuf buf;
    buf.Kas_ActiveKasjerSection();
    buf.Kas_SetNazwisko("Nowak");
    buf.Kas_AddStankasy(5);
    buf.Kas_AddWaluta("EUR", 1.4, 2.6, -0.6);
    buf.MakeStanKasyStr();
    EXPECT_EQ(buf.StanKasyStr,
              "KAS_NUMER;0\r\nKAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;1\r\nKAS_WAL1_STAN;3\r\n"
              "KAS_WAL1_BILANS;-1\r\n");
    const std::string text = SaveToText(buf, "imp_kas0", false);
    EXPECT_NE(text.find("\r\n\r\n[STAN_KASY]\r\nKAS_NUMER;0\r\nKAS_WAL1_NAZWA;EUR\r\n"), std::string::npos);
    EXPECT_NE(text.find("KAS_WAL1_BILANS;-1\r\n\r\n[FLAGI]"), std::string::npos);
}

TEST(ImpBuf, CashStateFieldsAllInTheirOrder) {
    QxImpBuf buf;
    buf.Kas_SetNumer(12);
    buf.Kas_SetNazwisko("A");
    buf.Kas_SetUprawn(2);
    buf.Kas_SetBiez(TdtTools(2025, 1, 2, 3, 4, 5, 6));
    buf.Kas_AddStankasy(1);
    buf.Kas_AddKarty(2);
    buf.Kas_AddBony(3);
    buf.Kas_AddCzeki(4);
    buf.Kas_AddPrzelewy(5);
    buf.Kas_AddInnefplat(6);
    buf.Kas_AddParagonow(7);
    buf.Kas_AddIlParAnulowanych(8);
    buf.Kas_AddWartParAnulowanych(9);
    buf.Kas_AddIlStorno(10);
    buf.Kas_AddWartStorno(11);
    buf.Kas_AddWartStorno(0.4);
    // Without the active flag the file carries no cash state.
    EXPECT_EQ(SaveToText(buf, "imp_kas_inactive", false).find("[STAN_KASY]"), std::string::npos);
    buf.MakeStanKasyStr();
    EXPECT_EQ(buf.StanKasyStr,
              "KAS_NUMER;12\r\nKAS_NAZWISKO;A\r\nKAS_UPRAWN;2\r\nKAS_BIEZ;20250102030405006\r\n"
              "KAS_STANKASY;1\r\nKAS_KARTY;2\r\nKAS_BONY;3\r\nKAS_CZEKI;4\r\nKAS_PRZELEWY;5\r\n"
              "KAS_INNEFPLAT;6\r\nKAS_PARAGONOW;7\r\nKAS_IL_PAR_ANULOWANYCH;8\r\n"
              "KAS_WART_PAR_ANULOWANYCH;9\r\nKAS_IL_STORNO;10\r\nKAS_WART_STORNO;11\r\n");
    buf.Kas_Clear();
    EXPECT_TRUE(buf.StanKasyStr.empty());
    EXPECT_FALSE(buf.Kas_IsActiveKasjerSection());
}

// Counts summed over garbled reports stop at the limits of the field rather than wrap round.
TEST(ImpBuf, CashierCountsStopAtTheLimits) {
    QxImpBuf buf;
    buf.Kas_SetNumer(1);
    for (int k = 0; k < 2; ++k) {
        buf.Kas_AddParagonow(2000000000);
        buf.Kas_AddIlParAnulowanych(-2000000000);
        buf.Kas_AddIlStorno(1234500000);
    }
    buf.MakeStanKasyStr();
    EXPECT_EQ(buf.StanKasyStr,
              "KAS_NUMER;1\r\nKAS_PARAGONOW;2147483647\r\nKAS_IL_PAR_ANULOWANYCH;-2147483648\r\nKAS_IL_STORNO;"
              "2147483647\r\n");
}

TEST(ImpBuf, CurrencyEntriesMergeByName) {
    QxImpBuf buf;
    buf.Kas_AddWaluta("EUR", 431, 100, 200);
    buf.Kas_AddWaluta("EUR", 0, 500, 700);
    ASSERT_EQ(buf.kas_wal.size(), 1u);
    EXPECT_EQ(buf.kas_wal[0],
              "KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;431\r\nKAS_WAL1_STAN;600\r\nKAS_WAL1_BILANS;900\r\n");
    buf.Kas_AddWaluta("EUR", 440, 0, 0);
    EXPECT_EQ(buf.kas_wal[0],
              "KAS_WAL1_NAZWA;EUR\r\nKAS_WAL1_KURS;440\r\nKAS_WAL1_STAN;600\r\nKAS_WAL1_BILANS;900\r\n");
    buf.Kas_AddWaluta("", 1, 1, 1);
    buf.Kas_AddWaluta("", 0, 1, 1);
    buf.Kas_AddWaluta("A;B", 1, 1, 1);
    buf.Kas_AddWaluta("A;B", 0, 1, 1);
    ASSERT_EQ(buf.kas_wal.size(), 3u);
    EXPECT_EQ(buf.kas_wal[1], "KAS_WAL2_NAZWA;\r\nKAS_WAL2_KURS;1\r\nKAS_WAL2_STAN;2\r\nKAS_WAL2_BILANS;2\r\n");
    EXPECT_EQ(buf.kas_wal[2], "KAS_WAL3_NAZWA;A;B\r\nKAS_WAL3_KURS;1\r\nKAS_WAL3_STAN;2\r\nKAS_WAL3_BILANS;2\r\n");
}

TEST(ImpBuf, StoredCurrencyValuesAreWholeAfterEveryUpdate) {
    QxImpBuf buf;
    buf.Kas_AddWaluta("EUR", 1, 0.4, 0);
    buf.Kas_AddWaluta("EUR", 0, 0.4, 0);
    // 0.4 is stored as 0 each time; two additions never reach 1.
    EXPECT_NE(buf.kas_wal[0].find("KAS_WAL1_STAN;0\r\n"), AnsiString::npos);
}

TEST(ImpBuf, AddPluAlwaysAppendsAddToPluMergesByCodeAndIdentifier) {
    QxImpBuf buf;
    buf.AddPlu("5", 1000, 10, id_barcode);
    buf.AddPlu("5", 1000, 10, id_barcode);
    EXPECT_EQ(buf.CountPlu(), 2);
    buf.AddToPlu("5", 1000, 10, id_barcode);
    EXPECT_EQ(buf.CountPlu(), 2);
    QxImpTowRec rec;
    buf.GetPlu(0, rec);
    EXPECT_EQ(rec.quantity, 2000);
    buf.GetPlu(1, rec);
    EXPECT_EQ(rec.quantity, 1000);
    buf.AddToPlu("5", 1000, 10, id_plu);
    buf.AddToPlu("5", 1000, 10, id_plu);
    EXPECT_EQ(buf.CountPlu(), 3);
    buf.GetPlu(2, rec);
    EXPECT_EQ(rec.plu, "5");
    EXPECT_EQ(rec.quantity, 2000);
    EXPECT_EQ(rec.identifier, id_plu);
    // Lines appended after the first search are found too.
    buf.AddPlu("10", 1, 1, id_plu);
    buf.AddPlu("4", 1, 1, id_plu);
    EXPECT_EQ(buf.FindRec("10"), 3);
    EXPECT_EQ(buf.FindRec("4"), 4);
    EXPECT_EQ(buf.FindRec("6"), -1);
    EXPECT_EQ(buf.FindRec("5"), 0);
}

TEST(ImpBuf, ReadsBetweenAdditionsSeeTheRunningSums) {
    QxImpBuf buf;
    buf.fisk_z_plu = true;
    buf.AddPlu("A", 0, 0, id_barcode);
    buf.AddPlu("B", 0, 0, id_barcode);
    long double quantity[2] = {}, value[2] = {};
    QxImpTowRec rec;
    for (int k = 0; k < 60; ++k) {
        const int line = k % 3 == 0 ? 1 : 0;
        buf.AddToPlu(line ? "B" : "A", 0.1 * k, 1.5 + k, id_barcode);
        quantity[line] += 0.1 * k;
        value[line] += 1.5 + k;
        if (k % 7 == 0) {
            buf.GetPlu(line, rec);
            EXPECT_EQ(rec.quantity, static_cast<double>(quantity[line])) << k;
            EXPECT_EQ(rec.value, static_cast<double>(value[line])) << k;
        }
        if (k % 11 == 0) {
            EXPECT_EQ(buf.GetTotalValue(), static_cast<double>(value[0] + value[1])) << k;
        }
    }
}

TEST(ImpBuf, ManyCodesInAnyOrderAreFoundAndMerged) {
    // Short codes; barcodes alike in their first eight bytes; codes that differ only past
    // their first eight bytes and have various lengths, up to ones too long to keep in place.
    AnsiString (*const codes[])(int) = {
        [](int k) { return IntToStr(k); },
        [](int k) { return IntToStr(5900000000000LL + k); },
        [](int k) { return "12345678" + IntToStr(k) + "-" + AnsiString(static_cast<size_t>(k % 19), '8'); },
    };
    for (const auto code : codes) {
        QxImpBuf buf;
        for (int k = 0; k < 2000; ++k) buf.AddToPlu(code((k * 7919) % 1000), 1000, 1, k % 2 ? id_barcode : id_plu);
        ASSERT_EQ(buf.CountPlu(), 1000) << code(1);
        QxImpTowRec rec;
        for (int k = 0; k < 1000; ++k) {
            const int line = buf.FindRec(code(k));
            ASSERT_GE(line, 0) << code(k);
            buf.GetPlu(line, rec);
            EXPECT_EQ(rec.plu, code(k));
            EXPECT_EQ(rec.quantity, 2000) << code(k);
        }
    }
}

TEST(ImpBuf, ClearEmptiesLinesButKeepsReceiptsParametersAndFlags) {
    QxImpBuf buf;
    buf.fisk_z_plu = true;
    buf.AddPlu("1", 1, 1, id_plu);
    buf.AddToPlu("1", 1, 1, id_plu);
    buf.AddParameter("a", "b");
    buf.AddReceipt(new QVRParagon);
    buf.AddPayIn(5);
    buf.AddGodzinowy(3, 1, 1, 1);
    buf.Kas_ActiveKasjerSection();
    buf.AddLiniaParEx("1", 1, 1, 0, "x", TdtTools(kSalesDay), -1, -1, id_plu);
    buf.Clear();
    EXPECT_EQ(buf.CountPlu(), 0);
    EXPECT_EQ(buf.FindRec("1"), -1);
    EXPECT_EQ(buf.payin, 0);
    EXPECT_EQ(buf.godzinowy[3], 0);
    EXPECT_TRUE(buf.paragony.empty());
    EXPECT_FALSE(buf.kas_active);
    EXPECT_EQ(buf.GetReceiptsCount(), 1);
    EXPECT_EQ(buf.FParametry.size(), 1u);
    EXPECT_TRUE(buf.fisk_z_plu);
    buf.AddToPlu("1", 1, 1, id_plu);
    EXPECT_EQ(buf.CountPlu(), 1);
}

TEST(ImpBuf, StrippingZerosOnlyForBarcodes) {
    QxImpBuf buf;
    buf.AddPlu("0000", 1000, 1, id_barcode);
    buf.AddPlu("00590", 1000, 1, id_barcode);
    buf.AddPlu("007", 1000, 1, id_plu);
    buf.AddPlu("0", 1000, 1, id_barcode);
    EXPECT_EQ(GoodsSection(SaveToText(buf, "imp_strip", true)),
              "PLU;;0;1000;1\r\nPLU;;590;1000;1\r\nPLU;007;;1000;1\r\nPLU;;0;1000;1\r\n");
    EXPECT_EQ(GoodsSection(SaveToText(buf, "imp_nostrip", false)),
              "PLU;;0000;1000;1\r\nPLU;;00590;1000;1\r\nPLU;007;;1000;1\r\nPLU;;0;1000;1\r\n");
}

TEST(ImpBuf, GlobalIdentifierFollowsTheBuffer) {
    QxImpBuf buf;
    buf.AddPlu("12", 1000, 1, id_global);
    EXPECT_EQ(GoodsSection(SaveToText(buf, "imp_glob_plu", false)), "PLU;12;;1000;1\r\n");
    buf.ident_barcode = true;
    EXPECT_EQ(GoodsSection(SaveToText(buf, "imp_glob_bc", false)), "PLU;;12;1000;1\r\n");
}

TEST(ImpBuf, AmountsAreRoundedToWholeNumbers) {
    QxImpBuf buf;
    buf.AddPlu("1", 999.6, -0.6, id_plu);
    buf.AddPlu("2", -2000.2, 12345678901.0, id_plu);
    buf.AddPayIn(0.7);
    const std::string text = SaveToText(buf, "imp_round", false);
    EXPECT_EQ(GoodsSection(text), "PLU;1;;1000;-1\r\nPLU;2;;-2000;12345678901\r\n");
    EXPECT_NE(text.find("\r\nWPLATY;1\r\n"), std::string::npos);
}

TEST(ImpBuf, ValuesRoundingToZeroFromBelowAreWrittenAsZero) {
    const struct {
        double value;
        std::string text;
        bool hourly;  // an hour of value 0 is not written
    } cases[] = {{-0.0, "0", false}, {-1e-9, "0", true}, {-0.4, "0", true},
                 {0.4, "0", true},   {-0.6, "-1", true}, {-1.4, "-1", true}};
    for (const auto& c : cases) {
        QxImpBuf buf;
        buf.data = TdtTools(kSalesDay);
        buf.AddPlu("1", 1000, c.value, id_plu);
        buf.AddPayIn(c.value);
        buf.AddGodzinowy(8, c.value, 0, 0);
        buf.Kas_ActiveKasjerSection();
        buf.Kas_SetNumer(1);
        buf.Kas_AddStankasy(c.value);
        buf.Kas_AddWaluta("EUR", 1, c.value, c.value);
        buf.AddLiniaParEx("1", c.value, c.value, c.value, "P", TdtTools(kSalesDay), -1, -1, id_plu);
        const std::string file = SaveToText(buf, "imp_zero", false);
        const std::string& t = c.text;
        EXPECT_EQ(GoodsSection(file), "PLU;1;;1000;" + t + "\r\n") << c.value;
        for (const std::string& line :
             {"WPLATY;" + t, "KAS_STANKASY;" + t, "KAS_WAL1_STAN;" + t, "KAS_WAL1_BILANS;" + t})
            EXPECT_NE(file.find("\r\n" + line + "\r\n"), std::string::npos) << c.value << " " << line;
        EXPECT_EQ(file.find("\r\nGODZ;8;" + t + ";0;0\r\n") != std::string::npos, c.hourly) << c.value;
        EXPECT_EQ(buf.paragony, "PAR;1;;" + t + ";" + t + ";" + t + ";P;20250314000000000;;\r\n") << c.value;
    }
}

TEST(ImpBuf, PaymentAmountUsesTheRateInHundredths) {
    QxImpBuf buf;
    QVRPayment* a = Payment(3, 1234, 100, 0);
    QVRPayment* b = Payment(3, 1234, 1, 0);
    QVRPayment* c = Payment(0, 5000, 100, 0);
    QVRPayment* d = Payment(4, -199, 1, 0);
    buf + a;
    EXPECT_EQ(buf.fp_karty, 1234);
    buf + b;
    EXPECT_EQ(buf.fp_karty, 1246);
    buf + c;
    buf + d;
    EXPECT_EQ(buf.fp_inne, -1);
    EXPECT_EQ(buf.fp_bony + buf.fp_czeki, 0);
    QVRPayment* huge = Payment(1, 9000000000000000000LL, 200, 0);
    buf + huge;
    EXPECT_DOUBLE_EQ(buf.fp_bony, 18000000000000000000.0);
    delete a;
    delete b;
    delete c;
    delete d;
    delete huge;
}

TEST(ImpBuf, PositionWithoutCodeUsesItsPluNumber) {
    QxImpBuf buf;
    QVRPosition* p = Position(-1, "", 1000, 250, 1, At(7, 59));
    buf + p;
    EXPECT_EQ(GoodsSection(SaveToText(buf, "imp_minus1", false)), "PLU;-1;;1000;250\r\n");
    EXPECT_EQ(buf.godzinowy[7], 250);
    delete p;
}

TEST(ImpBuf, RepeatedParameterKeepsItsPlace) {
    QxImpBuf buf;
    buf.AddParameter("A", "1");
    buf.AddParameter("B", "2");
    buf.AddParameter("A", "3");
    const std::string text = SaveToText(buf, "imp_params", false);
    EXPECT_NE(text.find("[OPERACJE]\r\nKASPAR;A;3\r\nKASPAR;B;2\r\n\r\n"), std::string::npos);
}

TEST(ImpBuf, ReceiptLinesForTheSingleReceiptFile) {
    QxImpBuf buf;
    buf.ident_barcode = true;
    const TdtTools when(2025, 3, 14, 9, 26);
    buf.AddLiniaParEx("5900", 1000, 250, 0, "P123", when, -1, -1, id_global);
    buf.AddLiniaParEx("17", 2000, 500, 10, "P124", when, 0, 7, id_plu);
    buf.AddLiniaParEx("0042", -1000, -250, 0, "P125", when, 3, -1, id_barcode);
    const std::string path = ScratchDir("paragon") + "paragon.imp";
    WriteAll(path, std::string(500, 'x'));
    buf.SaveOneParag(path);
    EXPECT_EQ(ReadAll(path), Expected("paragon.imp"));
}

TEST(ImpBuf, BadIdentifiersRaiseFixedTexts) {
    QxImpBuf buf;
    try {
        buf.AddLiniaParEx("1", 1, 1, 0, "", TdtTools(kSalesDay), 0, 0, static_cast<e_identifier>(3));
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"QxExpBuf::AddLiniaParEx() - nieprawidłowy _ident"));
    }
    buf.AddPlu("1", 1, 1, static_cast<e_identifier>(7));
    const std::string path = ScratchDir("imp_badid") + "kasa.imp";
    try {
        buf.Save(path, false);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), Ansi(u8"QxExpBuf::WriteToFile() - nieprawidłowy ident"));
    }
    // What was written before the failure stays in the file.
    EXPECT_EQ(ReadAll(path), "[TOWAROWE]\r\n");
}

TEST(ImpBuf, SaveIntoAMissingFolderRaises) {
    QxImpBuf buf;
    EXPECT_THROW(buf.Save(ScratchDir("imp_nodir") + "no/such/kasa.imp", false), EMException);
}

TEST(ImpBuf, SaveRewritesTheFileFromItsStart) {
    QxImpBuf buf;
    const std::string path = ScratchDir("imp_rewrite") + "kasa.imp";
    WriteAll(path, std::string(5000, 'z'));
    buf.Save(path, false);
    EXPECT_EQ(ReadAll(path).find('z'), std::string::npos);
}

TEST(ImpBuf, WriterYieldsAfterEveryMeasuredBatch) {
    // Each reading of the clock moves it by 1e-7 days: the writer's twelfth record is the
    // first past 1.16e-6 days, so it pauses after records 24, 36, ..., 96.
    SteppingClock clock(45730.5, 1e-7);
    SetClock(&clock);
    QxImpBuf buf;
    for (int k = 0; k < 100; ++k) buf.AddPlu(IntToStr(k), k % 3 ? 1000 : 0, 1, id_plu);
    const std::string text = SaveToText(buf, "imp_yield", false);
    SetClock(nullptr);
    EXPECT_EQ(clock.sleeps, 7);
    EXPECT_EQ(clock.slept, 7u * 20u);
}
