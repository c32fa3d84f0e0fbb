#pragma once
// The receipts of an import buffer, kept until the buffer is written: their heads, positions
// and payments each in blocks of their own, rather than an object and two lists per receipt.
// A large import holds a hundred thousand receipts and a million positions: an allocation per
// receipt, or a position as large as its text, would cost more than reading them. Receipts
// analysed from a staging file keep no positions at all: the file still holds their lines,
// and they are read from it again when the buffer is written.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "exchange/Receipt.h"

// Where the positions of staged receipts are read again.
class TPositionSource {
public:
    virtual ~TPositionSource() = default;
    // The positions of the receipt whose lines are the bytes [from, to) of the source, into
    // receipt.Fpos (replaced), exactly as they were when it was added with count positions;
    // receipt's head is already in place. Raises when they cannot be.
    virtual void ReadPositions(long long from, long long to, size_t count, QVRParagon& receipt) = 0;
};

class TReceiptStore {
public:
    // Keeps the receipt's head and lines; its lines are moved out, so it can be filled again
    // without allocating.
    void Add(QVRParagon& receipt);
    // Keeps the head and payments of a receipt whose count positions the bytes [from, to) of
    // a position source hold; its head's texts and its payments are moved out.
    void AddStaged(QVRParagon& receipt, size_t count, long long from, long long to);
    size_t Count() const { return FHeads.size(); }
    // Receipt i as it was added, rebuilt in receipt (its lines replaced); a staged receipt's
    // positions come from source.
    void Get(size_t i, QVRParagon& receipt, TPositionSource* source) const;
    void Clear();

private:
    // Elements in blocks that never move: a growing array would copy everything it holds
    // each time it doubled.
    template <class T>
    class TBlocks {
    public:
        size_t size() const { return FSize; }
        void push_back(T&& value) {
            // Default-initialised: a block of plain positions is not cleared first.
            if (FSize == FBlocks.size() * kBlock) FBlocks.emplace_back(new T[kBlock]);
            FBlocks[FSize / kBlock][FSize % kBlock] = std::move(value);
            ++FSize;
        }
        const T& operator[](size_t i) const { return FBlocks[i / kBlock][i % kBlock]; }
        void clear() {
            FBlocks.clear();
            FSize = 0;
        }

    private:
        static constexpr size_t kBlock = 2048;
        std::vector<std::unique_ptr<T[]>> FBlocks;
        size_t FSize = 0;
    };
    struct THead : QVRParagonHead {
        size_t firstPosition = 0, firstPayment = 0;
        uint32_t positions = 0, payments = 0;
        long long stagedFrom = -1, stagedTo = -1;  // stagedFrom >= 0: positions in a source
    };
    // The head (moved out of receipt when moveHead) and payments, with the room of count
    // positions from firstPosition.
    THead AddHead(QVRParagon& receipt, size_t count, bool moveHead);
    // A position in two thirds of the room of a QVRPosition: its code, as short as goods codes
    // are, kept in place; a longer one among FLongCodes.
    struct TPosition {
        static constexpr size_t kShortCode = 22;
        int64_t value;
        double when;
        int32_t plu, quantity, discount, receipt;
        uint8_t type;
        uint8_t codeLength;  // kLongCode: the code is FLongCodes[longCode]
        union {
            char code[kShortCode];
            uint32_t longCode;
        };
    };
    static constexpr uint8_t kLongCode = 0xFF;

    TBlocks<THead> FHeads;
    TBlocks<TPosition> FPositions;
    // A payment in less than half the room of a QVRPayment: its two texts, seldom filled, are
    // kept among FPaymentTexts.
    struct TPayment {
        int64_t value;
        double when;
        int32_t kind, rate, document, transfer, extended, ratePrecision, valuePln;
        uint32_t texts;  // kNoTexts: both empty
        int8_t form;
        bool closing, deferred;
    };
    static constexpr uint32_t kNoTexts = 0xFFFFFFFF;
    TBlocks<TPayment> FPayments;
    std::vector<std::pair<AnsiString, AnsiString>> FPaymentTexts;  // title, currency
    std::vector<AnsiString> FLongCodes;
};
