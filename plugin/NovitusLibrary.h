#pragma once
#include "plugin/Library.h"

class TQxNovitusECRLibrary : public TQxLibrary {
public:
    explicit TQxNovitusECRLibrary(void* arg1) : TQxLibrary(arg1) {}

    TQxActionBase* UtworzAkcje(void* handle) override;
    bool PokazOkno(TQxActionBase* action, int window, int flag, int* code, char* name) override;
    void WeryfikujTypSesji(void* session, const AnsiString& sessionName) override;
    void PodtrzymajSesje(void** session, AnsiString& sessionName, int value, bool close) override;
};
