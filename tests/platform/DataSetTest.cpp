#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "platform/DataSet.h"
#include "platform/DateTools.h"
#include "platform/Exceptions.h"

namespace {

// Goods list as the driver builds it: code, name, price, date of change.
class GoodsDataSet : public ::testing::Test {
protected:
    void SetUp() override {
        AddField("Kod", mftString);
        AddField("Plu", mftInteger);
        AddField("Cena", mftExtended);
        AddField("Data", mftDateTime);
        AddField("Ilosc", mftFloat);
        data.Open();
    }
    void AddField(const char* name, TMFieldType type) {
        TMField* field = data.GetFieldsList()->Add();
        field->SetName(name);
        field->SetType(type);
    }
    void AppendCode(const char* code) {
        data.Append();
        data.FieldByName("Kod")->SetAsString(code);
    }
    std::vector<AnsiString> Codes() {
        std::vector<AnsiString> codes;
        for (data.First(); !data.Eof(); data.Next()) codes.push_back(data.FieldByName("Kod")->GetAsString());
        return codes;
    }
    TMDataSet data;
};

}  // namespace

TEST_F(GoodsDataSet, FieldsAreFoundByNameInAnyCase) {
    EXPECT_EQ(data.FieldByName("KOD"), data.Fields().GetFields(0));
    EXPECT_EQ(data.FieldByName("cena")->GetType(), mftExtended);
    EXPECT_EQ(data.FieldByName("Cena")->GetName(), "Cena");
    EXPECT_EQ(data.Fields().GetCount(), 5);
    EXPECT_EQ(data.Fields().Find("brak"), nullptr);
    try {
        data.FieldByName("Brak");
        FAIL() << "no exception";
    } catch (const EMException& e) {
        EXPECT_EQ(e.GetCode(), EM_DATASET_ERROR);
        EXPECT_NE(e.GetDescription().find("Brak"), AnsiString::npos);
    }
}

TEST_F(GoodsDataSet, RenamedFieldIsFoundUnderTheNewName) {
    data.FieldByName("Kod")->SetName("KodKreskowy");
    EXPECT_EQ(data.Fields().Find("Kod"), nullptr);
    EXPECT_EQ(data.FieldByName("kodkreskowy"), data.Fields().GetFields(0));
}

TEST_F(GoodsDataSet, AppendAddsAtTheEndAndMakesItCurrent) {
    EXPECT_EQ(data.GetCount(), 0);
    AppendCode("A");
    AppendCode("B");
    EXPECT_EQ(data.GetCount(), 2);
    EXPECT_EQ(data.GetPosition(), 1);
    EXPECT_EQ(data.FieldByName("Kod")->GetAsString(), "B");
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"A", "B"}));
}

TEST_F(GoodsDataSet, NewRecordsAreEmpty) {
    data.Append();
    EXPECT_EQ(data.FieldByName("Kod")->GetAsString(), "");
    EXPECT_EQ(data.FieldByName("Plu")->GetAsInteger(), 0);
    EXPECT_EQ(data.FieldByName("Cena")->GetAsExtended(), 0);
    EXPECT_EQ(data.FieldByName("Data")->GetAsDateTime(), 0);
}

TEST_F(GoodsDataSet, InsertAddsAtTheCurrentPosition) {
    AppendCode("A");
    AppendCode("C");
    data.SetPosition(1);
    data.Insert();
    EXPECT_EQ(data.GetPosition(), 1);
    data.FieldByName("Kod")->SetAsString("B");
    data.SetPosition(0);
    data.Insert();
    data.FieldByName("Kod")->SetAsString("0");
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"0", "A", "B", "C"}));
}

TEST_F(GoodsDataSet, InsertIntoAnEmptyDataSetOrPastTheEndAppends) {
    data.Insert();
    data.FieldByName("Kod")->SetAsString("A");
    data.First();
    data.Next();
    ASSERT_TRUE(data.Eof());
    data.Insert();
    data.FieldByName("Kod")->SetAsString("B");
    EXPECT_EQ(data.GetPosition(), 1);
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"A", "B"}));
}

