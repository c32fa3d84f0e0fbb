#include "plugin/NovitusLibrary.h"

#include <cstring>

#include "driver/NovitusAction.h"
#include "driver/NovitusTexts.h"
#include "platform/Exceptions.h"

namespace {
const char* const kCls = "TQxNovitusECRLibrary";
}

TQxActionBase* TQxNovitusECRLibrary::UtworzAkcje(void* handle) { return new TQxNovitusECRAction(this, handle); }

bool TQxNovitusECRLibrary::PokazOkno(TQxActionBase* action, int window, int, int* code, char* name) {
    AnsiString text;
    bool result = true;
    switch (window) {
        case 0: text = NvTxt(kCls, "PokazOkno", "name", u8"Import towarów do pliku inplu.exp"); break;
        case 1: text = NvTxt(kCls, "PokazOkno", "name", u8"Zerowanie obrotów", 1); break;
        case 2: {
            text = NvTxt(kCls, "PokazOkno", "name", u8"Import towarów do programu", 2);
            auto* novitus = dynamic_cast<TQxNovitusECRAction*>(action);
            result = novitus && novitus->ShowImportDialog();
            break;
        }
        default: return false;
    }
    if (code) *code = window;
    if (name) std::memcpy(name, text.c_str(), text.size() + 1);
    return result;
}

void TQxNovitusECRLibrary::WeryfikujTypSesji(void* session, const AnsiString& sessionName) {
    if (!session) return;
    if (sessionName != NvTxt(kCls, "WeryfikujTypSesji", "Sesja", u8"Sesja kas Novitus ECR"))
        throw Exception(NvTxt(kCls, "WeryfikujTypSesji", "Exception",
                              u8"Zasób, którego wymaga sterownik jest zajęty przez sesję '") +
                        sessionName + "'");
}

void TQxNovitusECRLibrary::PodtrzymajSesje(void** session, AnsiString&, int, bool close) {
    if (session && *session && close) *session = nullptr;  // the session is closed
}
