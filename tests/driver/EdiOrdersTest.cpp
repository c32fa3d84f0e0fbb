// Orders staged by the sales import become EDI order documents in the EDI folder.
#include <filesystem>
#include <set>

#include "tests/driver/SalesFixture.h"

namespace {

AnsiString Header(char type, const char* number, const char* date, int lines, const char* nip = "",
                  const char* shop = "", const char* text = "Sklep") {
    AnsiString header = Format("D$#010%c%10s%-20s", type, number, text) + "ZAM " + date +
                        Format("%-20s%010d", "Dostawa", lines) + "202403160800" + Format("%-11s%10s", nip, shop);
    header.resize(176, ' ');
    return header;
}
AnsiString Line(const char* code, int quantity) { return Format("D$#001%18s%010d", code, quantity); }

class EdiOrders : public SalesFixture {
protected:
    std::vector<AnsiString> Documents() const {
        std::vector<AnsiString> names;
        for (const auto& entry : std::filesystem::directory_iterator(tmp.File("EDI")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    AnsiString Document(const AnsiString& name) const { return ReadAll(tmp.File("EDI") + "/" + name); }
};

TEST_F(EdiOrders, AnOrderBecomesADocumentAndEachConversionAFileOfItsOwn) {
    host.params["NovitusECROrdersMagNo"] = "MAG1";
    for (int run = 0; run < 2; ++run) {
        Stage({Header('2', "42", "202403141230", 2, "5260250274", "17"), Line("5900001", 1500), Line("5900002", 12)});
        EXPECT_EQ(Run(), "");
    }
    const std::vector<AnsiString> expected = {"Doc0032024031412300000000042.txt",
                                              "Doc0032024031412300000000042_001.txt"};
    ASSERT_EQ(Documents(), expected);
    EXPECT_EQ(Document(expected[0]),
              "TypPolskichLiter:LA\r\nTypDok:ZAM\r\nNrDok:42\r\nData:14.03.2024\r\nDataRealizacji:16.03.2024\r\n"
              "Magazyn:MAG1\r\nNrWystawcyWSieciSklepow:17\r\nNIPWystawcy:5260250274\r\nIndeksCentralny:NIE\r\n"
              "NazwaWystawcy:Kasa nr 3 (KASA 3)\r\nIloscLinii:2\r\nLinia:Kod{5900001}Ilosc{1.500}\r\n"
              "Linia:Kod{5900002}Ilosc{0.012}\r\n");
    EXPECT_TRUE(Shown("Utworzono nowy dokument EDI z zam\xF3wieniem: " + expected[1]));
    EXPECT_FALSE(Os().FileExists(tmp.File("order.imp")));
}

TEST_F(EdiOrders, HeaderFieldsDecideWhatTheDocumentSays) {
    const struct {
        AnsiString header;
        const char* shopLength;
        const char* expected;  // a line of the document, or "" for no document
        bool present;
    } cases[] = {
        {Header('1', "1", "202403141230", 1), "0", "", false},
        {Header('2', "2", "202403141230", 0), "0", "", false},
        {Header('2', "3", "202403141230", 1), "0", "NIPWystawcy:3\r\n", true},
        {Header('2', "4", "202403141230", 1, "", "17"), "5", "NrWystawcyWSieciSklepow:00017\r\n", true},
        {Header('2', "5", "202403141230", 1, "", "17"), "0", "NrWystawcyWSieciSklepow:17\r\n", true},
        {Header('2', "6", "202403141230", 1), "0", "NrWystawcy", false},
        // A text field with the intermediate text's separator in it shifts nothing.
        {Header('2', "7", "202403141230", 1, "", "", "Sklep; 2; 3"), "0", "NrDok:7\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        std::filesystem::remove_all(tmp.File("EDI"));
        std::filesystem::create_directories(tmp.File("EDI"));
        host.params["NovitusECROrdersShopNoLen"] = c.shopLength;
        Stage({c.header, Line("5900001", 1000)});
        EXPECT_EQ(Run(), "");
        const std::vector<AnsiString> names = Documents();
        if (*c.expected == 0) {
            EXPECT_TRUE(names.empty());
            continue;
        }
        ASSERT_EQ(names.size(), 1u);
        EXPECT_EQ(Document(names[0]).find(c.expected) != AnsiString::npos, c.present);
    }
}

TEST_F(EdiOrders, TwoOrdersTwoDocumentsEachWithItsOwnLines) {
    Stage({Header('2', "1", "202403141230", 1), Line("5900001", 1000), Header('2', "2", "202403141230", 2),
           Line("5900002", 2000), Line("5900003", 3000)});
    EXPECT_EQ(Run(), "");
    const std::vector<AnsiString> names = Documents();
    ASSERT_EQ(names.size(), 2u);
    EXPECT_NE(Document(names[0]).find("IloscLinii:1\r\nLinia:Kod{5900001}Ilosc{1.000}\r\n"), AnsiString::npos);
    EXPECT_NE(Document(names[1]).find("IloscLinii:2\r\nLinia:Kod{5900002}Ilosc{2.000}\r\nLinia:Kod{5900003}"),
              AnsiString::npos);
}

TEST_F(EdiOrders, WhatTheRegisterSendsNeverNamesAFileOutsideTheFolder) {
    Stage({Header('2', "..\\CON", "../../../x/a", 1), Line("5900001", 1000), Header('2', "C:\\x", "C:/AUX.txt..", 1),
           Line("5900001", 1000)});
    EXPECT_EQ(Run(), "");
    const std::vector<AnsiString> expected = {"Doc003198001010000000000.txt", "Doc003198001010000000000_001.txt"};
    EXPECT_EQ(Documents(), expected);
    std::set<AnsiString> top;
    for (const auto& entry : std::filesystem::directory_iterator(tmp.Path()))
        top.insert(entry.path().filename().string());
    EXPECT_EQ(top, (std::set<AnsiString>{"EDI", "arch.imp", "errors.txt"}));
}

TEST_F(EdiOrders, AnOrderShorterThanAnnouncedFailsTheAnalysis) {
    Stage({Header('2', "9", "202403141230", 3), Line("5900001", 1000), Line("5900002", 1000)});
    Run();
    EXPECT_TRUE(failed);
    EXPECT_TRUE(Shown("B\xB3\xB9\x64 w linii 4 pliku " + tmp.File("order.imp") + "!"));
    EXPECT_TRUE(Os().FileExists(Staging()));
}

}  // namespace