TEST_F(GoodsDataSet, DeleteRemovesTheCurrentRecordAndTheNextOneFollows) {
    for (const char* code : {"A", "B", "C"}) AppendCode(code);
    data.SetPosition(1);
    data.Delete();
    EXPECT_EQ(data.GetCount(), 2);
    EXPECT_EQ(data.FieldByName("Kod")->GetAsString(), "C");
    data.Delete();
    EXPECT_TRUE(data.Eof());
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"A"}));
}

TEST_F(GoodsDataSet, DeletingWhileWalking) {
    for (const char* code : {"x1", "keep", "x2", "x3", "keep2"}) AppendCode(code);
    for (data.First(); !data.Eof();) {
        if (data.FieldByName("Kod")->GetAsString()[0] == 'x')
            data.Delete();
        else
            data.Next();
    }
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"keep", "keep2"}));
}

TEST_F(GoodsDataSet, ValuesStayWithTheirRecordsAcrossInsertAndDelete) {
    for (int i = 0; i < 5; ++i) {
        data.Append();
        data.FieldByName("Plu")->SetAsInteger(i);
        data.FieldByName("Cena")->SetAsExtended(i * 1.5L);
    }
    data.SetPosition(2);
    data.Delete();
    data.SetPosition(0);
    data.Insert();
    data.FieldByName("Plu")->SetAsInteger(100);
    std::vector<long long> plus;
    std::vector<long double> prices;
    for (data.First(); !data.Eof(); data.Next()) {
        plus.push_back(data.FieldByName("Plu")->GetAsInteger());
        prices.push_back(data.FieldByName("Cena")->GetAsExtended());
    }
    EXPECT_EQ(plus, (std::vector<long long>{100, 0, 1, 3, 4}));
    EXPECT_EQ(prices, (std::vector<long double>{0, 0, 1.5L, 4.5L, 6}));
}

TEST_F(GoodsDataSet, ClearRemovesAllRecords) {
    AppendCode("A");
    AppendCode("B");
    data.Clear();
    EXPECT_EQ(data.GetCount(), 0);
    EXPECT_TRUE(data.Eof());
    AppendCode("C");
    EXPECT_EQ(Codes(), (std::vector<AnsiString>{"C"}));
}

TEST_F(GoodsDataSet, PositionsOutsideTheRecordsRaise) {
    EXPECT_THROW(data.SetPosition(0), EMException);
    AppendCode("A");
    EXPECT_NO_THROW(data.SetPosition(0));
    EXPECT_THROW(data.SetPosition(1), EMException);
    EXPECT_THROW(data.SetPosition(-1), EMException);
    EXPECT_EQ(data.GetPosition(), 0);
}

TEST_F(GoodsDataSet, FieldAccessWithoutACurrentRecordRaises) {
    EXPECT_THROW(data.FieldByName("Kod")->GetAsString(), EMException);
    EXPECT_THROW(data.FieldByName("Plu")->SetAsInteger(1), EMException);
    EXPECT_THROW(data.Delete(), EMException);
    AppendCode("A");
    data.Next();
    EXPECT_THROW(data.FieldByName("Cena")->GetAsExtended(), EMException);
}

TEST_F(GoodsDataSet, StringFieldConversions) {
    data.Append();
    TMField* code = data.FieldByName("Kod");
    code->SetAsInteger(-42);
    EXPECT_EQ(code->GetAsString(), "-42");
    EXPECT_EQ(code->GetAsInteger(), -42);
    code->SetAsString("12a");
    try {
        code->GetAsInteger();
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'12a' is not a valid integer value");
    }
    code->SetAsExtended(12.25L);
    EXPECT_EQ(code->GetAsString(), "12.25");
    EXPECT_EQ(code->GetAsExtended(), 12.25L);
    code->SetAsString("");
    EXPECT_THROW(code->GetAsInteger(), EConvertError);
    EXPECT_THROW(code->GetAsExtended(), EConvertError);
}

