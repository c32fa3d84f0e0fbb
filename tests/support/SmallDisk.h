#pragma once
// A real filesystem of a few kilobytes (a tmpfs mounted for the test), full or read-only, where
// the test may mount one (as root on Linux); elsewhere Mounted() is false and the test skips.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tests/support/TempDir.h"

class TSmallDisk {
public:
    enum TKind { Empty, Full, ReadOnly };

    explicit TSmallDisk(TKind kind) {
#ifdef __linux__
        const std::string options = kind == ReadOnly ? "ro,size=64k" : "size=64k";
        FMounted = std::system(
                       ("mount -t tmpfs -o " + options + " velkora-test '" + FDir.Path().string() + "' >/dev/null 2>&1")
                           .c_str()) == 0;
        if (FMounted && kind == Full) FillUp();
#else
        (void)kind;
#endif
    }
    ~TSmallDisk() {
        if (FMounted) std::system(("umount '" + FDir.Path().string() + "' >/dev/null 2>&1").c_str());
    }
    TSmallDisk(const TSmallDisk&) = delete;
    TSmallDisk& operator=(const TSmallDisk&) = delete;

    bool Mounted() const { return FMounted; }
    // Fills every block with the file "fill".
    void FillUp() {
        std::ofstream fill(FDir.File("fill"), std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), block.size())) fill.flush();
    }
    std::string Dir() const { return FDir.Dir(); }
    std::string File(const std::string& name) const { return FDir.File(name); }
    const std::filesystem::path& Path() const { return FDir.Path(); }

private:
    TempDir FDir;
    bool FMounted = false;
};
