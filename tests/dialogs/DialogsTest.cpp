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

// What a control shows, to compare a window with the form's data: a list's height is the
// system's and its text the selected item; a button shows its shortcut before its caption.
auto Shown(TDialogControl c) {
    const bool list = c.kind == TDialogControlKind::DropDownList || c.kind == TDialogControlKind::ComboEdit;
    if (!c.shortcutText.empty()) c.caption = c.shortcutText + "  " + c.caption;
    return std::make_tuple(static_cast<int>(c.kind), c.left, c.top, c.width, list ? 0 : c.height,
                           c.kind == TDialogControlKind::DropDownList ? "" : c.caption, c.items, list ? c.selected : -1,
                           c.checked, c.enabled, c.visible, c.tabOrder, c.rightAligned);
}

void ExpectShownAsDesigned(const TDialog& shown, const TDialog& form) {
    EXPECT_EQ(std::make_tuple(shown.caption, shown.clientWidth, shown.clientHeight, shown.fontName, shown.eastEuropean),
              std::make_tuple(form.caption, form.clientWidth, form.clientHeight, AnsiString("Arial"), true));
    ASSERT_EQ(shown.controls.size(), form.controls.size());
    for (size_t i = 0; i < form.controls.size(); ++i) {
        TDialogControl s = shown.controls[i];
        s.shortcutText.clear();  // read back as part of the caption
        EXPECT_EQ(Shown(s), Shown(form.controls[i])) << form.controls[i].name;
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
    void* owner = nullptr;
};

TEST_F(ImportWindow, LaidOutAsDesignedAndOnlyKontynuujStoresTheChoices) {
    const struct {
        const char* what;
        std::function<void(TDialogRobot&)> act;
        bool answer;
        const char* picture;
    } cases[] = {
        {"F2", [](TDialogRobot& r) { r.Key(TDialogKey::F2); }, true, "dialog-import-towarow"},
        {"Kontynuuj", [](TDialogRobot& r) { r.Click(2); }, true, nullptr},
        {"Esc", [](TDialogRobot& r) { r.Key(TDialogKey::Escape); }, false, nullptr},
        {"Rezygnuj", [](TDialogRobot& r) { r.Click(3); }, false, nullptr},
        {"close box", [](TDialogRobot& r) { r.CloseBox(); }, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        host->params["NovitusECRImportOverWrite"] = "FALSE";
        host->params["NovitusECRImportLogSave"] = "TRUE";
        const int writesBefore = host->CountCalls(21);
        Person person;
        bool answer = false;
        int code = -1;
        AnsiString name;
        person.Work(
            kImportCaption, c.picture,
            [&](TDialogRobot& r) {
                r.Click(0);
                r.Click(1);
                c.act(r);
            },
            [&] { answer = host->ShowWindow(2, &code, &name); });
        EXPECT_EQ(answer, c.answer);
        EXPECT_EQ(code, 2);
        EXPECT_EQ(host->CountCalls(21) - writesBefore, c.answer ? 2 : 0);
        EXPECT_EQ(host->params["NovitusECRImportOverWrite"], c.answer ? "TRUE" : "FALSE");
        EXPECT_EQ(host->params["NovitusECRImportLogSave"], c.answer ? "FALSE" : "TRUE");
        ExpectShownAsDesigned(person.seen, Tfrm_import(owner, nullptr).Dialog());
        EXPECT_EQ(person.seen.owner, owner);
        EXPECT_FALSE(person.ownerEnabled);
        EXPECT_TRUE(WindowEnabled(owner));
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

TEST_F(VatWindow, RowsAreLaidOutAsDesignedAndSavedOnlyWhenEditableAndConfirmed) {
    const struct {
        bool precise, editable;
        const char *firstSlot, *special, *picture, *saved;
    } cases[] = {
        {false, true, "1", "", "dialog-stawki-vat",
         "8\r\n8\r\n-999\r\n-1\r\n5\r\n-999\r\n-999\r\n-999\r\n-999\r\n-999"},
        {true, false, "A", "Zw:", "dialog-stawki-vat-podglad", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        // The form as the action fills it, to compare with what the window shows.
        TFrmStawkiNaKasie form(owner, c.precise, nullptr);
        {
            TestAction reader(&host);
            form.SetStawkiMarket(c.precise ? reader.GetStawkiDostepnePrec() : reader.GetStawkiDostepne());
            form.SetStawkiUrzadzenia(c.precise ? reader.GetStawkiKolejnePrec() : reader.GetStawkiKolejne(), c.editable);
            form.SetIloscStawek(10);
            form.SetNazwaStawki(c.firstSlot);
            form.StawkaSpecjalna(c.special, -1);
            form.SetSpecjalnaWidoczna(*c.special != 0);
        }
        const TDialog& design = form.Dialog();
        host.writes.clear();
        const AnsiString before = host.params["Qx_NovitusECR_PosortowaneStawkiVat"];
        TestAction action(&host);
        Person person;
        person.Work(
            kVatCaption, c.picture,
            [&](TDialogRobot& r) {
                r.Select(IndexOf(design, "ComboBox5"), 2);  // a disabled list takes no choice
                r.Select(IndexOf(design, "ComboBox1"), 3);
                r.Click(IndexOf(design, "btn_ok"));
                if (!c.editable) r.Key(TDialogKey::Escape);
            },
            [&] {
                if (c.precise)
                    action.WyswietlOknoStawekNaKasiePrec(c.firstSlot, c.editable, c.special);
                else
                    action.WyswietlOknoStawekNaKasie(c.firstSlot, c.editable, c.special);
            });
        ExpectShownAsDesigned(person.seen, design);
        EXPECT_EQ(person.seen.owner, owner);
        EXPECT_FALSE(person.ownerEnabled);
        EXPECT_EQ(host.params["Qx_NovitusECR_PosortowaneStawkiVat"], c.saved ? AnsiString(c.saved) : before);
        EXPECT_EQ(host.writes.size(), c.saved ? 1u : 0u);
    }
}

}  // namespace
