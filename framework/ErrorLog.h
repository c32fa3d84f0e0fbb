#pragma once
// A list of text lines kept in a file; the file is emptied when the list is created and
// stays on disk afterwards.
#include "platform/File.h"

class TErrorLog {
public:
    explicit TErrorLog(const AnsiString& path);
    ~TErrorLog();
    TErrorLog(const TErrorLog&) = delete;
    TErrorLog& operator=(const TErrorLog&) = delete;

    void Add(const AnsiString& line);
    int GetCount() const { return count; }
    void GotoFirst();
    // Both readers deliver the line read and return true when the end of the file was reached.
    bool GetFirst(AnsiString& line);
    bool GetNext(AnsiString& line);

private:
    TMFile file;
    int count = 0;
};
