// Stand-in driver when the compiler has no libFuzzer: replays the files named
// on the command line (a folder stands for every file in it), then a fixed
// number of pseudo-random inputs: half of them small changes of those files,
// half fresh bytes. So every target still runs in every test build, and it
// gets past the first line of a file format. Options other than -runs= are
// libFuzzer's and are ignored.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

using Bytes = std::vector<uint8_t>;

Bytes readFile(const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Frame bytes of the line, and the delimiters and signs of the file formats.
const char kAlphabet[] = "\x02\x03\x06\x15\x1b 0123456789ABCDEFabcdefPaq!~\x7f\xff,\r\n\t\"-+.eE=[];#\\u";

uint8_t someByte(std::mt19937& rng) {
    return (rng() % 4) ? static_cast<uint8_t>(kAlphabet[rng() % (sizeof(kAlphabet) - 1)]) : static_cast<uint8_t>(rng());
}

// One to four changes: a byte replaced, inserted or removed, a piece cut
// off, or a piece repeated.
void mutate(Bytes& b, std::mt19937& rng) {
    for (int n = 1 + int(rng() % 4); n > 0; --n) {
        const size_t at = b.empty() ? 0 : rng() % b.size();
        switch (rng() % 5) {
        case 0:
            if (!b.empty()) b[at] = someByte(rng);
            break;
        case 1: b.insert(b.begin() + long(at), someByte(rng)); break;
        case 2:
            if (!b.empty()) b.erase(b.begin() + long(at));
            break;
        case 3: b.resize(at); break;
        default: {
            const size_t len = std::min<size_t>(b.size() - at, 1 + rng() % 64);
            const Bytes piece(b.begin() + long(at), b.begin() + long(at + len));
            b.insert(b.begin() + long(at), piece.begin(), piece.end());
        }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    long runs = 20000;
    std::vector<Bytes> seeds;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("-runs=", 0) == 0) {
            runs = std::stol(a.substr(6));
            continue;
        }
        if (a.rfind('-', 0) == 0) continue;
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(a)) {
            for (const auto& e : std::filesystem::directory_iterator(a))
                if (e.is_regular_file()) files.push_back(e.path());
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(a);
        }
        for (const auto& f : files) {
            seeds.push_back(readFile(f));
            LLVMFuzzerTestOneInput(seeds.back().data(), seeds.back().size());
        }
    }
    std::mt19937 rng(720);
    Bytes buf;
    for (long n = 0; n < runs; ++n) {
        if (!seeds.empty() && n % 2 == 1) {
            buf = seeds[rng() % seeds.size()];
            mutate(buf, rng);
        } else {
            buf.resize(rng() % 48);
            for (auto& b : buf) b = someByte(rng);
        }
        LLVMFuzzerTestOneInput(buf.data(), buf.size());
    }
    std::printf("replayed %zu files and %ld inputs\n", seeds.size(), runs);
    return 0;
}
