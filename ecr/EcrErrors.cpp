#include "ecr/EcrErrors.h"

#include "platform/Translation.h"

namespace {

const char* const kContext = "velkora_nvexc";
const char* const kClass = "ENativeException";
const char* const kMethod = "GetErrorMessage";

struct TCodeText {
    unsigned char code;
    const char* text;
};

// The register's codes; the position in this table numbers the translation keys.
const TCodeText kCodes[] = {
    {0x01, u8"typ zadania niezgodny z typem pakietu startowego"},
    {0x02, u8"błędny typ transmisji"},
    {0x03, u8"błędne numery początkowy lub końcowy"},
    {0x04, u8"napotkano znak nie reprezentujący cyfry"},
    {0x05, u8"napotkano niedozwolony znak"},
    {0x06, u8"urządzenie w trybie fiskalnym"},
    {0x07, u8"liczba poza zakresem"},
    {0x08, u8"pozycja do usunięcia nie istnieje."},
    {0x09, u8"błędna stawka PTU"},
    {0x0A, u8"błędny znak reprezentujący precyzję lub flagę"},
    {0x0B, u8"błędny indeks tablicy HALO"},
    {0x0C, u8"data lub czas formalnie niepoprawne"},
    {0x0D, u8"błędny typ zadania lub transmisji w aktualnym trybie"},
    {0x0E, u8"błąd wewnętrzny kasy"},
    {0x0F, u8"niezerowe totalizery sprzedaży - wykonaj raport fiskalny"},
    {0x10, u8"przekroczony limit 20 zmian stawek PTU"},
    {0x11, u8"operacja niedostępna w aktualnym trybie pracy"},
    {0x13, u8"błędny typ zadania"},
    {0x14, u8"nie zaprogramowany numer unikatowy"},
    {0x15, u8"zbyt duża liczba - maksymalna dopuszczalna kwota to 21474836,39"},
    {0x16, u8"błąd zapisu do pamięci fiskalnej"},
    {0x17, u8"brak papieru"},
    {0x18, u8"baza PLU pełna"},
    {0x19, u8"wzajemnie wykluczają się ustawienia flag opakowania, precyzji i połączenia tandemu"},
    {0x1A, u8"błąd wagi"},
    {0x1B, u8"błąd terminala płatniczego"},
    {0x1C, u8"błąd modemu"},
    {0x1D, u8"za dużo jednostek"},
    {0x1E, u8"błędny indeks jednostki"},
    {0x1F, u8"transakcja odrzucona"},
    {0x20, u8"towar w polu tandem nie istnieje"},
    {0x21, u8"błąd struktury bazy PLU"},
    {0x22, u8"błąd sprzętowy pamięci"},
    {0x23, u8"zbyt wiele połączeń / tandemów"},
    {0x25, u8"nie zaprogramowany zegar lub błędne ustawienie czasu i daty modułu fiskalnego"},
    {0x26, u8"błąd pamięci RAM modułu fiskalnego"},
    {0x27, u8"zbyt wiele opakowań"},
    {0x28, u8"identyczne stawki już zaprogramowane"},
    {0x29, u8"rola użytkownika nie zdefiniowana"},
    {0x2A,
     u8"numer wydruku jest mniejszy od najmniejszego bądź większy od największego numeru wydruku w buforze online"},
    {0x2B, u8"bufor online pusty"},
    {0x2C, u8"bufor online pełny"},
    {0x2D, u8"wymagane logowanie"},
    {0x2E, u8"błędna próba logowania"},
    {0x2F, u8"bufor listy towarowej pełny"},
    {0x30, u8"bufor kodów dowiązanych pełny"},
    {0x31, u8"nie znaleziono listy towarowej"},
    {0xFF, u8"Qivera: Kasa przesłała zupełnie błędny pakiet błędu"},
};

}  // namespace

ENoBreakException::ENoBreakException(const AnsiString& message) : Exception(message), message(message) {}

ENoBreakException::ENoBreakException(const AnsiString& exceptionMessage, bool) : Exception(exceptionMessage) {}

AnsiString ENativeException::CodeText(unsigned char code, TMLgExtTools* translation) {
    const int count = static_cast<int>(sizeof kCodes / sizeof kCodes[0]);
    for (int i = 0; i < count; ++i) {
        if (kCodes[i].code == code) return Tr(translation, kContext, kClass, kMethod, "", kCodes[i].text, i);
    }
    AnsiString text = Tr(translation, kContext, kClass, kMethod, "unknown",
                         u8"nieznany numer błędu (0x%02X) przysłany przez kasę (zobacz do "
                         u8"instrukcji protokołu komunikacji kasy)");
    // The text may come from the host's dictionary: fill in the code without handing the
    // text to printf as a format.
    return ReplaceAll(text, "%02X", Format("%02X", code));
}

ENativeException::ENativeException(unsigned char code, TMLgExtTools* translation)
    : ENoBreakException(Format("0x%02X ", code) + CodeText(code, translation), true), errorCode(code) {}

AnsiString ENativeException::GetErrorMessage(TMLgExtTools* translation) const {
    return CodeText(errorCode, translation);
}
