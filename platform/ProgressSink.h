#pragma once
// What lower layers need from the running operation: progress lines, plain messages,
// the user's abort request and the translation service. The operation base implements it.
#include "platform/Strings.h"

class TMLgExtTools;

enum LPVState { LPV_Ok = 0, LPV_Error = 1, LPV_Warning = 2, LPV_Percent = 3, LPV_Value = 4, LPV_None = 5 };

// Message kinds of the host's list: 0 information, 1 warning, 2 error.
enum TQVRDLLZnaczenieKomunikatu { zkInformacja = 0, zkOstrzezenie = 1, zkBlad = 2 };

class TProgressSink {
public:
    virtual ~TProgressSink() = default;
    virtual void MsgAdd(const AnsiString& text, LPVState state, int max) = 0;
    virtual void MsgP(int progress) = 0;
    virtual void MsgS(LPVState state) = 0;
    virtual void DodajKomunikat(int kind, const AnsiString& text) = 0;
    virtual bool CzyPrzerwac() = 0;
    virtual TMLgExtTools* GetLgLink() = 0;
};
