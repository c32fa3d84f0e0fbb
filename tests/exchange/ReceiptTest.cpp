#include "exchange/Receipt.h"
#include "exchange/ReceiptStore.h"

#include <gtest/gtest.h>

#include "platform/DateTools.h"
#include "platform/File.h"
#include "tests/exchange/ExchangeTestSupport.h"

using namespace xtest;

namespace {

double At(int hour, int minute, int second = 0) { return TdtTools(2025, 3, 14, hour, minute, second).Value(); }

QVRPosition* Position(int plu, const char* code, int qty, long long value, int discount, int receipt, double when) {
    auto* p = new QVRPosition;
    p->Fplu = plu;
    p->Fkod = code;
    p->Filosc = qty;
    p->Fwartosc = value;
    p->Frabat = discount;
    p->FnrParagonu = receipt;
    p->Fdata_czas = when;
    return p;
}

std::string WriteBlock(QVRParagon& receipt, const std::string& name) {
    const std::string path = ScratchDir(name) + "block.txt";
    TMFile file;
    file.SetPath(path);
    file.SetReadOnly(false);
    file.Open();
    receipt >> file;
    file.Close();
    return ReadAll(path);
}

}  // namespace

TEST(Receipt, InitialValues) {
    QVRPosition pos;
    EXPECT_EQ(pos.Fplu, -1);
    EXPECT_EQ(pos.Filosc, -1);
    EXPECT_EQ(pos.Fwartosc, -1);
    EXPECT_EQ(pos.FTyp, ptSale);
    QVRPayment pay;
    EXPECT_EQ(pay.Fkurs, 1);
    EXPECT_EQ(pay.Fkurs_prec, 10000);
    EXPECT_EQ(pay.Fwartosc_pln, 0);
    EXPECT_EQ(pay.Frodzaj, FP_UNDEFINED);
    QVRParagon par;
    EXPECT_TRUE(par.FwoDetails);
    EXPECT_EQ(par.Frabat, 0);
    EXPECT_EQ(par.FnrPar, -1);
}

TEST(Receipt, FullBlockWithPositionsNipAndExtendedPayment) {
    ClockGuard clock;
    const double when = At(9, 26, 53);
    QVRParagon par;
    par.FwoDetails = false;
    par.FnrTrans = 17;
    par.FnrKasjera = 3;
    par.FnrKlienta = "9900012370355";
    par.Frabat = 150;
    par.FnrZmiany = 2;
    par.FnrNIPKlienta = "5260250274";
    par + Position(12, "5901234123457", 1500, 375, 0, 5, when);
    par + Position(-1, "", -1000, -50, -1, 5, when);
    // The first position gave the receipt its number and time.
    EXPECT_EQ(par.FnrPar, 5);
    EXPECT_EQ(par.Fdata_czas, when);
    par + Payment(0, 300, 100, when);
    QVRPayment* card = Payment(3, 25, 100, when);
    card->FnrDokWplaty = 7;
    card->Ftransfer = 1;
    card->Fterminowa = true;
    card->Ftytul = "Visa";
    card->Fkod_f_plat_ext = 5;
    card->Fkod_waluty = "EUR";
    card->Fkurs_prec = 43215;
    card->Fwartosc_pln = 108;
    par + card;
    EXPECT_EQ(WriteBlock(par, "receipt_full"), Expected("receipt_trn.txt"));
    EXPECT_TRUE(par.GetPlatnosci(1)->Fkonczaca);
    EXPECT_FALSE(par.GetPlatnosci(0)->Fkonczaca);
}

TEST(Receipt, FirstPositionDoesNotOverrideSetNumberAndTime) {
    QVRParagon par;
    par.FnrPar = 9;
    par.Fdata_czas = At(8, 0);
    par + Position(1, "", 1, 1, 0, 5, At(9, 0));
    par + Position(1, "", 1, 1, 0, 6, At(10, 0));
    EXPECT_EQ(par.FnrPar, 9);
    EXPECT_EQ(par.Fdata_czas, At(8, 0));
}

TEST(Receipt, WithoutDetailsWritesKskAndNoPositionsButCountsThem) {
    QVRParagon par;
    par.FnrTrans = 1;
    par + Position(5, "", 1000, 100, 0, 8, At(10, 0));
    par + Position(6, "", 1000, 100, 0, 8, At(10, 0));
    const std::string block = WriteBlock(par, "receipt_ksk");
    EXPECT_EQ(block, "\r\n[Paragon nr 8]\r\nKSK;1;8;2;0;;;;;20250314100000000;0;-1\r\n");
}

