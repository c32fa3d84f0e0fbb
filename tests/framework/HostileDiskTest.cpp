// Folder parameters on disks that refuse to be written, and folders handed over in forms this
// system cannot use as they are.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Exceptions.h"
#include "platform/Os.h"
#include "platform/Translation.h"
#include "tests/framework/TestAction.h"
#include "tests/support/SmallDisk.h"

namespace {

AnsiString Refusal(TFileFault fault, const AnsiString& dir) {
    if (fault == ffDiskFull)
        return Ansi(u8"Brak miejsca na dysku w katalogu \"") + dir + Ansi(u8"\", zwolnij miejsce aby kontynuować");
    if (fault == ffReadOnly)
        return Ansi(u8"Katalog \"") + dir +
               Ansi(u8"\" leży na nośniku tylko do odczytu, wskaż inny katalog aby kontynuować");
    return Ansi(u8"Qivera nie ma uprawnień do zapisu w katalogu \"") + dir +
           Ansi(u8"\", nadaj uprawnienia aby kontynuować");
}

template <typename F>
AnsiString ErrorOf(F&& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

AnsiString ProbeError(const AnsiString& dir) {
    FakeHostLink host;
    host.params = {{"Dir", dir}};
    return ErrorOf([&] { TestAction(&host).ParamAsDir("Dir"); });
}

size_t EntriesIn(const std::filesystem::path& dir) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) n += entry.path().filename() != "fill";
    return n;
}

// The system, except that a new file gets the fault: on a full disk its entry is made, its
// bytes are refused.
struct TFaultyDisk : TOs {
    explicit TFaultyDisk(TFileFault f) : fault(f) { SetOs(this); }
    ~TFaultyDisk() override { SetOs(nullptr); }
    bool FileExists(const AnsiString& p) override { return SystemOs().FileExists(p); }
    bool DirectoryExists(const AnsiString& p) override { return SystemOs().DirectoryExists(p); }
    bool ForceDirectories(const AnsiString& p) override { return SystemOs().ForceDirectories(p); }
    bool DeleteFile(const AnsiString& p) override { return SystemOs().DeleteFile(p); }
    bool CreateNewFile(const AnsiString& p, const AnsiString&) override {
        if (fault == ffDiskFull) SystemOs().CreateNewFile(p, "");
        return false;
    }
    TFileFault LastFileFault() override { return fault; }
    AnsiString ShortPathName(const AnsiString& p) override { return p; }
    AnsiString RegistryString(const AnsiString&, const AnsiString&) override { return ""; }
    int MessageBox(const AnsiString&, const AnsiString&, int) override { return 1; }
    TFileFault fault;
};

TEST(HostileDisk, TheProbeSaysWhyAndLeavesNothingBehind) {
    for (TFileFault fault : {ffDiskFull, ffReadOnly, ffNoPermission, ffOther}) {
        TempDir tmp;
        TFaultyDisk disk(fault);
        // Again and again: no probe file piles up, so the folder is never refused for good.
        for (int i = 0; i < 3; ++i) EXPECT_EQ(ProbeError(tmp.Dir()), Refusal(fault, tmp.Dir())) << fault;
        EXPECT_EQ(EntriesIn(tmp.Path()), 0u) << fault;
    }
    for (TSmallDisk::TKind kind : {TSmallDisk::Full, TSmallDisk::ReadOnly}) {  // real ones, where they can be made
        TSmallDisk disk(kind);
        if (!disk.Mounted()) GTEST_SKIP() << "no small filesystem can be mounted here";
        EXPECT_EQ(ProbeError(disk.Dir()), Refusal(kind == TSmallDisk::Full ? ffDiskFull : ffReadOnly, disk.Dir()));
        EXPECT_EQ(EntriesIn(disk.Path()), 0u);
    }
}

TEST(HostileDisk, FoldersTheHostHandsOverAreMadeUsable) {
    TempDir tmp;
    FakeHostLink host;
    host.device.exchangeDirectory = tmp.File("wymiana");  // without its separator
    EXPECT_EQ(TestAction(&host).FNameLOG(), tmp.File("wymiana") + PathDelim + "kasa.log");
#ifndef _WIN32
    const AnsiString data = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("XDG_DATA_HOME", tmp.Path().c_str(), 1);
    host.params = {{"Edi", "c:\\QvrWin\\EDI"}, {"Slash", "D:/Dane"}};
    EXPECT_EQ(TestAction(&host).ParamAsDir("Edi"), tmp.File("velkora/c/QvrWin/EDI"));
    EXPECT_EQ(TestAction(&host).ParamAsDir("Slash"), tmp.File("velkora/d/Dane"));
    EXPECT_TRUE(std::filesystem::is_directory(tmp.Path() / "velkora/c/QvrWin/EDI"));
    EXPECT_FALSE(std::filesystem::exists("c:") || std::filesystem::exists("c:\\QvrWin\\EDI"));
    // Without a data folder the user is asked for another folder.
    const AnsiString home = std::getenv("HOME") ? std::getenv("HOME") : "";
    unsetenv("XDG_DATA_HOME");
    unsetenv("HOME");
    EXPECT_EQ(ProbeError("c:\\QvrWin\\EDI"), Ansi(u8"Katalog \"c:\\QvrWin\\EDI\" wskazuje dysk systemu Windows, a "
                                                  u8"użytkownik nie ma katalogu danych; podaj inny katalog"));
    if (!home.empty()) setenv("HOME", home.c_str(), 1);
    if (!data.empty()) setenv("XDG_DATA_HOME", data.c_str(), 1);
#endif
}

}  // namespace
