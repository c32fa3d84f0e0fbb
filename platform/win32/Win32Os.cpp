#include "platform/DateTools.h"
#include "platform/Os.h"
#include "platform/win32/Win32Api.h"

namespace {

class TWin32Os : public TOs {
public:
    bool FileExists(const AnsiString& path) override { return !path.empty() && win32::IsFile(path); }

    bool DirectoryExists(const AnsiString& path) override { return !path.empty() && win32::IsDirectory(path); }

    bool ForceDirectories(const AnsiString& path) override {
        AnsiString native = NativePath(path);
        while (native.size() > 1 && native.back() == '\\' && native[native.size() - 2] != ':') native.pop_back();
        if (native.empty()) return false;
        // The first level that can be created: after "C:\", after "\\server\share\" or at the
        // start of a relative path.
        size_t first = 0;
        if (native.size() >= 2 && native[1] == ':') {
            first = native.size() > 2 && native[2] == '\\' ? 3 : 2;
        } else if (native.compare(0, 2, "\\\\") == 0) {
            size_t server = native.find('\\', 2);
            size_t share = server == AnsiString::npos ? AnsiString::npos : native.find('\\', server + 1);
            first = share == AnsiString::npos ? native.size() : share + 1;
        } else if (native[0] == '\\') {
            first = 1;
        }
        for (size_t i = first; i <= native.size(); ++i) {
            if (i == native.size() || native[i] == '\\') {
                if (i == first || native[i - 1] == '\\') continue;
                if (!win32::MakeDirectory(native.substr(0, i))) return false;
            }
        }
        return DirectoryExists(native);
    }

    bool DeleteFile(const AnsiString& path) override { return !path.empty() && win32::RemoveFile(path); }

    bool CreateNewFile(const AnsiString& path, const AnsiString& bytes) override {
        FFault = ffOther;
        if (path.empty()) return false;
        FFault = static_cast<TFileFault>(win32::FileFaultOf(win32::CreateNewFile(path, bytes)));
        return FFault == ffNone;
    }

    TFileFault LastFileFault() override { return FFault; }

    AnsiString ShortPathName(const AnsiString& path) override {
        AnsiString shortPath = win32::ShortPath(path);
        return shortPath.empty() ? path : shortPath;
    }

    AnsiString RegistryString(const AnsiString& key, const AnsiString& value) override {
        return win32::RegistryString(key, value);
    }

    int MessageBox(const AnsiString& text, const AnsiString& caption, int flags) override {
        return win32::ShowMessageBox(text, caption, flags);
    }

private:
    TFileFault FFault = ffNone;
};

class TWin32Clock : public TClock {
public:
    void Sleep(unsigned milliseconds) override { win32::SleepMilliseconds(milliseconds); }
    uint32_t GetTickCount() override { return win32::TickCount(); }
    double Now() override {
        win32::LocalTime t = win32::Now();
        if (!TdtTools::IsValid(t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds)) return 0;
        return TdtTools::Encode(t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds);
    }
};

}  // namespace

AnsiString SystemFolder(const AnsiString& path) { return path; }

TOs& SystemOs() {
    static TWin32Os os;
    return os;
}

TClock& SystemClock() {
    static TWin32Clock clock;
    return clock;
}
