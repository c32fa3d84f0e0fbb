#pragma once
// The operating system as the driver sees it. One interface; platform/posix and
// platform/win32 implement it. Tests may replace the clock with a virtual one.
#include <cstdint>

#include "platform/Strings.h"

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// Both "/" and "\\" are read as path separators wherever a path is taken apart or used.
bool IsPathDelimiter(char c);
// The path with PathDelim appended, unless it is empty or already ends with a separator.
AnsiString IncludeTrailingPathDelimiter(const AnsiString& path);
AnsiString ExtractFilePath(const AnsiString& path);  // up to and including the last separator
// The path with every separator written as this system's PathDelim (what the OS layer and
// TMFile hand to the system, so "dir\\name" works on POSIX too).
AnsiString NativePath(const AnsiString& path);

// A folder as this system can use it. On POSIX a Windows drive-letter path ("c:\\QvrWin\\EDI",
// "c:/QvrWin/EDI") would be a relative path, made in whatever the working directory is; it is
// placed under the user's data directory instead ($XDG_DATA_HOME, else ~/.local/share), in
// "velkora/c/QvrWin/EDI", and is "" when there is no such directory. Any other path, and
// every path on Windows, stays as it is.
AnsiString SystemFolder(const AnsiString& path);

// Why a file could not be written, as the driver tells the user.
enum TFileFault { ffNone = 0, ffDiskFull, ffNoPermission, ffReadOnly, ffOther };

class TClock {
public:
    virtual ~TClock() = default;
    virtual void Sleep(unsigned milliseconds) = 0;
    virtual uint32_t GetTickCount() = 0;  // milliseconds, wraps like the system's
    virtual double Now() = 0;             // local date-time, days since 1899-12-30
};

class TOs {
public:
    virtual ~TOs() = default;
    virtual bool FileExists(const AnsiString& path) = 0;
    virtual bool DirectoryExists(const AnsiString& path) = 0;
    // Creates the directory and every missing parent; true when it exists afterwards.
    virtual bool ForceDirectories(const AnsiString& path) = 0;
    virtual bool DeleteFile(const AnsiString& path) = 0;
    // Creates a new file, failing when it exists; writes the bytes and closes it. A file it
    // created but could not write is removed again.
    virtual bool CreateNewFile(const AnsiString& path, const AnsiString& bytes) = 0;
    // Why the last CreateNewFile failed (ffNone after a success).
    virtual TFileFault LastFileFault() { return ffOther; }
    // The short (8.3) form of a path; on POSIX the path itself. At most 260 bytes; when the
    // system has no short form (missing file, longer result) the path itself.
    virtual AnsiString ShortPathName(const AnsiString& path) = 0;
    // A plain string value under HKEY_LOCAL_MACHINE\key, 32-bit view; "" on any error or on POSIX.
    virtual AnsiString RegistryString(const AnsiString& key, const AnsiString& value) = 0;
    // A modal message box; on POSIX the text goes to standard error and OK (1) is answered.
    virtual int MessageBox(const AnsiString& text, const AnsiString& caption, int flags) = 0;
};

// The process-wide instances. SetClock(nullptr) restores the system clock and SetOs(nullptr)
// the system; tests install fakes (a message box must not wait for a user in a test).
TOs& Os();
TClock& Clock();
void SetClock(TClock* clock);
void SetOs(TOs* os);

// Shorthands through Clock().
inline void Sleep(unsigned milliseconds) { Clock().Sleep(milliseconds); }
inline uint32_t GetTickCount() { return Clock().GetTickCount(); }

// The system implementations (one per OS).
TOs& SystemOs();
TClock& SystemClock();

// A clock that only moves when slept on: for tests of waits and dialogues.
class TVirtualClock : public TClock {
public:
    explicit TVirtualClock(double startDays = 46000.5) : FStart(startDays) {}
    void Sleep(unsigned milliseconds) override;  // Sleep(0) advances 1 ms, so polling ends
    uint32_t GetTickCount() override { return FTicks; }
    double Now() override;
    // Moves ticks and date-time on without a sleep.
    void Advance(unsigned milliseconds);
    // Sets the date-time (the ticks keep running from where they are).
    void SetNow(double days);
    // Total milliseconds slept or advanced so far.
    unsigned long long Elapsed() const { return FElapsed; }

private:
    uint32_t FTicks = 1000;
    double FStart;
    unsigned long long FElapsed = 0;         // since construction
    unsigned long long FElapsedAtStart = 0;  // FElapsed when FStart was last set
};
