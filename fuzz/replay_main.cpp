// Stand-in driver when the compiler has no libFuzzer: replays the files named
// on the command line, then a fixed number of pseudo-random inputs, so the
// target still runs in every test build.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    long runs = 20000;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-runs=", 0) == 0) {
            runs = std::stol(a.substr(6));
            continue;
        }
        std::ifstream f(a, std::ios::binary);
        std::vector<uint8_t> buf((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    std::mt19937 rng(720);
    const char alphabet[] = "\x02\x03\x06\x15\x1b 0123456789ABCDEFabcdefPaq!~\x7f\xff";
    std::vector<uint8_t> buf;
    for (long n = 0; n < runs; ++n) {
        buf.resize(rng() % 48);
        for (auto& b : buf)
            b = (rng() % 4) ? static_cast<uint8_t>(alphabet[rng() % (sizeof(alphabet) - 1)]) : static_cast<uint8_t>(rng());
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    std::printf("replayed %ld inputs\n", runs);
    return 0;
}
