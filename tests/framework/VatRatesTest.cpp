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
    EXPECT_EQ(TQxStawkiKolejne().SpiszDoTekstuParametru(),
              "-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
    EXPECT_EQ(From({23, 8, 5, 0, -1, -7}).SpiszDoTekstuParametru(),
              "23\r\n8\r\n5\r\n0\r\n-1\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
}

TEST(StawkiKolejne, CountAndCutOfTheUsedSlots) {
    const struct {
        Slots slots;
        int cut, countBefore;
        Slots afterCut;
    } cases[] = {
        {{E, E, 8}, 10, 3, {E, E, 8}},
        {{}, 10, 0, {}},
        {{23, 8, 5, 0, -1}, -3, 5, {}},
        {{23, 8, 5, 0, -1}, 2, 5, {23, 8}},
    };
    for (const auto& c : cases) {
        TQxStawkiKolejne a = From(c.slots);
        EXPECT_EQ(a.IleUstawionych(), c.countBefore);
        a.ObetnijDoTylu(c.cut);
        EXPECT_EQ(Values(a), Padded(c.afterCut)) << c.cut;
    }
}

class Assignment : public ::testing::Test {
protected:
    FakeHostLink host;
    AnsiString& Stored(const char* name) { return host.params[AnsiString("Qx_NovitusECR_") + name]; }
};

TEST_F(Assignment, StoredTextsComeFirstThenTheHostsRatesLastFirst) {
    host.rates = {0, 5, 8, 23, -7};
    host.ratesPrec = {0, 500, 800, 2300, -1};
    const struct {
        const char *plain, *precise;
        Slots expectedPlain, expectedPrecise;
    } cases[] = {
        {"", "", {E, 23, 8, 5, 0}, {-1, 2300, 800, 500, 0}},
        {"23\r\n0\r\n-1", "", {23, 0, -1}, {2300, 0, -1}},
        {"23", " 850\r\n-1", {23}, {850, -1}},
    };
    for (const auto& c : cases) {
        Stored("PosortowaneStawkiVat") = c.plain;
        Stored("PosortowaneStawkiVatPrec") = c.precise;
        host.rateFetches = 0;
        TestAction action(&host);
        EXPECT_EQ(Values(action.GetStawkiKolejne()), Padded(c.expectedPlain)) << c.plain;
        EXPECT_EQ(Values(action.GetStawkiKolejnePrec()), Padded(c.expectedPrecise)) << c.precise;
        action.GetStawkiDostepne();
        action.GetStawkiDostepnePrec();
        EXPECT_EQ(host.rateFetches, 2);  // each list once per action
    }
}

TEST_F(Assignment, DeviceWithFewerSlotsCutsTheAssignmentAndBothAreSaved) {
    struct FourSlots : TestAction {
        using TestAction::TestAction;
        int IleMaxStawekKolejnych() override { return 4; }
    } action(&host);
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n5\r\n0\r\n-1\r\n7";
    action.ZapiszStawkiKolejne();
    action.ZapiszStawkiKolejnePrec();
    EXPECT_EQ(Stored("PosortowaneStawkiVat"), From({23, 8, 5, 0}).SpiszDoTekstuParametru());
    EXPECT_EQ(Stored("PosortowaneStawkiVatPrec"), From({2300, 800, 500, 0}).SpiszDoTekstuParametru());
}

TEST_F(Assignment, SlotLookupsRememberTheLastRate) {
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n5";
    Stored("PosortowaneStawkiVatPrec") = "2300\r\n800";
    TestAction action(&host);
    EXPECT_EQ(action.NumerStawki(8), 1);
    // Moved behind the lookup's back: the remembered slot answers until another rate is asked.
    action.GetStawkiKolejne().SetWartosci(3, 8);
    action.GetStawkiKolejne().SetWartosci(1, E);
    EXPECT_EQ(action.NumerStawki(8), 1);
    EXPECT_EQ(action.NumerStawki(23), 0);
    EXPECT_EQ(action.NumerStawki(8), 3);
    EXPECT_EQ(action.NumerStawki(77), -1);
    EXPECT_EQ(action.NumerStawkiPrec(800), 1);
    try {
        action.NumerStawkiPrec(2300 + 50);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Niezdefiniowana stawka 23.50%");
    }
    // A fresh action knows nothing of the slots found before, not even for the marker 9999.
    TestAction next(&host);
    EXPECT_THROW(next.NumerStawkiPrec(9999), Exception);
}

TEST(FrmStawkiNaKasie, DisplayFormsRowLabelsAndCaptions) {
    TMLgExtTools service([](char* out, int size, const char* context, const char* key) {
        return std::snprintf(out, static_cast<size_t>(size), "%s|%s", context, key);
    });
    TFrmStawkiNaKasie plain(nullptr, false, nullptr), precise(nullptr, true, &service);
    const std::pair<int, const char*> shown[] = {{150, "100"}, {-1, "zw"}, {-7, "<pusta>"}, {23, "23"}};
    for (auto [rate, text] : shown) EXPECT_EQ(plain.ToDispFormat(rate), text);
    EXPECT_EQ(precise.ToDispFormat(2350), "23.50");
    const struct {
        const TFrmStawkiNaKasie& form;
        const char* text;
        int rate;
    } read[] = {{plain, " ZW ", -1},     {plain, "abc", E},       {plain, "7.5", 8},
                {precise, "23.5", 2350}, {precise, " 8.00", 800}, {plain, "99999999999", E}};
    for (const auto& r : read) EXPECT_EQ(r.form.FromDispFormat(r.text), r.rate) << r.text;

    for (auto [name, first, last] :
         {std::make_tuple("1", "1:", "10:"), std::make_tuple("A", "A:", "J:"), std::make_tuple("5", "5:", "14:")}) {
        plain.SetNazwaStawki(name);
        EXPECT_EQ(plain.Dialog().Control("Label1").caption, first);
        EXPECT_EQ(plain.Dialog().Control("Label10").caption, last);
    }
    EXPECT_EQ(precise.Dialog().caption, "brevant_fstavat|Caption");
    EXPECT_EQ(precise.Dialog().Control("btn_ok").caption, "brevant_fstavat|btn_okCaption");
    EXPECT_EQ(precise.Dialog().Control("btn_cancel").caption, "brevant_fstavat|btn_cancCaption");
}

class VatDialog : public Assignment {
protected:
    void SetUp() override {
        host.rates = {0, 5, 8, 23, -1};
        host.ratesPrec = {0, 500, 800, 2300, -1};
        SetDialogPresenter(&presenter);
    }
    void TearDown() override { SetDialogPresenter(nullptr); }
    std::function<int(TDialog&)> script;  // what the person does in the dialog
    TScriptedDialogPresenter presenter{[this](TDialog& d) { return script(d); }};
};

TEST_F(VatDialog, ShowsTheAssignmentAndSavesTheRowsWhenConfirmed) {
    Stored("PosortowaneStawkiVat") = "23\r\n8\r\n50\r\n-1";  // 50 % is not among the host's rates
    script = [](TDialog& d) {
        EXPECT_EQ(d.Control("ComboBox1").items, (std::vector<AnsiString>{"<pusta>", "0", "5", "8", "23", "zw"}));
        const std::pair<const char*, int> selected[] = {{"ComboBox1", 4}, {"ComboBox3", 0}, {"ComboBox4", 5}};
        for (auto [row, item] : selected) EXPECT_EQ(d.Control(row).selected, item) << row;
        EXPECT_FALSE(d.Control("CBSpec").visible);
        d.Control("ComboBox5").selected = 2;
        return d.Press("btn_ok");
    };
    TestAction action(&host);
    action.WyswietlOknoStawekNaKasie("1", true, "");
    EXPECT_EQ(Stored("PosortowaneStawkiVat"), From({23, 8, E, -1, 5}).SpiszDoTekstuParametru());
}

TEST_F(VatDialog, NothingIsSavedUnlessAnEditableDialogIsConfirmed) {
    const std::pair<bool, int> cases[] = {{false, mrOk}, {false, mrCancel}, {true, mrCancel}, {true, mrNone}};
    for (auto [editable, answer] : cases) {
        script = [&](TDialog& d) {
            EXPECT_EQ(d.Control("ComboBox2").enabled, editable);
            EXPECT_EQ(d.Control("btn_ok").enabled, editable);
            d.Control("ComboBox2").selected = 3;
            return answer;
        };
        TestAction action(&host);
        action.WyswietlOknoStawekNaKasiePrec("A", editable, "Zw.:");
        const TDialog& shown = presenter.shown.back();
        EXPECT_TRUE(shown.Control("CBSpec").visible && !shown.Control("CBSpec").enabled);
        EXPECT_EQ(shown.Control("CBSpec").caption, "zw");
        EXPECT_EQ(shown.Control("LabelSpec").caption, "Zw.:");
    }
    EXPECT_TRUE(host.writes.empty());
}

}  // namespace
