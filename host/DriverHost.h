#pragma once
// The host stand-in: loads the driver library the way the back-office application does,
// registers callbacks by number and keeps what the host keeps (parameters, messages, device
// data, VAT rates, weighted formats, the abort switch), recording what every callback got.
// The tests and the velkora-host command line are built on it.
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "host/DriverApi.h"
#include "platform/DynamicLibrary.h"

struct THostMessage {
    int kind = 0;  // 0 information, 1 warning, 2 error
    AnsiString text;
};

struct THostCall {
    int number = 0;
    std::vector<AnsiString> args;
    void* arg2 = nullptr;  // the per-call handle the driver passed back (callbacks 5 to 33)
};

struct THostGoods {  // what callback 33 received
    AnsiString name, code, groupName, unitName, packageCode;
    int goodsNumber = 0, overwrite = 0, vatRate = 0, openPrice = 0, package = 0;
    double prices[4] = {0, 0, 0, 0};
};

class TDriverHost {
public:
    // Every callback number the host can offer.
    static const std::set<int>& AllCallbacks();

    explicit TDriverHost(const AnsiString& libraryPath);
    ~TDriverHost();
    TDriverHost(const TDriverHost&) = delete;
    TDriverHost& operator=(const TDriverHost&) = delete;

    // Registration in the host's order: library, component language, callbacks.
    void Register(const std::set<int>& callbacks = AllCallbacks(), int language = 0);
    void Release();

    TDriverApi api;
    void* library = nullptr;
    void* arg2 = reinterpret_cast<void*>(0x2222);  // the per-call handle passed with every call
    void* window = nullptr;                        // the host's window given at registration

    // Per-call exports, with the host's buffers.
    struct TOperationResult {
        int result = 0;
        AnsiString sessionName;
    };
    TOperationResult Operation(int code, int parameter = 0, void** session = nullptr,
                               const AnsiString& sessionName = "");
    AnsiString DeviceProperty(int property);
    AnsiString SharedResourceName();
    bool ShowWindow(int window, int* code, AnsiString* name);

    // The host's state.
    std::map<AnsiString, AnsiString> params;  // parameter values by name
    std::vector<THostMessage> messages;
    int deviceId = 1;
    int deviceNumber = 1;
    AnsiString deviceName = "KASA 1";
    AnsiString stationName = "STANOWISKO";
    AnsiString exchangeDirectory;  // must end with a path separator
    // The host's buffer for the exchange directory: 260 bytes and the terminating NUL.
    static constexpr size_t ExchangeDirectoryBuffer = 261;
    std::vector<int> vatRates;      // whole percent (callback 15)
    std::vector<int> vatRatesPrec;  // hundredths of a percent (callback 32)
    std::vector<AnsiString> weightedFormats;
    std::map<AnsiString, AnsiString> goods;         // callback 19: code -> record
    std::map<AnsiString, AnsiString> translations;  // callback 34: context + "|" + key -> text
    bool abortRequested = false;
    int abortAfterPolls = -1;  // >= 0: the abort switch turns on after that many polls
    int abortPolls = 0;
    bool storeResults = true;       // answer of callbacks 16, 17, 18
    bool acceptParamWrites = true;  // answer of callback 21
    bool grantResource = true;      // answer of callback 22
    int addGoodsResult = 1;         // answer of callback 33, unless onAddGoods answers it
    std::vector<THostGoods> addedGoods;
    std::vector<THostCall> calls;
    // Every callback waits this long before it answers, as a slow back office does.
    unsigned slowHostMs = 0;

    // Called for every message added or changed (changed = true for callback 13).
    std::function<void(const THostMessage&, bool changed)> onMessage;
    // Called with what callback 33 received; its result is the host's answer.
    std::function<int(const THostGoods&)> onAddGoods;
    // Called when the driver asks the host to load a result file (16, 17, 18).
    std::function<bool(int number)> onStore;

    int CountCalls(int number) const;
    const THostCall* LastCall(int number) const;

private:
    TDynamicLibrary FLibrary;
    void Record(int number, void* arg2Received, std::vector<AnsiString> args);

    friend struct THostCallbacks;
};
