#pragma once
// The driver's tool set: Polish letters between the register's code page and the host's,
// fixed-width fields, EAN-13 completion, writing and archiving files, the communication log
// file and the host's installation folder.
#include <memory>

#include "platform/Strings.h"

class TMLgExtTools;
class TMFile;

// The side of a field at which characters are added or removed.
enum e_just { left = 0, right = 1 };

class TLTools {
public:
    TLTools();
    ~TLTools();
    TLTools(const TLTools&) = delete;
    TLTools& operator=(const TLTools&) = delete;

    // Rows of the letter table: 0 code page 852 (the register), 1 ISO 8859-2,
    // 2 Windows-1250 (the host), 3 Mazovia.
    enum { plCP852 = 0, plISO88592 = 1, plCP1250 = 2, plMazovia = 3, plRows = 4 };

    int pltype_in = plCP1250;
    int pltype_out = plCP1250;
    bool czy_debug = false;
    AnsiString dbg_fname;

    // Converts the Polish letters of text from row pltype_in to row pltype_out, in place;
    // returns a copy of the result.
    AnsiString plstring(AnsiString& text) const;

    // Makes text exactly size characters long, in place: a longer text loses characters at
    // cutSide, a shorter one gets fill characters at padSide. Returns a copy.
    static AnsiString StrSize(AnsiString& text, int size, char fill, e_just padSide, e_just cutSide);
    // A copy of text no longer than max; with dots a cut text longer than 3 characters ends
    // with "...".
    static AnsiString StrMax(const AnsiString& text, int max, bool dots);
    // Turns code into a 13-digit EAN-13 code with a correct check digit, in place.
    static void KorygujCyfreKontrolnaEAN13(AnsiString& code);

    // Replaces the file's content with bytes / appends bytes to the file (created when missing).
    static void BufToFile(const AnsiString& bytes, const AnsiString& fileName);
    static void BufToAppendFile(const AnsiString& bytes, const AnsiString& fileName);

    // Appends a copy of the text file source to archive, optionally after a dated header and an
    // extra line. A missing source writes nothing.
    static void ArchiveFile(const AnsiString& source, const AnsiString& archive, TMLgExtTools* translation,
                            bool isExport, int exportKind, bool withHeader, const AnsiString& extraLine);

    // The communication log file. It stays open from InitDebug until CloseDebug (or the
    // tools' end) and every line is handed to the system as it is written, so a crash loses
    // nothing. A line that cannot be written releases the file and raises; the next line
    // opens it again.
    void InitDebug(const AnsiString& fileName, TMLgExtTools* translation);
    void DebugIt(const AnsiString& direction, const AnsiString& data);
    // A line that repeats: identical consecutive calls become one line with their count
    // (" x" and the count after the data when there was more than one), written when
    // anything else is logged or the log closes. A register that floods the line with waits
    // or stray bytes costs one line per run.
    void DebugRun(const AnsiString& direction, const AnsiString& data);
    void CloseDebug();
    // Bytes one log (from InitDebug) may grow by; past it the log says once that it stopped.
    long long debugLimit = 64LL * 1024 * 1024;

    // The host's installation folder with a trailing backslash, "" when unknown.
    static AnsiString WczytajSciezkeDoBinariow();

private:
    void WriteDebugLine(const AnsiString& time, const AnsiString& direction, const AnsiString& data);
    void FlushRun();

    std::unique_ptr<TMFile> FDebugFile;
    TMLgExtTools* FDebugTranslation = nullptr;
    long long FDebugWritten = 0;
    bool FDebugStopped = false;
    // The run being counted: its first line's time, direction and data.
    AnsiString FRunTime, FRunDirection, FRunData;
    long long FRunCount = 0;
};
