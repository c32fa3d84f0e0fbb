#include "driver/NovitusAction.h"

#include "codes/KartaRab.h"
#include "driver/FrmImport.h"
#include "driver/GoodsExport.h"
#include "driver/GoodsImport.h"
#include "driver/NovitusTexts.h"
#include "driver/SalesImport.h"
#include "driver/SingleReceipt.h"
#include "driver/TotalsReset.h"
#include "platform/DateTools.h"
#include "platform/Os.h"

TQxNovitusECRAction::TQxNovitusECRAction(TQxHostLink* library, void* handle) : QxAction(library, handle) {}

TQxNovitusECRAction::~TQxNovitusECRAction() {
    try {
        channel.ClosePort();
    } catch (...) {
    }
    try {
        tools.CloseDebug();  // the log is kept open for the operation, not longer
    } catch (...) {
    }
}

void TQxNovitusECRAction::OpenPort() {
    // The line's parameters are read when it is opened.
    TEcrChannelConfig& cfg = channel.cfg;
    cfg.cfgMedium = cfgMedium;
    cfg.cfgUseLog = cfgUseLog;
    cfg.cfgIpTimeoutMs = cfgIpTimeoutMs;
    cfg.portName = ParamAsString("NovitusECRPort");
    cfg.speed = ParamAsInt("NovitusECRSpeed");
    cfg.modemPhone = ParamAsString("NovitusECRModemPhone");
    cfg.modemTimeout = ParamAsInt("NovitusECRModemTimeout");
    cfg.ipAddress = ParamAsString("NovitusECRIpAddress");
    cfg.ipPort = ParamAsInt("NovitusECRIpPort");
    channel.OpenPort();
}

void TQxNovitusECRAction::ClosePort() { channel.ClosePort(); }

void TQxNovitusECRAction::ImpBufsDelete() {
    imp_bufs.clear();
    imp_buf = nullptr;
}

AnsiString TQxNovitusECRAction::FNameLOG() { return FKatalogWymiany + "import.log"; }

AnsiString TQxNovitusECRAction::ConnectionText() {
    const AnsiString port = ParamAsString("NovitusECRPort");
    if (port == "TCP/IP") return ParamAsString("NovitusECRIpAddress") + ":" + ParamAsString("NovitusECRIpPort");
    return port;
}

AnsiString TQxNovitusECRAction::NazwaZasobuDzielonego() { return ConnectionText(); }

// A receipt is found by its printout number; the other two identifiers are not used.
bool TQxNovitusECRAction::JakSzukacParagonu(int* number, int* second, int* third) {
    if (number) *number = ParamAsInt("NovitusECRReceiptNo");
    if (second) *second = -1;
    if (third) *third = -1;
    return true;
}

AnsiString TQxNovitusECRAction::WlasciwosciUrzadzenia(int property) {
    switch (property) {
        case 1101: return "0";
        case 1102: return ConnectionText();
        case 1103: return "1";
        case 1104: return "-1";
        default: return "";
    }
}

void TQxNovitusECRAction::Operacja(HQVRDLLSRODOWISKO* environment, int code, int parameter) {
    ReadParams();
    LogInit();
    switch (code) {
        case -1: TestConnection(); break;
        case -2:
        case -5: Eksport(); break;
        case -3:
        case -6: Import(); break;
        case -4: ImportParagonu(); break;
        case -8: DodFuncExecute(parameter); break;
        default: QxAction::Operacja(environment, code, parameter); return;
    }
    if (environment) environment->Wynik = 0;
}

void TQxNovitusECRAction::DodFuncExecute(int parameter) {
    switch (parameter) {
        case 0: DownloadPluF7(); break;
        case 1: ResetSaleF7(); break;
        case 2: ImportPluF7(); break;
        default: break;
    }
}

void TQxNovitusECRAction::ReadParams() {
    const AnsiString port = ParamAsString("NovitusECRPort");
    if (port == PlikText())
        cfgMedium = md_file;
    else if (port == "TCP/IP")
        cfgMedium = md_tcpip;
    else
        cfgMedium = md_rs232;
    cfgUseLog = ParamAsInt("NovitusECRDedbug") != 0;
    {
        // Seconds to milliseconds, kept within the range of the field. A busy register asks
        // the driver to wait (WACK) only about 2 s after the driver's last byte: a shorter
        // wait would give up on a register that is about to ask for more time.
        constexpr long long kShortestWaitMs = 2500;
        const long long ms = static_cast<long long>(ParamAsInt("NovitusECRIpTimeout")) * 1000;
        cfgIpTimeoutMs = static_cast<int>(ms < kShortestWaitMs ? kShortestWaitMs
                                          : ms > 2000000000LL  ? 2000000000LL
                                                               : ms);
    }
    cfgReceiptDetails = ParamAsInt("NovitusECRReceipts");
    cfgCardParseMask = ParamAsString("NovitusECRCardParseMask");
    cfgEdiFolder = ParamAsDir("NovitusECREdiFolder");
    cfgPoziomCen = ParamAsInt("PoziomCen");
    cfgPluAutoRepeat = ParamAsInt("NovitusECRPluAutoRepeat") != 0;
    cfgPriceOpenD41 = ParamAsInt("NovitusECRPriceOpenD41") != 0;
    cfgEksportKeyCode = ParamAsInt("NovitusECRExpKeyCode");
    cfgCheckZeroes = ParamAsInt("NovitusECRCheckZeroes") != 0;
    cfgSaleSource = ParamAsInt("NovitusECRSaleSource");
    cfgIdControl = ParamAsInt("NovitusECRIdControl");
    if (cfgEdiFolder.empty() || cfgEdiFolder.back() != PathDelim) cfgEdiFolder += PathDelim;
    TKartaRab card;
    card.SprawdzPoprawnoscWzorca(cfgCardParseMask, LgLink);
}

void TQxNovitusECRAction::LogInit() {
    if (!cfgUseLog) return;
    const AnsiString folder = FKatalogWymiany + "log";
    if (!Os().DirectoryExists(folder)) Os().ForceDirectories(folder);
    int y, mo, d, h, mi, s, ms;
    TdtTools().Decode(y, mo, d, h, mi, s, ms);
    const AnsiString stamp = Format("%04d.%02d.%02d %02d.%02d.%02d", y, mo, d, h, mi, s);
    tools.InitDebug(Format("%s%cREPORT %s.TXT", folder.c_str(), PathDelim, stamp.c_str()), GetLgLink());
}

bool TQxNovitusECRAction::ShowImportDialog() {
    Tfrm_import form(GetOwnerWindow(), GetLgLink());
    return form.Show(*this) == mrOk;
}

void TQxNovitusECRAction::Eksport() { TGoodsExport(*this).Eksport(); }
void TQxNovitusECRAction::Import() { TSalesImport(*this).Import(); }
void TQxNovitusECRAction::ImportParagonu() { TSingleReceipt(*this).ImportParagonu(); }
void TQxNovitusECRAction::DownloadPluF7() { TGoodsImport(*this).DownloadPluF7(); }
void TQxNovitusECRAction::ResetSaleF7() { TTotalsReset(*this).ResetSaleF7(); }
void TQxNovitusECRAction::ImportPluF7() { TGoodsImport(*this).ImportPluF7(); }
void TQxNovitusECRAction::DownloadPlu(AnsiString* buffer) { TGoodsImport(*this).DownloadPlu(buffer); }
void TQxNovitusECRAction::ImportPlu() { TGoodsImport(*this).ImportPlu(); }
void TQxNovitusECRAction::CancelPluList() { TGoodsImport(*this).CancelPluList(); }
