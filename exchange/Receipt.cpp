#include "exchange/Receipt.h"

#include <initializer_list>
#include <memory>

#include "platform/DateTools.h"
#include "platform/File.h"
#include "platform/NumberTools.h"
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

// ";" and the number, for each number.
void AppendFields(AnsiString& line, std::initializer_list<long long> numbers) {
    for (long long n : numbers) {
        line += ';';
        AppendInt(line, n);
    }
}

const size_t kHeadLimit = 255;
const int kPositionsPerPause = 100;
const unsigned kPauseMs = 100;

}  // namespace

AnsiString QVRPosition::ToString() const {
    AnsiString line;
    AppendTo(line);
    return line;
}

void QVRPosition::AppendTo(AnsiString& line) const {
    line += "ZAW;";
    if (Fplu != -1) AppendInt(line, Fplu);
    line += ';';
    line += Fkod;
    AppendFields(line, {Filosc, Fwartosc, Frabat, FnrParagonu});
    line += ';';
    line += Compressed(Fdata_czas);
    line += '\n';
}

AnsiString QVRPayment::ToString() const {
    AnsiString line;
    AppendTo(line);
    return line;
}

void QVRPayment::AppendTo(AnsiString& line) const {
    line += "PMT";
    AppendFields(line,
                 {Fkod, Fwartosc, Fkurs, FnrDokWplaty, Ftransfer, static_cast<int>(Frodzaj), Fkonczaca, Fterminowa});
    line += ';';
    line += Ftytul;
    line += ';';
    line += Compressed(Fdata_czas);
    if (Fkod_f_plat_ext != -1) {
        AppendFields(line, {Fkod_f_plat_ext});
        line += ';';
        line += Fkod_waluty;
        AppendFields(line, {Fkurs_prec, Fwartosc_pln});
    }
    line += '\n';
}

void QVRParagon::ProcessFirstPosition(QVRPosition& position) {
    if (FnrPar == -1) FnrPar = position.FnrParagonu;
    if (Fdata_czas == 0) Fdata_czas = position.Fdata_czas;
}

QVRParagon& QVRParagon::operator+(QVRPosition* position) {
    const std::unique_ptr<QVRPosition> owned(position);
    return Add(std::move(*owned));
}

QVRParagon& QVRParagon::operator+(QVRPayment* payment) {
    const std::unique_ptr<QVRPayment> owned(payment);
    return Add(std::move(*owned));
}

QVRParagon& QVRParagon::Add(QVRPosition position) {
    ProcessEachPosition(position);
    Fpos.push_back(std::move(position));
    if (Fpos.size() == 1) ProcessFirstPosition(Fpos.back());
    return *this;
}

QVRParagon& QVRParagon::Add(QVRPayment payment) {
    ProcessEachPayment(payment);
    Fpymnt.push_back(std::move(payment));
    if (Fpymnt.size() == 1) ProcessFirstPayment(Fpymnt.back());
    return *this;
}

AnsiString QVRParagon::HeadText() const {
    const AnsiString nip = FnrNIPKlienta == "-1" ? AnsiString() : FnrNIPKlienta;
    AnsiString head;
    head.reserve(kHeadLimit);
    head += "\r\n[Paragon nr ";
    AppendInt(head, FnrPar);
    head += "]\r\n";
    head += FwoDetails ? "KSK" : "TRN";
    AppendFields(head, {FnrTrans, FnrPar, GetnPosCount(), GetnPaymentCount()});
    head += ';';
    head += OrEmpty(FnrKasjera);
    head += ';';
    head += OrEmpty(FnrKasy);
    head += ';';
    head += FnrKlienta;
    head += ';';
    head += OrEmpty(FkodRabatu);
    head += ';';
    head += Compressed(Fdata_czas);
    AppendFields(head, {Frabat, FnrZmiany});
    head += "\r\n";
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
    // The block is gathered and written at once, up to each pause.
    AnsiString block = receipt.HeadText();
    if (!receipt.FwoDetails) {
        int written = 0;
        for (const QVRPosition& position : receipt.Fpos) {
            position.AppendTo(block);
            if (++written % kPositionsPerPause == 0) {
                file.Write(block);
                block.clear();
                Sleep(kPauseMs);
            }
        }
    }
    for (size_t k = 0; k < receipt.Fpymnt.size(); ++k) {
        QVRPayment& payment = receipt.Fpymnt[k];
        if (k + 1 == receipt.Fpymnt.size()) payment.Fkonczaca = true;
        payment.AppendTo(block);
    }
    file.Write(block);
    return file;
}
