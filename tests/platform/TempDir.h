#pragma once
// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test.
#include <filesystem>
#include <random>
#include <string>

class TempDir {
public:
    TempDir() {
        std::random_device random;
        auto base = std::filesystem::temp_directory_path();
        for (int attempt = 0; attempt < 100; ++attempt) {
            auto candidate = base / ("velkora-platform-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate)) {
                FPath = candidate;
                return;
            }
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TempDir() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // A path inside the folder, with this system's separator.
    std::string operator/(const std::string& name) const { return (FPath / name).string(); }
    std::string Path() const { return FPath.string(); }

private:
    std::filesystem::path FPath;
};
