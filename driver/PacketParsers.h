#pragma once
// The register's sales records, one staged line each (the packet's data without its start
// byte and terminator): receipt lines build the receipt under assembly, counters and reports
// add to the current import buffer. A line too short for its fields is skipped with a warning.
#include <string_view>
#include <vector>

#include "driver/SaleCodes.h"
#include "exchange/Receipt.h"
#include "platform/Strings.h"

class TQxNovitusECRAction;

// The receipt under assembly. Once complete, its date and time go into every position and
// payment and its number into every position.
class NvReceipt : public QVRParagon {
public:
    void PostProcess() override;
    // The receipt's date and time into every position and payment, its number into every
    // position.
    static void StampLines(QVRParagon& receipt);
    // Empty again, as a new receipt, keeping the room its lines took.
    void Restart();

    // The sale lines of a receipt analysed from a staging file, as the import buffer sums
    // them: the file keeps the positions themselves. Their codes are looked up, from their
    // fields, when the receipt is taken (TPacketParsers::TakeCodes).
    std::vector<QVRSoldLine> FSold;
    std::vector<TSaleCodes::TField> FSoldFields;
};

class TPacketParsers {
public:
    // codes: how many distinct code fields the analysis keeps completed (see TSaleCodes).
    explicit TPacketParsers(TQxNovitusECRAction& action, size_t codes = TSaleCodes::kMaxCodes)
        : FAction(action), FCodes(codes) {}

    // Receipt records: sale lines "k0" to "k3" (into the receipt's sold lines, their codes
    // looked up by TakeCodes), discount card "k5", customer's tax number "k8" and the closing
    // line "k#004"; positionsValue sums the values of the sale lines.
    void ParsePacket_k0123(std::string_view line, NvReceipt* receipt, double& positionsValue);
    void ParsePacket_k5(std::string_view line, NvReceipt* receipt);
    void ParsePacket_k8(std::string_view line, NvReceipt* receipt);
    void ParsePacket_k004(std::string_view line, NvReceipt* receipt, double positionsValue);
    // The codes of the receipt's sold lines.
    void TakeCodes(NvReceipt& receipt);
    // Reports and counters, into the action's current import buffer.
    void ParsePacket_n00(const AnsiString& line, double euroRate);
    void ParsePacket_o00(const AnsiString& line);
    void ParsePacket_U(const AnsiString& line);
    void ParsePacket_d(const AnsiString& line);

    // The whole number of the field, or 1 when it cannot be read as one.
    static double ParseValue(std::string_view line, int position, int length);
    // A goods code from the register as the host stores it: a short weighted code completed
    // by the host's weighted formats, other codes as they are (blanks removed).
    AnsiString FormatBarcodeIn(std::string_view code);
    // The customer's code a discount card number carries, by the configured card mask.
    AnsiString ParseDiscoundCard(const AnsiString& card);

    // A sale line read into a position (code, quantity, value, discount, kind); false for a
    // line of kind 0, which is read and dropped. The caller has checked its length.
    bool ReadSaleLine(std::string_view line, QVRPosition& position);
    static constexpr size_t kSaleLineLength = 53;
    // A sale line record ("k0" to "k3"), of any length.
    static bool IsSaleLine(std::string_view line) {
        return line.size() >= 3 && line[1] == 'k' && line[2] >= '0' && line[2] <= '3';
    }
    // The warning for a line too short for its record; what is the record's own text.
    void WarnShortLine(std::string_view line, const char* piece, const char* whatUtf8, bool translated = true);

private:
    TQxNovitusECRAction& FAction;
    TSaleCodes FCodes;
    AnsiString FCardField, FCardMask, FCard;  // the card last read
};
