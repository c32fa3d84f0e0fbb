#include "exchange/Receipt.h"

#include "platform/DateTools.h"
#include "platform/File.h"
#include "platform/Os.h"

namespace {

// The positions and payments of a receipt share its date: the text of the last one is kept.
AnsiString Compressed(double value) {
    thread_local double lastValue = 0;
    thread_local AnsiString lastText = TdtTools(0.0).ToString(TdtTools::fmtDateTimeCompressed);
    if (value != lastValue || value != value) {
        lastText = TdtTools(value).ToString(TdtTools::fmtDateTimeCompressed);
        lastValue = value;
    }
    return lastText;
}

AnsiString OrEmpty(int value) { return value == -1 ? AnsiString() : IntToStr(value); }

const size_t kHeadLimit = 255;
const int kPositionsPerPause = 100;
const unsigned kPauseMs = 100;

}  // namespace

AnsiString QVRPosition::ToString() const {
    AnsiString line = "ZAW;";
    line += OrEmpty(Fplu);
    line += ';';
    line += Fkod;
    line += Format(";%d;%lld;%d;%d;", Filosc, static_cast<long long>(Fwartosc), Frabat, FnrParagonu);
    line += Compressed(Fdata_czas);
    line += '\n';
    return line;
}

AnsiString QVRPayment::ToString() const {
    AnsiString line =
        Format("PMT;%d;%lld;%d;%d;%d;%d;%s;%s;", Fkod, static_cast<long long>(Fwartosc), Fkurs, FnrDokWplaty, Ftransfer,
               static_cast<int>(Frodzaj), Fkonczaca ? "1" : "0", Fterminowa ? "1" : "0");
    line += Ftytul;
    line += ';';
    line += Compressed(Fdata_czas);
    if (Fkod_f_plat_ext != -1) {
        line += Format(";%d;", Fkod_f_plat_ext);
        line += Fkod_waluty;
        line += Format(";%d;%d", Fkurs_prec, Fwartosc_pln);
    }
    line += '\n';
    return line;
}

void QVRParagon::ProcessFirstPosition(QVRPosition& position) {
    if (FnrPar == -1) FnrPar = position.FnrParagonu;
    if (Fdata_czas == 0) Fdata_czas = position.Fdata_czas;
}

QVRParagon& QVRParagon::operator+(QVRPosition& position) {
    ProcessEachPosition(position);
    Fpos.emplace_back(&position);
    if (Fpos.size() == 1) ProcessFirstPosition(position);
    return *this;
}

QVRParagon& QVRParagon::operator+(QVRPayment& payment) {
    ProcessEachPayment(payment);
    Fpymnt.emplace_back(&payment);
    if (Fpymnt.size() == 1) ProcessFirstPayment(payment);
    return *this;
}

AnsiString QVRParagon::HeadText() const {
    const AnsiString nip = FnrNIPKlienta == "-1" ? AnsiString() : FnrNIPKlienta;
    AnsiString head = Format("\r\n[Paragon nr %d]\r\n", FnrPar);
    head += FwoDetails ? "KSK;" : "TRN;";
    head += Format("%d;%d;%d;%d;", FnrTrans, FnrPar, GetnPosCount(), GetnPaymentCount());
    head += OrEmpty(FnrKasjera);
    head += ';';
    head += OrEmpty(FnrKasy);
    head += ';';
    head += FnrKlienta;
    head += ';';
    head += OrEmpty(FkodRabatu);
    head += ';';
    head += Compressed(Fdata_czas);
    head += Format(";%d;%d\r\n", Frabat, FnrZmiany);
    if (!nip.empty()) head += "NIP;" + nip + "\r\n";
    if (head.size() > kHeadLimit) head.erase(kHeadLimit);
    return head;
}

void QVRParagon::operator>>(TMFile& file) { file << *this; }

TMFile& operator<<(TMFile& file, const QVRPosition& position) {
    file.Write(position.ToString());
    return file;
}

TMFile& operator<<(TMFile& file, const QVRPayment& payment) {
    file.Write(payment.ToString());
    return file;
}

TMFile& operator<<(TMFile& file, QVRParagon& receipt) {
    file.Write(receipt.HeadText());
    if (!receipt.FwoDetails) {
        int written = 0;
        for (const auto& position : receipt.Fpos) {
            file << *position;
            if (++written % kPositionsPerPause == 0) Sleep(kPauseMs);
        }
    }
    for (size_t k = 0; k < receipt.Fpymnt.size(); ++k) {
        QVRPayment& payment = *receipt.Fpymnt[k];
        if (k + 1 == receipt.Fpymnt.size()) payment.Fkonczaca = true;
        file << payment;
    }
    return file;
}
