// The goods-import choices: what the dialog shows from the host's parameters and what its
// two buttons leave there.
#include <gtest/gtest.h>

#include "driver/NovitusAction.h"
#include "platform/Dialog.h"
#include "platform/Exceptions.h"
#include "tests/support/FakeHostLink.h"

namespace {

const char* const kOverwrite = "NovitusECRImportOverWrite";
const char* const kLogSave = "NovitusECRImportLogSave";

class ImportDialog : public ::testing::Test {
protected:
    void SetUp() override { SetDialogPresenter(&presenter); }
    void TearDown() override { SetDialogPresenter(nullptr); }
    FakeHostLink host;
    std::function<int(TDialog&)> script;
    TScriptedDialogPresenter presenter{[this](TDialog& d) { return script(d); }};
};

TEST_F(ImportDialog, ButtonsDecideWhatIsStored) {
    const struct {
        const char *overwrite, *logSave;
        bool shownOverwrite, shownLog;
        bool tickOverwrite, tickLog;  // the boxes' state when a button is pressed
        const char* button;
        TDialogKey key;
        bool answer;
        std::vector<std::pair<AnsiString, AnsiString>> writes;
    } cases[] = {
        {"FALSE",
         "TRUE",
         false,
         true,
         true,
         false,
         "MStatusButtonBar1.Kontynuuj",
         TDialogKey::None,
         true,
         {{kOverwrite, "TRUE"}, {kLogSave, "FALSE"}}},
        {" TRUE ",
         "FALSE",
         true,
         false,
         true,
         false,
         "",
         TDialogKey::F2,
         true,
         {{kOverwrite, "TRUE"}, {kLogSave, "FALSE"}}},
        {"true", "", false, false, true, true, "MStatusButtonBar1.Rezygnuj", TDialogKey::None, false, {}},
        {"FALSE", "TRUE", false, true, true, true, "", TDialogKey::Escape, false, {}},
    };
    for (const auto& c : cases) {
        host.params = {{kOverwrite, c.overwrite}, {kLogSave, c.logSave}};
        host.writes.clear();
        script = [&](TDialog& d) {
            EXPECT_EQ(d.Control("OverwriteCheckBox").checked, c.shownOverwrite);
            EXPECT_EQ(d.Control("LogFileCheckBox").checked, c.shownLog);
            d.Control("OverwriteCheckBox").checked = c.tickOverwrite;
            d.Control("LogFileCheckBox").checked = c.tickLog;
            return *c.button ? d.Press(c.button) : d.PressKey(c.key);
        };
        TQxNovitusECRAction action(&host, nullptr);
        EXPECT_EQ(action.ShowImportDialog(), c.answer) << c.overwrite;
        EXPECT_EQ(host.writes, c.writes);
    }
}

TEST_F(ImportDialog, TextsAndOwnerOfTheForm) {
    host.ownerWindow = reinterpret_cast<void*>(0x5150);
    script = [](TDialog&) { return mrCancel; };
    TQxNovitusECRAction action(&host, nullptr);
    action.ShowImportDialog();
    ASSERT_EQ(presenter.shown.size(), 1u);
    const TDialog& d = presenter.shown[0];
    EXPECT_EQ(d.owner, host.ownerWindow);
    EXPECT_EQ(d.caption, "Import towar\xF3w z kasy");
    EXPECT_EQ(d.Control("OverwriteCheckBox").caption, "Nadpisywa\xE6 towary o takim samym kodzie");
    EXPECT_EQ(d.Control("LogFileCheckBox").caption, "Tworzy\xE6 plik logu - 'import.log'");
    EXPECT_EQ(d.Control("MStatusButtonBar1.Kontynuuj").shortcutText, "F2");
    EXPECT_EQ(d.Control("MStatusButtonBar1.Rezygnuj").shortcutText, "Esc");
    EXPECT_EQ(d.answerWithoutScreen, mrOk);
}

TEST_F(ImportDialog, RefusedWriteEndsTheDialogWithTheHostsError) {
    host.acceptWrites = false;
    script = [](TDialog& d) { return d.PressKey(TDialogKey::F2); };
    TQxNovitusECRAction action(&host, nullptr);
    EXPECT_THROW(action.ShowImportDialog(), Exception);
}

}  // namespace