TEST_F(GoodsDataSet, IntegerFieldConversions) {
    data.Append();
    TMField* plu = data.FieldByName("Plu");
    plu->SetAsString("1234567890123");
    EXPECT_EQ(plu->GetAsInteger(), 1234567890123LL);
    EXPECT_EQ(plu->GetAsString(), "1234567890123");
    EXPECT_THROW(plu->SetAsString("1.5"), EConvertError);
    EXPECT_EQ(plu->GetAsInteger(), 1234567890123LL);  // unchanged
    plu->SetAsExtended(62.5L);
    EXPECT_EQ(plu->GetAsInteger(), 63);
    plu->SetAsExtended(-2.5L);
    EXPECT_EQ(plu->GetAsInteger(), -3);
    EXPECT_THROW(plu->SetAsExtended(1e30L), EConvertError);
    plu->SetAsString("");
    EXPECT_EQ(plu->GetAsInteger(), 0);
    EXPECT_EQ(plu->GetAsExtended(), 0);
}

TEST_F(GoodsDataSet, ExtendedFieldWritesTheShortestText) {
    data.Append();
    TMField* price = data.FieldByName("Cena");
    auto text = [&](long double value) {
        price->SetAsExtended(value);
        return price->GetAsString();
    };
    EXPECT_EQ(text(0), "0");
    EXPECT_EQ(text(12.5L), "12.5");
    EXPECT_EQ(text(-0.25L), "-0.25");
    EXPECT_EQ(text(0.1), "0.1");   // a double's 0.1
    EXPECT_EQ(text(0.1L), "0.1");  // an extended 0.1
    EXPECT_EQ(text(1.0L / 3), "0.33333333333333333334");
    EXPECT_EQ(text(1e12L), "1000000000000");
    EXPECT_EQ(text(123456789012345678.0L), "123456789012345678");
    EXPECT_EQ(text(100), "100");
    EXPECT_EQ(text(1e-7L), "1e-07");
}

TEST_F(GoodsDataSet, ExtendedTextReadsBackExactly) {
    data.Append();
    TMField* price = data.FieldByName("Cena");
    for (long double value : {1.0L / 3, 2.0L / 3, 1234.5678L, -9.87654321e-5L, 3.141592653589793238L}) {
        price->SetAsExtended(value);
        AnsiString text = price->GetAsString();
        price->SetAsString(text);
        EXPECT_EQ(price->GetAsExtended(), value) << text;
    }
}

TEST_F(GoodsDataSet, ExtendedFieldReadsText) {
    data.Append();
    TMField* price = data.FieldByName("Cena");
    price->SetAsString("1999.99");
    EXPECT_EQ(price->GetAsExtended(), 1999.99L);
    EXPECT_EQ(price->GetAsInteger(), 2000);
    EXPECT_THROW(price->SetAsString("1999,99"), EConvertError);
    price->SetAsString("");
    EXPECT_EQ(price->GetAsExtended(), 0);
}

TEST_F(GoodsDataSet, FloatFieldKeepsDoublePrecision) {
    data.Append();
    TMField* quantity = data.FieldByName("Ilosc");
    quantity->SetAsExtended(1.0L / 3);
    EXPECT_EQ(quantity->GetAsExtended(), static_cast<long double>(1.0 / 3));
    EXPECT_EQ(quantity->GetAsString(), "0.3333333333333333");
}

TEST_F(GoodsDataSet, DateTimeFieldIsADouble) {
    data.Append();
    TMField* date = data.FieldByName("Data");
    double value = TdtTools::Encode(2024, 3, 5, 14, 30, 15, 250);
    date->SetAsDateTime(value);
    EXPECT_EQ(date->GetAsDateTime(), value);
    EXPECT_EQ(date->GetAsString(), "2024-03-05 14:30:15.250");
    date->SetAsDateTime(TdtTools::Encode(2024, 3, 5, 14, 30, 15));
    EXPECT_EQ(date->GetAsString(), "2024-03-05 14:30:15");
    date->SetAsString("2023-12-31");
    EXPECT_EQ(date->GetAsDateTime(), TdtTools::Encode(2023, 12, 31));
    date->SetAsString("20231231235959999");
    EXPECT_EQ(date->GetAsDateTime(), TdtTools::Encode(2023, 12, 31, 23, 59, 59, 999));
    EXPECT_THROW(date->SetAsString("31.12.2023"), EConvertError);
    EXPECT_EQ(date->GetAsInteger(), 45291);
}

