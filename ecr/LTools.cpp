#include "ecr/LTools.h"

#include <memory>
#include <vector>

#include "platform/DateTools.h"
#include "platform/File.h"
#include "platform/Os.h"
#include "platform/Translation.h"

namespace {

const char* const kContext = "brevant_LTools";
const int kLetters = 18;

// The 18 Polish letters in the order
// A-ogonek C-acute E-ogonek L-stroke N-acute O-acute S-acute Z-dot Z-acute, then the small ones,
// one row per character set.
const unsigned char kLetterTable[TLTools::plRows][kLetters] = {
    // code page 852
    {0xA4, 0x8F, 0xA8, 0x9D, 0xE3, 0xE0, 0x97, 0xBD, 0x8D, 0xA5, 0x86, 0xA9, 0x88, 0xE4, 0xA2, 0x98, 0xBE, 0xAB},
    // ISO 8859-2
    {0xA1, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0xA6, 0xAF, 0xAC, 0xB1, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0xB6, 0xBF, 0xBC},
    // Windows-1250
    {0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0xAF, 0x8F, 0xB9, 0xE6, 0xEA, 0xB3, 0xF1, 0xF3, 0x9C, 0xBF, 0x9F},
    // Mazovia
    {0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA1, 0xA0, 0x86, 0x8D, 0x91, 0x92, 0xA4, 0xA2, 0x9E, 0xA7, 0xA6},
};

// Opens a file for writing (creating it) and positions at its end.
void OpenForAppend(TMFile& file, const AnsiString& fileName) {
    file.SetPath(fileName);
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(file.GetSize());
}

}  // namespace

AnsiString TLTools::plstring(AnsiString& text) const {
    if (pltype_in < 0 || pltype_in >= plRows || pltype_out < 0 || pltype_out >= plRows || pltype_in == pltype_out)
        return text;
    const unsigned char* in = kLetterTable[pltype_in];
    const unsigned char* out = kLetterTable[pltype_out];
    for (char& c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        for (int k = 0; k < kLetters; ++k) {
            if (in[k] == u) {
                c = static_cast<char>(out[k]);
                break;
            }
        }
    }
    return text;
}

AnsiString TLTools::StrSize(AnsiString& text, int size, char fill, e_just padSide, e_just cutSide) {
    const size_t want = size > 0 ? static_cast<size_t>(size) : 0;
    if (text.size() > want) {
        if (cutSide == right)
            text.erase(want);
        else
            text.erase(0, text.size() - want);
    } else if (text.size() < want) {
        const size_t missing = want - text.size();
        if (padSide == left)
            text.insert(0, missing, fill);
        else
            text.append(missing, fill);
    }
    return text;
}

AnsiString TLTools::StrMax(const AnsiString& text, int max, bool dots) {
    AnsiString result = text;
    const size_t limit = max > 0 ? static_cast<size_t>(max) : 0;
    if (result.size() > limit) {
        result.erase(limit);
        if (dots && result.size() > 3) result.replace(result.size() - 3, 3, "...");
    }
    return result;
}

void TLTools::KorygujCyfreKontrolnaEAN13(AnsiString& code) {
    AnsiString digits;
    for (char c : code)
        if (c >= '0' && c <= '9') digits += c;
    if (digits.size() > 12) digits.erase(12);
    while (digits.size() < 12) digits += '0';
    int sum = 0;
    for (size_t k = 0; k < 12; ++k) sum += (digits[k] - '0') * (k % 2 == 0 ? 1 : 3);
    digits += static_cast<char>('0' + (10 - sum % 10) % 10);
    code = digits;
}

void TLTools::BufToFile(const AnsiString& bytes, const AnsiString& fileName) {
    TMFile file;
    file.SetPath(fileName);
    file.SetReadOnly(false);
    file.Open();
    file.SetPointer(0);
    file.SetEof();
    file.Write(bytes);
    file.Close();
}

void TLTools::BufToAppendFile(const AnsiString& bytes, const AnsiString& fileName) {
    TMFile file;
    OpenForAppend(file, fileName);
    file.Write(bytes);
    file.Close();
}

