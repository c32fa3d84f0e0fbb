#pragma once
// A real filesystem of 64 kB (a tmpfs mounted for the test), empty, full or read-only, where the
// test may mount one (as root on Linux); elsewhere Mounted() is false and the test skips.
#include <cstdlib>
#include <fstream>

#include "tests/support/TempDir.h"

class TSmallDisk : public TempDir {
public:
    enum TKind { Empty, Full, ReadOnly };
    explicit TSmallDisk(TKind kind) {
#ifdef __linux__
        const std::string options = kind == ReadOnly ? "ro,size=64k" : "size=64k";
        FMounted =
            std::system(("mount -t tmpfs -o " + options + " velkora '" + Dir() + "' >/dev/null 2>&1").c_str()) == 0;
        if (FMounted && kind == Full) FillUp();
#endif
    }
    ~TSmallDisk() {
        if (FMounted) std::system(("umount '" + Dir() + "' >/dev/null 2>&1").c_str());
    }
    bool Mounted() const { return FMounted; }
    // Fills every block with the file "fill".
    void FillUp() {
        std::ofstream fill(File("fill"), std::ios::binary);
        const std::string block(4096, 'x');
        while (fill.write(block.data(), block.size())) fill.flush();
    }

private:
    bool FMounted = false;
};