TEST_F(GoodsDataSet, FieldAddedOrRetypedAfterRecordsExist) {
    AppendCode("A");
    AppendCode("B");
    TMField* extra = data.GetFieldsList()->Add();
    extra->SetName("Extra");
    EXPECT_EQ(extra->GetAsString(), "");
    extra->SetType(mftInteger);
    extra->SetAsInteger(5);
    data.SetPosition(0);
    EXPECT_EQ(extra->GetAsInteger(), 0);
    data.Append();
    EXPECT_EQ(data.GetCount(), 3);
    EXPECT_EQ(extra->GetAsInteger(), 0);
}

TEST(DataSet, HundredThousandWideRecords) {
    TMDataSet data;
    for (int i = 0; i < 43; ++i) {
        TMField* field = data.GetFieldsList()->Add();
        field->SetName("F" + std::to_string(i));
        field->SetType(i % 3 == 0 ? mftString : i % 3 == 1 ? mftInteger : mftExtended);
    }
    data.Open();
    std::vector<TMField*> fields;
    for (int i = 0; i < 43; ++i) fields.push_back(data.FieldByName("f" + std::to_string(i)));
    for (int r = 0; r < 100000; ++r) {
        data.Append();
        fields[0]->SetAsString("K" + std::to_string(r));
        fields[1]->SetAsInteger(r);
        fields[2]->SetAsExtended(r / 4.0L);
    }
    ASSERT_EQ(data.GetCount(), 100000);
    long long sum = 0;
    for (data.First(); !data.Eof(); data.Next()) sum += fields[1]->GetAsInteger();
    EXPECT_EQ(sum, 4999950000LL);
    data.SetPosition(99999);
    EXPECT_EQ(fields[0]->GetAsString(), "K99999");
    EXPECT_EQ(fields[2]->GetAsString(), "24999.75");
}

// Each record keeps its values in one block, as short as they allow: a value that needs more
// or fewer bytes than before must not disturb the fields after it, nor other records.
TEST(DataSet, ValuesOfEveryLengthStayExact) {
    TMDataSet data;
    TMField* code = data.Fields().Add("Kod", mftString);
    TMField* count = data.Fields().Add("Ilosc", mftInteger);
    TMField* price = data.Fields().Add("Cena", mftExtended);
    TMField* last = data.Fields().Add("Ostatni", mftString);
    data.Open();
    const struct {
        const char* text;
        long long integer;
        long double number;
    } rows[] = {
        {"", 0, 0.0L},
        {"x", -1, -0.0L},
        {"a rather long text of more than a few bytes", LLONG_MIN, 0.1L},
        {"12", LLONG_MAX, 0.1},
        {"\xff\x01", 127, 1e300L},
        {"ąę", 128, -4611686018427387904.0L},
        {"k", -300000, 9223372036854775808.0L},
        {"", 1, HUGE_VALL},
        {"z", 16383, -123456789.5L},
    };
    const size_t n = sizeof rows / sizeof rows[0];
    // Written twice over, the second time in the opposite order of records.
    for (int pass = 0; pass < 2; ++pass) {
        for (size_t k = 0; k < n; ++k) {
            if (pass == 0) data.Append();
            data.SetPosition(static_cast<int>(k));
            const auto& row = rows[pass == 0 ? k : n - 1 - k];
            code->SetAsString(row.text);
            count->SetAsInteger(row.integer);
            price->SetAsExtended(row.number);
            last->SetAsString(IntToStr(static_cast<long long>(k)));
        }
    }
    for (size_t k = 0; k < n; ++k) {
        data.SetPosition(static_cast<int>(k));
        const auto& row = rows[n - 1 - k];
        EXPECT_EQ(code->GetAsString(), row.text);
        EXPECT_EQ(count->GetAsInteger(), row.integer);
        EXPECT_EQ(price->GetAsExtended(), row.number);
        EXPECT_EQ(std::signbit(price->GetAsExtended()), std::signbit(row.number));
        EXPECT_EQ(last->GetAsString(), IntToStr(static_cast<long long>(k)));
    }
    data.SetPosition(2);
    price->SetAsExtended(NAN);
    data.SetPosition(0);
    data.SetPosition(2);
    EXPECT_TRUE(std::isnan(price->GetAsExtended()));
}