void TLTools::ArchiveFile(const AnsiString& source, const AnsiString& archive, TMLgExtTools* translation, bool isExport,
                          int exportKind, bool withHeader, const AnsiString& extraLine) {
    if (!Os().FileExists(source)) return;
    TMFile src;
    src.SetPath(source);
    src.SetReadOnly(true);
    src.Open();
    TMFile arch;
    OpenForAppend(arch, archive);

    if (withHeader) {
        const AnsiString now = TdtTools().ToString(TdtTools::fmt4YDateTime);
        if (isExport) {
            arch.WriteLine("\r\n" +
                           Tr(translation, kContext, "TLTools", "ArchiveFile", "eksport",
                              u8"----------- [EKSPORT WYKONANY DNIA: ") +
                           now + Tr(translation, kContext, "TLTools", "ArchiveFile", "koniec", u8"] ------------"));
            AnsiString kind;
            switch (exportKind) {
                case 0:
                    kind = Tr(translation, kContext, "TLTools", "ArchiveFile", "otwarta", u8"OTWARTA ZM. FISK.");
                    break;
                case 1:
                    kind = Tr(translation, kContext, "TLTools", "ArchiveFile", "zamkniet", u8"ZAMKNIETA ZM. FISK.");
                    break;
                case 2: kind = Tr(translation, kContext, "TLTools", "ArchiveFile", "wszystki", u8"WSZYSTKIE"); break;
                case 3: kind = Tr(translation, kContext, "TLTools", "ArchiveFile", "zmiana", u8"ZMIANA LISTY"); break;
                default: break;
            }
            if (exportKind >= 0 && exportKind <= 3) arch.WriteLine(kind);
        } else {
            arch.WriteLine("\r\n" +
                           Tr(translation, kContext, "TLTools", "ArchiveFile", "import",
                              u8"------------ [IMPORT WYKONANY DNIA: ") +
                           now + Tr(translation, kContext, "TLTools", "ArchiveFile", "koniec", u8"] ------------", 1));
        }
    }
    if (!extraLine.empty()) arch.WriteLine(extraLine);

    // Every line of the source, including text after its last line end, which gets one: the
    // source copied in large blocks, and a CR LF after it unless it ends with one.
    std::vector<char> block(1 << 16);
    char last[2] = {0, 0};
    size_t copied = 0;
    for (size_t n; (n = src.Read(block.data(), block.size())) > 0; copied += n) {
        arch.Write(block.data(), n);
        last[0] = n >= 2 ? block[n - 2] : last[1];
        last[1] = block[n - 1];
    }
    if (copied > 0 && !(copied >= 2 && last[0] == '\r' && last[1] == '\n')) arch.Write("\r\n", 2);
    arch.Close();
    src.Close();
}

void TLTools::InitDebug(const AnsiString& fileName, TMLgExtTools* translation) {
    dbg_fname = fileName;
    TMFile file;
    OpenForAppend(file, fileName);
    file.WriteLine("\r\n" +
                   Tr(translation, kContext, "TLTools", "InitDebug", "naglowek", u8"--- [KOMUNIKACJA Z DNIA: ") +
                   TdtTools().ToString(TdtTools::fmt4YDateTime) + "] ---");
    file.Close();
    czy_debug = true;
}

void TLTools::DebugIt(const AnsiString& direction, const AnsiString& data) {
    if (!czy_debug) return;
    TMFile file;
    OpenForAppend(file, dbg_fname);
    AnsiString line = TdtTools().ToString(TdtTools::fmtTimeHMSms);
    line += ' ';
    line += direction;
    line += ' ';
    line += data;
    file.WriteLine(line);
    file.Close();
}

AnsiString TLTools::WczytajSciezkeDoBinariow() {
    AnsiString path;
    try {
        path = Trim(Os().RegistryString("SOFTWARE\\DELVOR\\QVRWin\\Instalacja", "Binaria"));
    } catch (...) {
        return "";
    }
    if (!path.empty() && path[path.size() - 1] != '\\') path += '\\';
    return path;
}
