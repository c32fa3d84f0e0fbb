#pragma once
// An in-process host for the operation framework: what each wrapper received, and the
// answers a test chooses.
#include <map>
#include <vector>

#include "framework/HostLink.h"

struct FakeMessage {
    int kind;
    AnsiString text;
    bool changed;  // sent as a replacement of the last line
};

class FakeHostLink : public TQxHostLink {
public:
    TMLgExtTools* GetLgLink() override { return nullptr; }
    AnsiString Wlasciwosci(int index) override { return index == 2 ? "Qx_NovitusECR" : ""; }
    bool CzyPrzerwac(void*) override {
        ++abortPolls;
        return !hasAbortCallback || abortRequested;
    }
    AnsiString WartoscParametru(void*, const AnsiString& name) override {
        paramReads.push_back(name);
        auto it = params.find(name);
        return it == params.end() ? AnsiString() : it->second;
    }
    void WypelnijDaneUrzadzenia(void*, TDaneUrzadzenia& data) override { data = device; }
    void DodajKomunikat(void*, int kind, const AnsiString& text) override { messages.push_back({kind, text, false}); }
    void ZmienOstatniKomunikat(void*, int kind, const AnsiString& text) override {
        messages.push_back({kind, text, true});
    }
    void WypelnijFormatyWazone(void*, std::vector<AnsiString>& formats) override {
        ++formatFetches;
        formats = weightedFormats;
    }
    void WypelnijStawkiVAT(void*, TMacSetOfIntegers& set) override {
        ++rateFetches;
        for (int rate : rates) set.Add(rate);
    }
    void WypelnijStawkiVATPrec(void*, TMacSetOfIntegers& set) override {
        ++rateFetches;
        for (int rate : ratesPrec) set.Add(rate);
    }
    void* GetOwnerWindow() override { return ownerWindow; }
    bool ZapiszWynikEksportu(void*) override { return storeResults; }
    bool ZapiszImport(void*) override { return storeResults; }
    bool ZapiszParagon(void*) override { return storeResults; }
    AnsiString OdczytajTowar(void*, const AnsiString&) override { return ""; }
    void OdswiezParametry(void*) override {}
    bool ZmienParametr(void*, const AnsiString& name, const AnsiString& value) override {
        writes.push_back({name, value});
        if (!acceptWrites) return false;
        params[name] = value;
        return true;
    }
    bool ZajmijZasobSterownika(void*, const AnsiString&) override { return grantResource; }
    void ZwolnijZasobSterownika(void*, const AnsiString&) override {}
    void KasujFlageAlarmu(void*) override {}
    int WstrzymajOperacje(void*, const AnsiString&, int) override { return -1; }
    void ZapiszStanLicznika(void*, int*, int) override {}
    void ZapiszStanICzasLicznika(void*, int*, int, const AnsiString&) override {}
    int DodajTowarZKasy(void*, const AnsiString&, int, const AnsiString&, int, const AnsiString&, const AnsiString&,
                        int, double, double, double, double, int, int, const AnsiString&) override {
        return -1;
    }

    std::map<AnsiString, AnsiString> params;
    std::vector<AnsiString> paramReads;
    std::vector<std::pair<AnsiString, AnsiString>> writes;
    std::vector<FakeMessage> messages;
    std::vector<AnsiString> weightedFormats;
    std::vector<int> rates, ratesPrec;  // callbacks 15 and 32
    void* ownerWindow = nullptr;
    TDaneUrzadzenia device;
    bool hasAbortCallback = true;
    bool abortRequested = false;
    bool storeResults = true;
    bool acceptWrites = true;
    bool grantResource = true;
    int abortPolls = 0;
    int formatFetches = 0;
    int rateFetches = 0;
};
