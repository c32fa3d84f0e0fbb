// The goods-import choices: what the dialog shows from the host's parameters and what its
// two buttons leave there.
#include <gtest/gtest.h>

#include "driver/NovitusAction.h"
#include "platform/Dialog.h"
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

TEST_F(ImportDialog, BoxesShowTheParametersAndOnlyKontynuujStoresThem) {
    host.ownerWindow = reinterpret_cast<void*>(0x5150);
    using Out = std::function<int(const TDialog&)>;
    const struct {
        const char *overwrite, *logSave;
        bool shownOverwrite, shownLog;
        Out out;  // the way out, after the boxes were set to overwrite without a log
        bool stored;
    } cases[] = {
        {"FALSE", "TRUE", false, true, [](const TDialog& d) { return d.Press("MStatusButtonBar1.Kontynuuj"); }, true},
        {" TRUE ", "FALSE", true, false, [](const TDialog& d) { return d.PressKey(TDialogKey::F2); }, true},
        {"true", "", false, false, [](const TDialog& d) { return d.Press("MStatusButtonBar1.Rezygnuj"); }, false},
        {"FALSE", "TRUE", false, true, [](const TDialog& d) { return d.PressKey(TDialogKey::Escape); }, false},
    };
    for (const auto& c : cases) {
        host.params = {{kOverwrite, c.overwrite}, {kLogSave, c.logSave}};
        host.writes.clear();
        script = [&](TDialog& d) {
            EXPECT_EQ(d.Control("OverwriteCheckBox").checked, c.shownOverwrite);
            EXPECT_EQ(d.Control("LogFileCheckBox").checked, c.shownLog);
            d.Control("OverwriteCheckBox").checked = true;
            d.Control("LogFileCheckBox").checked = false;
            return c.out(d);
        };
        TQxNovitusECRAction action(&host, nullptr);
        EXPECT_EQ(action.ShowImportDialog(), c.stored) << c.overwrite;
        using Writes = std::vector<std::pair<AnsiString, AnsiString>>;
        const Writes stored = {{kOverwrite, "TRUE"}, {kLogSave, "FALSE"}};
        EXPECT_EQ(host.writes, c.stored ? stored : Writes());
        const TDialog& shown = presenter.shown.back();
        EXPECT_EQ(shown.owner, host.ownerWindow);
        EXPECT_EQ(shown.caption, "Import towar\xF3w z kasy");
        EXPECT_EQ(shown.Control("OverwriteCheckBox").caption, "Nadpisywa\xE6 towary o takim samym kodzie");
        EXPECT_EQ(shown.answerWithoutScreen, mrOk);
    }
}

}  // namespace
