// The VAT rate assignment: its stored form, how the action derives and keeps it, the slot
// lookups, and the dialog "Stawki VAT na kasie" as its presenter is given it.
#include <gtest/gtest.h>

#include <cstdio>

#include "framework/FrmStawkiNaKasie.h"
#include "platform/Exceptions.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"

namespace {

using Slots = std::vector<int>;
const int E = TQxStawkiKolejne::kPusta;

Slots Values(const TQxStawkiKolejne& a) {
    Slots v;
    for (int i = 0; i < 10; ++i) v.push_back(a.GetWartosci(i));
    return v;
}

Slots Padded(Slots v) {
    v.resize(10, E);
    return v;
}

TQxStawkiKolejne From(const Slots& v) {
    TQxStawkiKolejne a;
    for (size_t i = 0; i < v.size(); ++i) a.SetWartosci(static_cast<int>(i), v[i]);
    return a;
}

TEST(StawkiKolejne, StoredTextIsReadLineBySlot) {
    const struct {
        const char* text;
        bool times100;
        Slots expected;
    } cases[] = {
        {"23\r\n8\r\nabc\r\n-5", false, {23, 8, E, E}},
        {"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n11\r\n12", false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"23\n8\r5", false, {23, 8, 5}},
        {"  7 \r\n -1\r\n-2\r\n", false, {7, -1, E}},
        {"23\r\n0\r\n-1", true, {2300, 0, -1}},
        {"30000000", true, {E}},  // beyond what hundredths can hold
        {"", false, {}},
    };
    for (const auto& c : cases) {
        TQxStawkiKolejne a = From({5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
        a.WczytajZTekstuParametru(c.text, c.times100);
        EXPECT_EQ(Values(a), Padded(c.expected)) << c.text;
    }
}

TEST(StawkiKolejne, StoredTextHoldsTheTenEntriesAsTheyAre) {
    AnsiString empty;
    for (int i = 0; i < 10; ++i) empty += i ? "\r\n-999" : "-999";
    EXPECT_EQ(TQxStawkiKolejne().SpiszDoTekstuParametru(), empty);
    const TQxStawkiKolejne a = From({23, 8, 5, 0, -1});
    EXPECT_EQ(a.SpiszDoTekstuParametru(), "23\r\n8\r\n5\r\n0\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
    TQxStawkiKolejne back;
    back.WczytajZTekstuParametru(a.SpiszDoTekstuParametru(), false);
    EXPECT_EQ(Values(back), Values(a));
}

TEST(StawkiKolejne, EntriesOutsideTheSlotsAndBelowExemptAreEmpty) {
    TQxStawkiKolejne a;
    a.SetWartosci(0, -7);
    a.SetWartosci(1, -1);
    a.SetWartosci(10, 23);
    a.SetWartosci(-1, 23);
    EXPECT_EQ(Values(a), Padded({E, -1}));
    EXPECT_EQ(a.GetWartosci(10), E);
    EXPECT_TRUE(a.GetUzywane(1) && a.GetZwolnione(1));
    EXPECT_FALSE(a.GetUzywane(0) || a.GetUzywane(10) || a.GetZwolnione(-1));
}

TEST(StawkiKolejne, CountAndCutOfTheUsedSlots) {
    const struct {
        Slots slots;
        int cut;
        int countBefore;
        Slots afterCut;
    } cases[] = {
        {{E, E, 8}, 10, 3, {E, E, 8}},
        {{}, 10, 0, {}},
        {{23, 8, 5, 0, -1}, -3, 5, {}},
        {{23, 8, 5, 0, -1}, 2, 5, {23, 8}},
        {{23, 8, 5, 0, -1, 7, 7, 7, 7, 7}, 10, 10, {23, 8, 5, 0, -1, 7, 7, 7, 7, 7}},
    };
    for (const auto& c : cases) {
        TQxStawkiKolejne a = From(c.slots);
        EXPECT_EQ(a.IleUstawionych(), c.countBefore);
        a.ObetnijDoTylu(c.cut);
        EXPECT_EQ(Values(a), Padded(c.afterCut)) << c.cut;
    }
}

TEST(StawkiKolejne, HostRatesFillTheSlotsLastFirst) {
    TMacSetOfIntegers rates;
    for (int r : {0, 5, 8, 23, -7}) rates.Add(r);
    TQxStawkiKolejne a;
    a.WczytajZListyDostepnychStawek(rates);
    EXPECT_EQ(Values(a), Padded({E, 23, 8, 5, 0}));
    for (int r = 100; r < 112; ++r) rates.Add(r);
    a.WczytajZListyDostepnychStawek(rates);
    EXPECT_EQ(Values(a), (Slots{111, 110, 109, 108, 107, 106, 105, 104, 103, 102}));
}

class Assignment : public ::testing::Test {
protected:
    FakeHostLink host;
    AnsiString& Stored(const char* name) { return host.params[AnsiString("Qx_NovitusECR_") + name]; }
};

TEST_F(Assignment, FollowsTheHostsRatesWhileNothingIsStored) {
    host.rates = {0, 5, 8, 23};
    host.ratesPrec = {0, 500, 800, 2300, -1};
    TestAction action(&host);
    EXPECT_EQ(Values(action.GetStawkiKolejne()), Padded({23, 8, 5, 0}));
    EXPECT_EQ(Values(action.GetStawkiKolejnePrec()), Padded({-1, 2300, 800, 500, 0}));
    action.GetStawkiDostepne();
    action.GetStawkiDostepnePrec();
    EXPECT_EQ(host.rateFetches, 2);  // each list once per action
}

TEST_F(Assignment, PreciseReadTakesTheStoredTextFirstThenThePlainOneInHundredths) {
    host.ratesPrec = {2300};
    Stored("PosortowaneStawkiVat") = "23\r\n0\r\n-1";
    {
        TestAction action(&host);
        EXPECT_EQ(Values(action.GetStawkiKolejnePrec()), Padded({2300, 0, -1}));
        EXPECT_EQ(Values(action.GetStawkiKolejne()), Padded({23, 0, -1}));
    }
    Stored("PosortowaneStawkiVatPrec") = "850\r\n-1";
    TestAction action(&host);
    EXPECT_EQ(Values(action.GetStawkiKolejnePrec()), Padded({850, -1}));
    EXPECT_EQ(host.rateFetches, 0);
}

TEST_F(Assignment, DeviceWithFewerSlotsCutsTheAssignment) {
    struct FourSlots : TestAction {
        using TestAction::TestAction;
        int IleMaxStawekKolejnych() override { return 4; }
    } action(&host);
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n5\r\n0\r\n-1\r\n7";
    EXPECT_EQ(Values(action.GetStawkiKolejne()), Padded({23, 8, 5, 0}));
}

TEST_F(Assignment, SavingWritesBothOwnParameters) {
    TestAction action(&host);
    action.GetStawkiKolejne().SetWartosci(0, 23);
    action.GetStawkiKolejnePrec().SetWartosci(1, 2350);
    action.ZapiszStawkiKolejne();
    action.ZapiszStawkiKolejnePrec();
    EXPECT_EQ(Stored("PosortowaneStawkiVat"), From({23}).SpiszDoTekstuParametru());
    EXPECT_EQ(Stored("PosortowaneStawkiVatPrec"), From({E, 2350}).SpiszDoTekstuParametru());
    host.acceptWrites = false;
    try {
        action.ZapiszStawkiKolejne();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "B\xB3\xB9\x64 zapisu w\xB3\x61snego parametru 'Qx_NovitusECR_PosortowaneStawkiVat' do bazy danych");
    }
}

TEST_F(Assignment, SlotLookupsRememberTheLastRate) {
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n5";
    Stored("PosortowaneStawkiVatPrec") = "2300\r\n800";
    TestAction action(&host);
    EXPECT_EQ(action.NumerStawki(8), 1);
    // Moved behind the lookup's back: the remembered slot answers until another rate is asked.
    action.GetStawkiKolejne().SetWartosci(1, E);
    action.GetStawkiKolejne().SetWartosci(3, 8);
    EXPECT_EQ(action.NumerStawki(8), 1);
    EXPECT_EQ(action.NumerStawki(23), 0);
    EXPECT_EQ(action.NumerStawki(8), 3);
    EXPECT_EQ(action.NumerStawki(77), -1);
    action.GetStawkiKolejne().SetWartosci(4, 77);
    EXPECT_EQ(action.NumerStawki(77), 4);  // a miss is not remembered

    EXPECT_EQ(action.NumerStawkiPrec(800), 1);
    try {
        action.NumerStawkiPrec(2350);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Niezdefiniowana stawka 23.50%");
    }
    action.GetStawkiKolejnePrec().SetWartosci(0, 2350);
    EXPECT_EQ(action.NumerStawkiPrec(2350), 0);
    // A fresh action knows nothing of the slots found before.
    TestAction next(&host);
    EXPECT_THROW(next.NumerStawkiPrec(9999), Exception);
}

TEST(FrmStawkiNaKasie, DisplayFormOfRates) {
    TFrmStawkiNaKasie plain(nullptr, false, nullptr), precise(nullptr, true, nullptr);
    const std::pair<int, const char*> shownPlain[] = {{150, "100"}, {-1, "zw"}, {-7, "<pusta>"}, {23, "23"}};
    for (auto [rate, text] : shownPlain) EXPECT_EQ(plain.ToDispFormat(rate), text);
    EXPECT_EQ(precise.ToDispFormat(2350), "23.50");
    EXPECT_EQ(precise.ToDispFormat(0), "0.00");
    const struct {
        const TFrmStawkiNaKasie& form;
        const char* text;
        int rate;
    } read[] = {{plain, " ZW ", -1},     {plain, "abc", E},       {plain, "7.5", 8},
                {precise, "23.5", 2350}, {precise, " 8.00", 800}, {plain, "99999999999", E}};
    for (const auto& r : read) EXPECT_EQ(r.form.FromDispFormat(r.text), r.rate) << r.text;
}

TEST(FrmStawkiNaKasie, CaptionsComeFromTheTranslationServiceByTheirKeys) {
    TMLgExtTools service([](char* out, int size, const char* context, const char* key) {
        return std::snprintf(out, static_cast<size_t>(size), "%s|%s", context, key);
    });
    const TFrmStawkiNaKasie form(nullptr, false, &service);
    const TDialog& d = form.Dialog();
    EXPECT_EQ(d.caption, "brevant_fstavat|Caption");
    EXPECT_EQ(d.Control("btn_ok").caption, "brevant_fstavat|btn_okCaption");
    EXPECT_EQ(d.Control("btn_cancel").caption, "brevant_fstavat|btn_cancCaption");
}

TEST(FrmStawkiNaKasie, RowLabelsCountFromANumberOrALetter) {
    const std::pair<const char*, std::vector<const char*>> cases[] = {
        {"1", {"1:", "2:", "10:"}}, {"A", {"A:", "B:", "J:"}}, {"5", {"5:", "6:", "14:"}}};
    for (const auto& [name, labels] : cases) {
        TFrmStawkiNaKasie form(nullptr, false, nullptr);
        form.SetNazwaStawki(name);
        const TDialog& d = form.Dialog();
        EXPECT_EQ(d.Control("Label1").caption, labels[0]);
        EXPECT_EQ(d.Control("Label2").caption, labels[1]);
        EXPECT_EQ(d.Control("Label10").caption, labels[2]);
    }
}

class VatDialog : public Assignment {
protected:
    void SetUp() override {
        host.rates = {0, 5, 8, 23, -1};
        host.ratesPrec = {0, 500, 800, 2300, -1};
        SetDialogPresenter(&presenter);
    }
    void TearDown() override { SetDialogPresenter(nullptr); }
    // The script: what the person does in the dialog.
    std::function<int(TDialog&)> script = [](TDialog&) { return mrCancel; };
    TScriptedDialogPresenter presenter{[this](TDialog& d) { return script(d); }};
};

TEST_F(VatDialog, ShowsTheAssignmentAndSavesTheRowsWhenConfirmed) {
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n50\r\n-1";  // 50 % is not among the host's rates
    script = [](TDialog& d) {
        const TDialogControl& row1 = d.Control("ComboBox1");
        EXPECT_EQ(row1.items, (std::vector<AnsiString>{"<pusta>", "0", "5", "8", "23", "zw"}));
        EXPECT_EQ(row1.selected, 4);
        EXPECT_EQ(d.Control("ComboBox3").selected, 0);
        EXPECT_EQ(d.Control("ComboBox4").selected, 5);
        EXPECT_TRUE(row1.enabled && d.Control("btn_ok").enabled);
        EXPECT_FALSE(d.Control("CBSpec").visible);
        d.Control("ComboBox5").selected = 2;
        return d.Press("btn_ok");
    };
    TestAction action(&host);
    action.WyswietlOknoStawekNaKasie("1", true, "");
    ASSERT_EQ(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown[0].caption, "Stawki VAT na kasie");
    EXPECT_EQ(Stored("PosortowaneStawkiVat"), From({23, 8, E, -1, 5}).SpiszDoTekstuParametru());
}

TEST_F(VatDialog, NothingIsSavedUnlessAnEditableDialogIsConfirmed) {
    const struct {
        bool editable;
        int answer;
    } cases[] = {{false, mrOk}, {false, mrCancel}, {true, mrCancel}, {true, mrNone}};
    for (const auto& c : cases) {
        script = [&](TDialog& d) {
            EXPECT_EQ(d.Control("ComboBox2").enabled, c.editable);
            EXPECT_EQ(d.Control("btn_ok").enabled, c.editable);
            d.Control("ComboBox2").selected = 3;
            return c.answer;
        };
        TestAction action(&host);
        action.WyswietlOknoStawekNaKasiePrec("A", c.editable, "");
        EXPECT_TRUE(host.writes.empty());
    }
}

TEST_F(VatDialog, SpecialRowShowsTheExemptRateReadOnlyUnderItsLabel) {
    script = [](TDialog& d) {
        const TDialogControl& spec = d.Control("CBSpec");
        EXPECT_TRUE(spec.visible && !spec.enabled);
        EXPECT_EQ(spec.caption, "zw");
        EXPECT_TRUE(d.Control("LabelSpec").visible);
        EXPECT_EQ(d.Control("LabelSpec").caption, "Zw.:");
        EXPECT_EQ(d.Control("ComboBox1").items[1], "0.00");
        return d.PressKey(TDialogKey::Escape);
    };
    TestAction action(&host);
    action.WyswietlOknoStawekNaKasiePrec("1", true, "Zw.:");
    EXPECT_EQ(presenter.shown.size(), 1u);
    EXPECT_TRUE(host.writes.empty());
}

}  // namespace
