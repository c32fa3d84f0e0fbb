#include "driver/EdiOrders.h"

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "exchange/LJWords.h"
#include "platform/Exceptions.h"
#include "platform/File.h"
#include "platform/Os.h"

namespace {
const char* const kCls = "TQxNovitusECRAction";

// A text from the register as one field of the intermediate text: a ";" or a line end in it
// would split the field and shift every field after it.
AnsiString Field(AnsiString text) {
    for (char& c : text)
        if (c == ';' || c == '\r' || c == '\n') c = ' ';
    return text;
}

bool AllDigits(const AnsiString& text) {
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return !text.empty();
}

// A field as a number; unreadable gives the default.
int Number(const AnsiString& text, int defaultValue) {
    int value = 0;
    return TryStrToInt(Trim(text), value) ? value : defaultValue;
}

// "YYYYMMDD..." as day.month.year.
AnsiString DayMonthYear(const AnsiString& date) {
    return SubString(date, 7, 2) + "." + SubString(date, 5, 2) + "." + SubString(date, 1, 4);
}

[[noreturn]] void Malformed() { throw Exception(""); }
}  // namespace

AnsiString TEdiOrders::ParsePacket_ordHeader(const AnsiString& line) {
    const char* method = "ParsePacket_ordHeader";
    if (line.size() < 176) {
        FParsers.WarnShortLine(line, method,
                               u8" (nagłówek zamowienia) przysłana przez kasę ma nieprawidłową strukturę.");
        return "";
    }
    TLTools& tools = FAction.tools;
    tools.pltype_in = TLTools::plCP852;
    tools.pltype_out = TLTools::plCP1250;
    AnsiString text1;
    for (char c : SubString(line, 18, 20))
        if (static_cast<unsigned char>(c) != 0xFF) text1 += c;
    tools.plstring(text1);
    AnsiString text2 = SubString(line, 54, 20);
    tools.plstring(text2);
    const AnsiString fields[] = {SubString(line, 7, 1),
                                 Trim(SubString(line, 8, 10)),
                                 Trim(text1),
                                 Trim(SubString(line, 38, 4)),
                                 SubString(line, 42, 12) + "00000",
                                 Trim(text2),
                                 IntToStr(Number(SubString(line, 74, 10), 0)),
                                 SubString(line, 84, 12) + "00000",
                                 Trim(SubString(line, 96, 11)),
                                 Trim(SubString(line, 107, 10))};
    AnsiString header = "$#00;0;";
    for (const AnsiString& field : fields) header += Field(field) + ";";
    return header + "\r\n";
}

AnsiString TEdiOrders::ParsePacket_ordLine(const AnsiString& line) {
    if (line.size() < 34) {
        FParsers.WarnShortLine(line, "ParsePacket_ordLine",
                               u8" (linia zamowienia) przysłana przez kasę ma nieprawidłową strukturę.");
        return "";
    }
    return "$#00;1;" + Field(FParsers.FormatBarcodeIn(SubString(line, 7, 18))) + ";" +
           IntToStr(Number(SubString(line, 25, 10), 0)) + "\r\n";
}

void TEdiOrders::OrderSaveAndMakeEDI(const AnsiString& orderText) {
    TLTools::BufToFile(orderText, FAction.FNameORD());
    OrderConvert(FAction.FNameORD());
    Os().DeleteFile(FAction.FNameORD());
}

AnsiString TEdiOrders::FNameEDI(const AnsiString& dateKey, int orderNumber, int k) {
    // Only digits of the register's date key reach the name: whatever the register sends,
    // the document stays a plain file inside the EDI folder.
    AnsiString key;
    for (char c : dateKey)
        if (c >= '0' && c <= '9') key += c;
    return FAction.cfgEdiFolder + Format("Doc%03d", FAction.GetNrUrzadzenia()) + key + Format("%010d", orderNumber) +
           (k == 0 ? AnsiString() : Format("_%03d", k)) + ".txt";
}