TEST(Receipt, OnlyTheLastOfThreePaymentsCloses) {
    QVRParagon par;
    par.FnrPar = 3;
    par.FnrTrans = 4;
    par.Fdata_czas = At(12, 0);
    for (int k = 0; k < 3; ++k) par + Payment(k, 100 + k, 100, At(12, 0));
    const std::string block = WriteBlock(par, "receipt_three");
    EXPECT_EQ(block,
              "\r\n[Paragon nr 3]\r\nKSK;4;3;0;3;;;;;20250314120000000;0;-1\r\n"
              "PMT;0;100;100;-1;-1;0;0;0;;20250314120000000\n"
              "PMT;1;101;100;-1;-1;1;0;0;;20250314120000000\n"
              "PMT;2;102;100;-1;-1;2;1;0;;20250314120000000\n");
}

TEST(Receipt, PositionLineWithoutPluStartsWithAnEmptyField) {
    QVRPosition* p = Position(-1, "ABC", 250, 9000000000LL, -1, -1, 0);
    EXPECT_EQ(p->ToString(), "ZAW;;ABC;250;9000000000;-1;-1;18991230000000000\n");
    delete p;
}

TEST(Receipt, ExtendedPaymentHasFifteenFields) {
    QVRPayment* p = Payment(3, 300, 100, At(10, 0));
    p->Fkod_f_plat_ext = 5;
    p->Fwartosc_pln = 300;
    const AnsiString line = p->ToString();
    EXPECT_EQ(line, "PMT;3;300;100;-1;-1;3;0;0;;20250314100000000;5;;10000;300\n");
    delete p;
}

TEST(Receipt, NipMinusOneOrEmptyWritesNoNipLine) {
    QVRParagon a;
    a.FnrNIPKlienta = "-1";
    EXPECT_EQ(a.HeadText().find("NIP;"), AnsiString::npos);
    QVRParagon b;
    EXPECT_EQ(b.HeadText().find("NIP;"), AnsiString::npos);
    QVRParagon c;
    c.FnrNIPKlienta = "123";
    EXPECT_NE(c.HeadText().find("\r\nNIP;123\r\n"), AnsiString::npos);
}

TEST(Receipt, HeadIsLimitedTo255Bytes) {
    QVRParagon par;
    par.FnrKlienta = std::string(300, 'K');
    const AnsiString head = par.HeadText();
    EXPECT_EQ(head.size(), 255u);
    EXPECT_EQ(head.substr(0, 2), "\r\n");
}

TEST(Receipt, TwoHundredFiftyPositionsPauseTwice) {
    ClockGuard clock;
    QVRParagon par;
    par.FwoDetails = false;
    for (int k = 0; k < 250; ++k) par + Position(k, "", 1000, 1, 0, 1, At(10, 0));
    const uint32_t before = clock.Get().GetTickCount();
    const std::string block = WriteBlock(par, "receipt_pause");
    EXPECT_EQ(clock.Get().GetTickCount() - before, 200u);
    size_t lines = 0;
    for (char c : block) lines += c == '\n';
    EXPECT_EQ(lines, 3u + 250u);
}

TEST(ReceiptStore, GivesBackEveryReceiptAsItsBlockWasWritten) {
    ClockGuard clock;
    TReceiptStore store;
    std::vector<std::string> blocks;
    for (int r = 0; r < 3; ++r) {
        QVRParagon par;
        par.FwoDetails = false;
        par.FnrTrans = 100 + r;
        par.FnrKlienta = r == 1 ? "9900012370355" : "";
        par + Position(r, "5901234123457", 1500, 375 + r, 5, 7 + r, At(9, r));
        // A code too long to be kept in place, and a position of another receipt number.
        par + Position(-1, "  a code longer than most goods codes ", -1000, -50, -1, 99, At(10, r));
        for (int k = 0; k <= r; ++k) par + Payment(k, 100 + k, 100, At(11, r));
        // Payments with every field of their own, their texts filled or one of them alone.
        QVRPayment* other = Payment(4, 25, 100, At(12, r));
        other->FnrDokWplaty = 7;
        other->Ftransfer = 1;
        other->Frodzaj = FP_KARTA;
        other->Fterminowa = true;
        other->Ftytul = r == 1 ? "Visa" : "";
        other->Fkod_f_plat_ext = 5;
        other->Fkod_waluty = r == 0 ? "" : "EUR";
        other->Fkurs_prec = 43215;
        other->Fwartosc_pln = 108;
        par + other;
        blocks.push_back(WriteBlock(par, "stored_before"));
        store.Add(par);
        EXPECT_EQ(par.GetnPosCount() + par.GetnPaymentCount(), 0);
    }
    ASSERT_EQ(store.Count(), 3u);
    QVRParagon rebuilt;
    for (size_t r = 0; r < 3; ++r) {
        store.Get(r, rebuilt, nullptr);
        EXPECT_EQ(WriteBlock(rebuilt, "stored_after"), blocks[r]) << r;
    }
}
