// The driver's two dialogs as real windows: a person (a second thread working the windows
// through messages) sees the form's data laid out, ticks, picks and presses, and the test
// checks what reached the host and what the call answered. The goods-import dialog is
// reached through velkora.dll, the VAT dialog through the framework linked in. When
// VELKORA_SCREENSHOTS names a folder, each dialog waits there for its picture to be taken.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "driver/FrmImport.h"
#include "framework/FrmStawkiNaKasie.h"
#include "platform/DialogRobot.h"
#include "tests/exports/HostFixture.h"
#include "tests/framework/TestAction.h"

namespace {

const char* const kImportCaption = "Import towar\xF3w z kasy";
const char* const kVatCaption = "Stawki VAT na kasie";

// Asks the screenshot script for a picture of the dialog and waits until it is taken.
void Picture(TDialogRobot& robot, const char* name) {
    const char* folder = std::getenv("VELKORA_SCREENSHOTS");
    if (!folder || !*folder) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // painted
    int left, top, width, height;
    robot.ScreenRect(left, top, width, height);
    const std::filesystem::path dir(folder);
    {
        std::ofstream(dir / (std::string(name) + ".tmp"))
            << width << "x" << height << "+" << left << "+" << top << "\n";
    }
    std::filesystem::rename(dir / (std::string(name) + ".tmp"), dir / (std::string(name) + ".geometry"));
    for (int i = 0; i < 300 && !std::filesystem::exists(dir / (std::string(name) + ".done")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

// While show() runs the dialog on this thread, a person works it on another: seen is the
// dialog as it first came up, ownerEnabled whether the owner took input meanwhile. A dialog
// the person left open is closed, so that a failing test never hangs.
struct Person {
    TDialog seen;
    bool found = false;
    bool ownerEnabled = true;
    bool closedByPerson = true;

    template <typename Show>
    void Work(const char* caption, const char* picture, const std::function<void(TDialogRobot&)>& act, Show show) {
        std::thread person([&] {
            TDialogRobot robot;
            found = robot.WaitFor(caption, 20000);
            if (!found) return;
            seen = robot.Read();
            ownerEnabled = seen.owner && WindowEnabled(seen.owner);
            if (picture) Picture(robot, picture);
            act(robot);
            if (!robot.WaitGone(5000)) {
                closedByPerson = false;
                robot.CloseBox();
                robot.WaitGone(5000);
            }
        });
        show();
        person.join();
        ASSERT_TRUE(found) << caption;
        EXPECT_TRUE(closedByPerson);
    }
};

// The window shows the form's data: kinds, places, texts and states, the tab order.
void ExpectShownAsDesigned(const TDialog& shown, const TDialog& form) {
    EXPECT_EQ(shown.caption, form.caption);
    EXPECT_EQ(shown.clientWidth, form.clientWidth);
    EXPECT_EQ(shown.clientHeight, form.clientHeight);
    EXPECT_EQ(shown.fontName, "Arial");
    EXPECT_TRUE(shown.eastEuropean);
    ASSERT_EQ(shown.controls.size(), form.controls.size());
    for (size_t i = 0; i < form.controls.size(); ++i) {
        const TDialogControl &s = shown.controls[i], &f = form.controls[i];
        SCOPED_TRACE(f.name);
        EXPECT_EQ(s.kind, f.kind);
        EXPECT_EQ(std::make_tuple(s.left, s.top, s.width), std::make_tuple(f.left, f.top, f.width));
        const bool list = f.kind == TDialogControlKind::DropDownList || f.kind == TDialogControlKind::ComboEdit;
        if (!list) {
            EXPECT_EQ(s.height, f.height);
        } else {
            EXPECT_EQ(s.selected, f.selected);
        }
        if (f.kind == TDialogControlKind::Button && !f.shortcutText.empty()) {
            EXPECT_EQ(s.caption, f.shortcutText + "  " + f.caption);
        } else if (f.kind != TDialogControlKind::DropDownList) {
            EXPECT_EQ(s.caption, f.caption);
        }
        EXPECT_EQ(s.items, f.items);
        EXPECT_EQ(s.checked, f.checked);
        EXPECT_EQ(s.enabled, f.enabled);
        EXPECT_EQ(s.visible, f.visible);
        EXPECT_EQ(s.tabOrder, f.tabOrder);
        EXPECT_EQ(s.rightAligned, f.rightAligned);
    }
}

int IndexOf(const TDialog& form, const char* name) {
    for (size_t i = 0; i < form.controls.size(); ++i)
        if (form.controls[i].name == name) return static_cast<int>(i);
    ADD_FAILURE() << name;
    return 0;
}

class ImportWindow : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        owner = CreateHostWindow("Qivera");
        host->window = owner;
        Register();
    }
    void TearDown() override {
        HostFixture::TearDown();
        DestroyHostWindow(owner);
    }
    bool ShowWindow2(Person& person, const char* picture, const std::function<void(TDialogRobot&)>& act) {
        bool answer = false;
        int code = -1;
        AnsiString name;
        person.Work(kImportCaption, picture, act, [&] { answer = host->ShowWindow(2, &code, &name); });
        EXPECT_EQ(code, 2);
        return answer;
    }
    void* owner = nullptr;
};

TEST_F(ImportWindow, LaidOutAsDesignedModalToTheHostsWindow) {
    host->params["NovitusECRImportOverWrite"] = "FALSE";
    host->params["NovitusECRImportLogSave"] = "TRUE";
    Person person;
    EXPECT_TRUE(ShowWindow2(person, "dialog-import-towarow", [](TDialogRobot& r) {
        r.Click(0);
        r.Click(1);
        r.Key(TDialogKey::F2);
    }));
    EXPECT_EQ(host->params["NovitusECRImportOverWrite"], "TRUE");
    EXPECT_EQ(host->params["NovitusECRImportLogSave"], "FALSE");

    EXPECT_EQ(person.seen.owner, owner);
    EXPECT_FALSE(person.ownerEnabled);
    EXPECT_TRUE(WindowEnabled(owner));
    ExpectShownAsDesigned(person.seen, Tfrm_import(owner, nullptr).Dialog());
    ASSERT_EQ(person.seen.controls.size(), 4u);
    EXPECT_EQ(person.seen.caption, kImportCaption);
    EXPECT_EQ(person.seen.controls[0].caption, "Nadpisywa\xE6 towary o takim samym kodzie");
    EXPECT_EQ(person.seen.controls[1].caption, "Tworzy\xE6 plik logu - 'import.log'");
    EXPECT_EQ(person.seen.controls[2].caption, "F2  Kontynuuj");
}

TEST_F(ImportWindow, EveryWayOutButKontynuujLeavesTheChoicesAlone) {
    const struct {
        const char* what;
        std::function<void(TDialogRobot&)> act;
        bool answer;
    } cases[] = {
        {"Esc", [](TDialogRobot& r) { r.Key(TDialogKey::Escape); }, false},
        {"Rezygnuj", [](TDialogRobot& r) { r.Click(3); }, false},
        {"close box", [](TDialogRobot& r) { r.CloseBox(); }, false},
        {"Kontynuuj", [](TDialogRobot& r) { r.Click(2); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host->params["NovitusECRImportOverWrite"] = "FALSE";
        host->params["NovitusECRImportLogSave"] = "FALSE";
        const int writesBefore = host->CountCalls(21);
        Person person;
        EXPECT_EQ(ShowWindow2(person, nullptr,
                              [&](TDialogRobot& r) {
                                  r.Click(0);  // ticked, then left
                                  c.act(r);
                              }),
                  c.answer);
        EXPECT_EQ(host->CountCalls(21) - writesBefore, c.answer ? 2 : 0);
        EXPECT_EQ(host->params["NovitusECRImportOverWrite"], c.answer ? "TRUE" : "FALSE");
    }
}

class VatWindow : public ::testing::Test {
protected:
    void SetUp() override {
        host.rates = {0, 5, 8, 23, -1};
        host.ratesPrec = {0, 500, 800, 2300, -1};
        host.params["Qx_NovitusECR_PosortowaneStawkiVat"] = "23\r\n8\r\n50\r\n-1";
        owner = CreateHostWindow("Qivera");
        host.ownerWindow = owner;
    }
    void TearDown() override { DestroyHostWindow(owner); }
    FakeHostLink host;
    void* owner = nullptr;
};

TEST_F(VatWindow, RowsAreLaidOutAsDesignedAndTheChoiceIsSaved) {
    // The form as the action fills it, for comparison with what the window shows.
    TFrmStawkiNaKasie form(owner, false, nullptr);
    {
        TestAction reader(&host);
        form.SetStawkiMarket(reader.GetStawkiDostepne());
        form.SetStawkiUrzadzenia(reader.GetStawkiKolejne(), true);
        form.SetIloscStawek(10);
        form.SetNazwaStawki("1");
    }
    const TDialog& design = form.Dialog();
    Person person;
    TestAction action(&host);
    person.Work(
        kVatCaption, "dialog-stawki-vat",
        [&](TDialogRobot& r) {
            r.Select(IndexOf(design, "ComboBox5"), 2);
            r.Select(IndexOf(design, "ComboBox1"), 3);
            r.Click(IndexOf(design, "btn_ok"));
        },
        [&] { action.WyswietlOknoStawekNaKasie("1", true, ""); });
    ExpectShownAsDesigned(person.seen, design);
    EXPECT_EQ(person.seen.owner, owner);
    EXPECT_FALSE(person.ownerEnabled);
    EXPECT_EQ(host.params["Qx_NovitusECR_PosortowaneStawkiVat"],
              "8\r\n8\r\n-999\r\n-1\r\n5\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999");
}

TEST_F(VatWindow, ReadOnlyDialogSavesNothing) {
    Person person;
    TestAction action(&host);
    TFrmStawkiNaKasie names(nullptr, true, nullptr);
    person.Work(
        kVatCaption, "dialog-stawki-vat-podglad",
        [&](TDialogRobot& r) {
            r.Click(IndexOf(names.Dialog(), "btn_ok"));  // disabled: nothing happens
            r.Key(TDialogKey::Escape);
        },
        [&] { action.WyswietlOknoStawekNaKasiePrec("A", false, "Zw:"); });
    const TDialog& seen = person.seen;
    const TDialogControl& row1 = seen.controls[static_cast<size_t>(IndexOf(names.Dialog(), "ComboBox1"))];
    EXPECT_FALSE(row1.enabled);
    EXPECT_EQ(row1.items[4], "23.00");
    EXPECT_EQ(row1.selected, 4);
    EXPECT_FALSE(seen.controls[static_cast<size_t>(IndexOf(names.Dialog(), "btn_ok"))].enabled);
    EXPECT_EQ(seen.controls[static_cast<size_t>(IndexOf(names.Dialog(), "Label10"))].caption, "J:");
    EXPECT_TRUE(seen.controls[static_cast<size_t>(IndexOf(names.Dialog(), "CBSpec"))].visible);
    EXPECT_TRUE(host.writes.empty());
}

}  // namespace