void TEdiOrders::OrderConvert(const AnsiString& fileName) {
    const char* method = "OrderConvert";
    TMFile file;
    file.SetPath(fileName);
    file.SetReadOnly(true);
    int count = 0;
    try {
        file.Open();
        TLJWords words;
        words.FSeparator = ";";
        AnsiString line;
        for (;;) {
            if (!file.ReadLine(line) && line.empty()) break;
            ++count;
            if (words.Init(line) < 2) Malformed();
            if (Number(words[1], -1) != 0) continue;
            if (words.GetCount() < 12) Malformed();
            const int lines = Number(words[8], 0);
            if (lines == 0 || Number(words[2], -1) != 2) continue;
            const AnsiString orderNumber = words[3];
            AnsiString date = "01.01.1980", dateKey = "19800101";
            if (AllDigits(SubString(words[6], 1, 12)) && words[6].size() >= 12) {
                date = DayMonthYear(words[6]);
                dateKey = SubString(words[6], 1, 12);
            }
            const AnsiString realisation = words[9].size() >= 12 ? DayMonthYear(words[9]) : date;
            AnsiString nip = Trim(words[10]);
            if (nip.empty()) nip = IntToStr(FAction.GetNrUrzadzenia());
            AnsiString shop = Trim(words[11]);
            const int shopLength = FAction.ParamAsInt("NovitusECROrdersShopNoLen");
            if (!shop.empty() && shopLength != 0) TLTools::StrSize(shop, shopLength, '0', left, right);

            AnsiString doc = "TypPolskichLiter:LA\r\n";
            doc += AnsiString("TypDok:") + (FAction.ParamAsInt("NovitusECROrdersAs") == 0 ? "ZAM" : "ZAM_ODB") + "\r\n";
            doc += "NrDok:" + orderNumber + "\r\n";
            doc += "Data:" + date + "\r\n";
            doc += "DataRealizacji:" + realisation + "\r\n";
            doc += "Magazyn:" + FAction.ParamAsString("NovitusECROrdersMagNo") + "\r\n";
            if (!shop.empty()) doc += "NrWystawcyWSieciSklepow:" + shop + "\r\n";
            doc += "NIPWystawcy:" + nip + "\r\n";
            doc += "IndeksCentralny:NIE\r\n";
            doc += "NazwaWystawcy:" +
                   Format("Kasa nr %d (%s)\r\n", FAction.GetNrUrzadzenia(), FAction.GetNazwaUrzadzenia().c_str());
            doc += Format("IloscLinii:%d\r\n", lines);
            for (int i = 0; i < lines; ++i) {
                file.ReadLine(line);
                ++count;
                if (words.Init(line) < 2 || Number(words[1], -1) != 1 || words.GetCount() < 3) Malformed();
                AnsiString quantity = words[3];
                while (quantity.size() < 4) quantity.insert(0, 1, '0');
                quantity.insert(quantity.size() - 3, 1, '.');
                doc += "Linia:Kod{" + words[2] + "}Ilosc{" + quantity + "}\r\n";
            }
            TLTools& tools = FAction.tools;
            tools.pltype_in = TLTools::plCP1250;
            tools.pltype_out = TLTools::plCP852;
            tools.plstring(doc);

            const int number = Number(orderNumber, 0);
            int k = 0;
            while (k < 999 && Os().FileExists(FNameEDI(dateKey, number, k))) ++k;
            const AnsiString path = FNameEDI(dateKey, number, k);
            TLTools::BufToFile(doc, path);
            FAction.DodajKomunikat(zkOstrzezenie,
                                   NvTxt(kCls, method, "Utworzon", u8"Utworzono nowy dokument EDI z zamówieniem: ") +
                                       path.substr(FAction.cfgEdiFolder.size()));
        }
    } catch (...) {
        FAction.MsgAdd(
            FillIn(NvTxt(kCls, method, "Bladwlin", u8"Błąd w linii %d pliku %s!"), {IntToStr(count), fileName}),
            LPV_Error, 100);
        try {
            file.Close();
        } catch (...) {
        }
        throw;
    }
    file.Close();
}
