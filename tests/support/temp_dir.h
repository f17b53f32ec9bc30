// A temporary folder of this test process's own, so that test cases running
// side by side never write the same file.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace velmora_test {

inline std::string TempDir() {
    static const std::string folder = [] {
        std::string path = ::testing::TempDir() + "velmora-" + std::to_string(getpid()) + "/";
        mkdir(path.c_str(), 0700);
        atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(
                ::testing::TempDir() + "velmora-" + std::to_string(getpid()), ignored);
        });
        return path;
    }();
    return folder;
}

// Writes bytes to a file in that folder; returns its path.
inline std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = TempDir() + name;
    FILE* file = fopen(path.c_str(), "wb");
    if (file != nullptr) {
        fwrite(bytes.data(), 1, bytes.size(), file);
        fclose(file);
    }
    return path;
}

}  // namespace velmora_test
