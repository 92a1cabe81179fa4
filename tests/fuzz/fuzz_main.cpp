// Runs a fuzz target as an ordinary program: every saved input of the corpus
// directory given as the first argument, then a fixed-seed batch of inputs
// made by mutating those. A target reports a bug by crashing or by an assert;
// a clean refusal of bad input is success.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
    std::vector<std::vector<std::uint8_t>> corpus;
    if (argc > 1 && std::filesystem::is_directory(argv[1])) {
        for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
            std::ifstream in(entry.path(), std::ios::binary);
            corpus.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    if (corpus.empty()) corpus.emplace_back();
    for (const auto& input : corpus) LLVMFuzzerTestOneInput(input.data(), input.size());

    std::mt19937 generator(12345);
    const int rounds = 20000;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::uint8_t> input = corpus[generator() % corpus.size()];
        const int edits = 1 + static_cast<int>(generator() % 8);
        for (int edit = 0; edit < edits; ++edit) {
            const unsigned choice = generator() % 4;
            if (choice == 0 || input.empty()) {
                input.insert(
                    input.begin() + static_cast<long>(input.empty() ? 0 : generator() % input.size()),
                    static_cast<std::uint8_t>(generator()));
            } else if (choice == 1) {
                input.erase(input.begin() + static_cast<long>(generator() % input.size()));
            } else {
                input[generator() % input.size()] = static_cast<std::uint8_t>(generator());
            }
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    std::printf("%zu saved inputs and %d mutations ran cleanly\n", corpus.size(), rounds);
    return 0;
}
