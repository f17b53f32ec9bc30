// Runs a fuzz target over saved inputs (files, or folders of them) without
// libFuzzer, so that every build runs the corpus as a regression test. A
// broken promise aborts, which fails the test with the input's name printed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void RunInput(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
    fprintf(stderr, "running %s\n", file.filename().c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    int run = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path given(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(given)) {
            for (const auto& entry : std::filesystem::directory_iterator(given)) {
                if (entry.is_regular_file()) {
                    files.push_back(entry.path());
                }
            }
        } else {
            files.push_back(given);
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            RunInput(file);
            ++run;
        }
    }
    printf("%d inputs run, none broke a promise\n", run);
    // A corpus that is not there is a mistake in the test, not a pass.
    return run > 0 ? 0 : 1;
}
