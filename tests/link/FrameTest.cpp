// Frames, block checks and start packets, byte for byte.
#include "tests/link/LinkRig.h"

namespace {

const AnsiString kZeros18(18, '0');
const AnsiString kBlank18(18, ' ');

}  // namespace

TEST(Frame, FrameOfAbc) {
    EXPECT_EQ(TEcrLink::CreatePacket("abc"), AnsiString("\x02"
                                                        "abc"
                                                        "\x03"
                                                        "0131"));
    EXPECT_EQ(TEcrLink::CalculateBCC("abc\x03", 4), 0x0131);
}

TEST(Frame, BlockCheckShiftsByPositionModuloNine) {
    // Byte 0xFF at position 8 is shifted by 8, at position 9 by 0 again.
    AnsiString nine(8, '\0');
    nine += '\xFF';
    EXPECT_EQ(TEcrLink::CalculateBCC(nine.data(), 9), 0xFF00);
    AnsiString ten = nine + '\xFF';
    EXPECT_EQ(TEcrLink::CalculateBCC(ten.data(), 10), 0xFF00 ^ 0x00FF);
    EXPECT_EQ(TEcrLink::CalculateBCC("", 0), 0);
}

TEST(Frame, DriverAndRegisterAgreeOnTheCheck) {
    AnsiString data;
    for (int i = 0; i < 700; ++i) data += static_cast<char>((i * 37 + 11) & 0xFF);
    AnsiString body = data + '\x03';
    EXPECT_EQ(TEcrLink::CalculateBCC(body.data(), static_cast<int>(body.size())),
              TRegisterSim::BlockCheck(body.data(), body.size()));
    EXPECT_EQ(TEcrLink::CreatePacket(data), TRegisterSim::Frame(data));
}

TEST(StartPacket, StatusReadIsSp0AndZeros) {
    AnsiString data = TEcrTransfers::StartPacketData(TEcrTransfers::tkRead, "p", rm_notresetting, 0, 0);
    EXPECT_EQ(data, "Sp0" + kZeros18 + kZeros18);
    EXPECT_EQ(data.size(), 39u);
    AnsiString frame = TEcrLink::CreatePacket(data);
    EXPECT_EQ(frame, "\x02" + data + "\x03" + "006B");
}

TEST(StartPacket, ReadRanges) {
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkRead, "k#00", rm_resetting, 17, 250),
              "Sk#002000000000000000017000000000000000250");
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkRead, "U", rm_resetting, -1, -1),
              "SU2" + kBlank18 + kBlank18);
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkRead, "n#00", rm_notresetting, 0, 49),
              "Sn#000" + kZeros18 + "000000000000000049");
}

TEST(StartPacket, ResetRanges) {
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkReset, "i", rm_resetting, 1, -1),
              "Si2" + AnsiString(17, ' ') + "1" + kBlank18);
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkReset, "i", rm_resetting, 6, -1),
              "Si2" + AnsiString(17, ' ') + "6" + kBlank18);
}

TEST(StartPacket, WriteIsAlwaysZeros) {
    EXPECT_EQ(TEcrTransfers::StartPacketData(TEcrTransfers::tkWrite, "I#00", rm_resetting, 5, 7),
              "SI#001" + kZeros18 + kZeros18);
}

TEST(Errors, PaperOut) {
    ENativeException e(0x17, nullptr);
    EXPECT_EQ(AnsiString(e.what()), Ansi(u8"0x17 brak papieru"));
    EXPECT_EQ(e.GetErrorCode(), 0x17);
    EXPECT_EQ(e.GetErrorMessage(nullptr), Ansi(u8"brak papieru"));
    EXPECT_EQ(e.GetErrorMessage(), "");  // the record text stays empty
}

TEST(Errors, UnlistedCodesGetTheUnknownText) {
    for (int code : {0x00, 0x12, 0x24, 0x32, 0x80, 0xFE}) {
        ENativeException e(static_cast<unsigned char>(code), nullptr);
        AnsiString hex = Format("%02X", code);
        EXPECT_EQ(AnsiString(e.what()),
                  "0x" + hex + " " + Ansi(u8"nieznany numer błędu (0x") + hex +
                      Ansi(u8") przysłany przez kasę (zobacz do instrukcji protokołu komunikacji kasy)"))
            << code;
    }
}

TEST(Errors, EveryListedCodeHasItsText) {
    const struct {
        int code;
        const char* text;
    } samples[] = {
        {0x01, u8"typ zadania niezgodny z typem pakietu startowego"},
        {0x13, u8"błędny typ zadania"},
        {0x1A, u8"błąd wagi"},
        {0x23, u8"zbyt wiele połączeń / tandemów"},
        {0x25, u8"nie zaprogramowany zegar lub błędne ustawienie czasu i daty modułu fiskalnego"},
        {0x31, u8"nie znaleziono listy towarowej"},
        {0xFF, u8"Qivera: Kasa przesłała zupełnie błędny pakiet błędu"},
    };
    for (const auto& s : samples)
        EXPECT_EQ(ENativeException::CodeText(static_cast<unsigned char>(s.code), nullptr), Ansi(s.text));
    int listed = 0;
    AnsiString unknownPrefix = Ansi(u8"nieznany numer błędu");
    for (int code = 0; code < 256; ++code)
        if (!StartsWith(ENativeException::CodeText(static_cast<unsigned char>(code), nullptr), unknownPrefix)) ++listed;
    EXPECT_EQ(listed, 48);
}

TEST(Errors, NativeIsANoBreakException) {
    bool caught = false;
    try {
        throw ENativeException(0x18, nullptr);
    } catch (const ENoBreakException& e) {
        caught = true;
        EXPECT_EQ(AnsiString(e.what()), Ansi(u8"0x18 baza PLU pełna"));
    }
    EXPECT_TRUE(caught);
    ENoBreakException plain("kod towaru");
    EXPECT_EQ(plain.GetErrorMessage(), "kod towaru");
    EXPECT_EQ(AnsiString(plain.what()), "kod towaru");
}

namespace {
int PercentLookup(char* out, int size, const char*, const char* key) {
    // A dictionary entry with printf directives where none belong.
    std::snprintf(out, static_cast<size_t>(size), "%s", "kod %02X %s %n %s");
    return 1;
}
}  // namespace

TEST(Errors, TranslatedUnknownTextIsNeverAFormat) {
    TMLgExtTools service(PercentLookup);
    ENativeException e(0x24, &service);
    EXPECT_EQ(AnsiString(e.what()), "0x24 kod 24 %s %n %s");
}
