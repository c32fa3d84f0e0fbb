#include "framework/ErrorLog.h"

TErrorLog::TErrorLog(const AnsiString& path) {
    file.SetPath(path);
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(0);
    file.SetEof();
}

TErrorLog::~TErrorLog() {
    try {
        file.Close();
    } catch (...) {
    }
}

void TErrorLog::Add(const AnsiString& line) {
    file.SetPointer(file.GetSize());
    file.WriteLine(line, "\r\n");
    ++count;
}

void TErrorLog::GotoFirst() { file.SetPointer(0); }

bool TErrorLog::GetFirst(AnsiString& line) {
    GotoFirst();
    return GetNext(line);
}

bool TErrorLog::GetNext(AnsiString& line) { return !file.ReadLine(line, "\r\n"); }
