#pragma once
// The command-line host's goods file: the goods the driver's goods import handed over through
// callback 33, kept by code in a small file so that they last between runs. A code it does not
// know is added; a known one is updated when the driver asks to overwrite, else skipped.
#include <map>

#include "host/DriverHost.h"

class TGoodsBook {
public:
    explicit TGoodsBook(AnsiString path) : FPath(std::move(path)) {}
    void Load();
    void Save() const;
    const AnsiString& Path() const { return FPath; }

    // The host's answer to the goods: 1 added, 2 updated, 0 skipped.
    int Take(const THostGoods& goods);
    // The answer as the host shows it.
    static AnsiString AnswerText(int answer);

    std::map<AnsiString, THostGoods> goods;  // by code without surrounding blanks

private:
    AnsiString FPath;
};
