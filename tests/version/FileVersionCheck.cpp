// Reads a file's version resource through the Windows version API, as the file's properties
// do, and compares it with the version it must carry:
//     file_version_check FILE VERSION     (VERSION as major.minor.patch)
// Prints what it read; the exit status is 0 when every field agrees.
#include <cstdio>

#include "platform/FileVersion.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: file_version_check FILE VERSION\n");
        return 2;
    }
    TFileVersion read;
    if (!ReadFileVersion(argv[1], read)) {
        std::printf("%s: no version resource\n", argv[1]);
        return 1;
    }
    const AnsiString version = argv[2];
    const struct {
        const char* field;
        AnsiString value, expected;
    } fields[] = {
        {"fixed version", read.numbers, version + ".0"},
        {"FileVersion", read.fileVersion, version},
        {"ProductVersion", read.productVersion, version},
        {"ProductName", read.productName, "velkora"},
        {"FileDescription", read.description, read.description.empty() ? "(a description)" : read.description}};
    int wrong = 0;
    for (const auto& f : fields) {
        const bool ok = f.value == f.expected;
        wrong += !ok;
        std::printf("%s: %-16s %s%s\n", argv[1], f.field, f.value.c_str(),
                    ok ? "" : ("  (expected " + f.expected + ")").c_str());
    }
    return wrong ? 1 : 0;
}
