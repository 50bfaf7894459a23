// Runs a fuzz target without libFuzzer, for compilers that lack it: every file of the corpus
// folders, then a fixed number of inputs made from them by random edits. The edits come from a
// fixed seed, so every run tries the same inputs and a failure can be replayed.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace {

using Input = std::vector<uint8_t>;

// Characters that S-record texts are made of, so that edits mostly give texts the reader reads far.
constexpr char kTextCharacters[] = "S0123456789ABCDEF\r\n";

class Mutator {
public:
    explicit Mutator(uint64_t seed) : random_(seed) {}

    Input Mutate(const std::vector<Input>& corpus) {
        Input input = corpus[Below(corpus.size())];
        const std::size_t edits = 1 + Below(8);
        for (std::size_t i = 0; i < edits; ++i) Edit(input, corpus[Below(corpus.size())]);
        return input;
    }

private:
    std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : random_() % bound; }

    uint8_t AnyCharacter() {
        return Below(4) == 0 ? static_cast<uint8_t>(random_())
                             : static_cast<uint8_t>(kTextCharacters[Below(sizeof kTextCharacters - 1)]);
    }

    void Edit(Input& input, const Input& other) {
        const auto at = input.begin() + static_cast<std::ptrdiff_t>(Below(input.size() + 1));
        switch (Below(5)) {
        case 0:
            if (at != input.end()) *at = AnyCharacter();
            break;
        case 1: input.insert(at, AnyCharacter()); break;
        case 2: input.erase(at, std::min(input.end(), at + static_cast<std::ptrdiff_t>(Below(40)))); break;
        case 3: input.erase(at, input.end()); break;
        default: {
            const auto from = other.begin() + static_cast<std::ptrdiff_t>(Below(other.size()));
            input.insert(at, from, std::min(other.end(), from + static_cast<std::ptrdiff_t>(Below(200))));
        }
        }
    }

    std::mt19937_64 random_;
};

Input ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Input(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Run(const Input& input) { LLVMFuzzerTestOneInput(input.data(), input.size()); }

}  // namespace

int main(int argc, char** argv) {
    long runs = 0;
    std::vector<Input> corpus;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("-runs=", 0) == 0) {
            runs = std::strtol(arg.c_str() + 6, nullptr, 10);
            continue;
        }
        for (const auto& file : std::filesystem::directory_iterator(arg)) corpus.push_back(ReadFile(file.path()));
    }
    if (corpus.empty()) {
        std::fprintf(stderr, "usage: %s [-runs=N] CORPUS-FOLDER...\n", argv[0]);
        return 2;
    }
    for (const Input& input : corpus) Run(input);
    Mutator mutator(0x5EC0DE5);
    for (long i = 0; i < runs; ++i) Run(mutator.Mutate(corpus));
    std::printf("%zu corpus inputs and %ld edited inputs ran\n", corpus.size(), runs);
    return 0;
}
