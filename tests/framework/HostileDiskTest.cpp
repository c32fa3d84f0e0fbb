// Folder parameters on disks that refuse to be written, and folders the host hands over in
// forms this system cannot use as they are.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"
#include "tests/support/SmallDisk.h"
#include "tests/support/TempDir.h"

namespace {

const AnsiString kDiskFull = u8"Brak miejsca na dysku w katalogu \"%s\", zwolnij miejsce aby kontynuować";
const AnsiString kReadOnly = u8"Katalog \"%s\" leży na nośniku tylko do odczytu, wskaż inny katalog aby kontynuować";
const AnsiString kNoRight = u8"Qivera nie ma uprawnień do zapisu w katalogu \"%s\", nadaj uprawnienia aby kontynuować";

AnsiString Expected(const AnsiString& pattern, const AnsiString& dir) {
    return Ansi(pattern.substr(0, pattern.find("%s"))) + dir + Ansi(pattern.substr(pattern.find("%s") + 2));
}

AnsiString ProbeError(const AnsiString& dir) {
    FakeHostLink host;
    host.params = {{"Dir", dir}};
    TestAction action(&host);
    try {
        action.ParamAsDir("Dir");
    } catch (const Exception& e) {
        return e.Message();
    }
    return "";
}

size_t EntriesIn(const std::filesystem::path& dir) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.path().filename() != "fill";
    return n;
}

// The system, except that creating a file behaves as on a disk with the given fault: the
// file is made (as a full disk still makes the entry) and its bytes are refused.
class TFaultyDisk : public TOs {
public:
    explicit TFaultyDisk(TFileFault fault) : FFault(fault) { SetOs(this); }
    ~TFaultyDisk() override { SetOs(nullptr); }
    bool FileExists(const AnsiString& p) override { return SystemOs().FileExists(p); }
    bool DirectoryExists(const AnsiString& p) override { return SystemOs().DirectoryExists(p); }
    bool ForceDirectories(const AnsiString& p) override { return SystemOs().ForceDirectories(p); }
    bool DeleteFile(const AnsiString& p) override { return SystemOs().DeleteFile(p); }
    bool CreateNewFile(const AnsiString& p, const AnsiString&) override {
        if (FFault == ffDiskFull) SystemOs().CreateNewFile(p, "");  // an empty entry stays behind
        return false;
    }
    TFileFault LastFileFault() override { return FFault; }
    AnsiString ShortPathName(const AnsiString& p) override { return p; }
    AnsiString RegistryString(const AnsiString&, const AnsiString&) override { return ""; }
    int MessageBox(const AnsiString&, const AnsiString&, int) override { return 1; }

private:
    TFileFault FFault;
};

TEST(HostileDisk, ProbeSaysWhyAndLeavesNothingBehind) {
    const struct {
        TFileFault fault;
        const AnsiString& message;
    } cases[] = {{ffDiskFull, kDiskFull}, {ffReadOnly, kReadOnly}, {ffNoPermission, kNoRight}, {ffOther, kNoRight}};
    for (const auto& c : cases) {
        TempDir tmp;
        TFaultyDisk disk(c.fault);
        // Again and again: no probe file piles up, so the folder is never refused for good.
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ProbeError(tmp.Dir()), Expected(c.message, tmp.Dir())) << c.fault;
        EXPECT_EQ(EntriesIn(tmp.Path()), 0u) << c.fault;
    }
}

TEST(HostileDisk, RealFullAndReadOnlyDisks) {
    for (TSmallDisk::TKind kind : {TSmallDisk::Full, TSmallDisk::ReadOnly}) {
        TSmallDisk disk(kind);
        if (!disk.Mounted()) GTEST_SKIP() << "no small filesystem can be mounted here";
        EXPECT_EQ(ProbeError(disk.Dir()), Expected(kind == TSmallDisk::Full ? kDiskFull : kReadOnly, disk.Dir()));
        EXPECT_EQ(EntriesIn(disk.Path()), 0u);
    }
}

TEST(HostileDisk, ExchangeDirectoryGetsItsSeparator) {
    TempDir tmp;
    FakeHostLink host;
    host.device.exchangeDirectory = tmp.File("wymiana");
    TestAction action(&host);
    EXPECT_EQ(action.FNameLOG(), tmp.File("wymiana") + PathDelim + "kasa.log");
    host.device.exchangeDirectory = tmp.Dir();  // one separator is enough
    EXPECT_EQ(TestAction(&host).FNameLOG(), tmp.Dir() + "kasa.log");
}

#ifndef _WIN32
TEST(HostileDisk, DriveLetterFolderGoesUnderTheUsersDataFolder) {
    TempDir data;
    const char* old = std::getenv("XDG_DATA_HOME");
    const AnsiString saved = old ? old : "";
    FakeHostLink host;
    host.params = {{"Edi", "c:\\QvrWin\\EDI"}, {"Slash", "D:/Dane"}};
    setenv("XDG_DATA_HOME", data.Path().c_str(), 1);
    {
        TestAction action(&host);
        EXPECT_EQ(action.ParamAsDir("Edi"), data.File("velkora/c/QvrWin/EDI"));
        EXPECT_EQ(action.ParamAsDir("Slash"), data.File("velkora/d/Dane"));
        EXPECT_TRUE(std::filesystem::is_directory(data.Path() / "velkora/c/QvrWin/EDI"));
        EXPECT_FALSE(std::filesystem::exists("c:"));
        EXPECT_FALSE(std::filesystem::exists("c:\\QvrWin\\EDI"));
    }
    // Without a data folder the user is told to choose another folder.
    const char* home = std::getenv("HOME");
    const AnsiString savedHome = home ? home : "";
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(ProbeError("c:\\QvrWin\\EDI"),
              Ansi(u8"Katalog \"c:\\QvrWin\\EDI\" wskazuje dysk systemu Windows, a użytkownik nie ma katalogu danych; "
                   u8"podaj inny katalog"));
    if (!savedHome.empty()) setenv("HOME", savedHome.c_str(), 1);
    if (!saved.empty()) setenv("XDG_DATA_HOME", saved.c_str(), 1);
}
#endif

}  // namespace
