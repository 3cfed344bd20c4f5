// Without libFuzzer: replays every seed file given (or found in the given folders), and for each
// one a few thousand deterministic mutations (bytes changed, pages cut off), so the test run
// walks damaged files too. Exit status 0 means no crash and no hang.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> seeds;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path p(argv[i]);
    if (std::filesystem::is_directory(p)) {
      for (const auto& e : std::filesystem::directory_iterator(p)) seeds.push_back(e.path());
    } else {
      seeds.push_back(p);
    }
  }
  std::mt19937 rng(20260101);
  std::size_t runs = 0;
  for (const auto& path : seeds) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    const std::string seed = s.str();
    auto run = [&](const std::string& bytes) {
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++runs;
    };
    run(seed);
    for (int m = 0; m < 1500 && !seed.empty(); ++m) {
      std::string bytes = seed;
      const int changes = 1 + int(rng() % 4);
      for (int c = 0; c < changes; ++c) {
        const std::size_t at = rng() % bytes.size();
        switch (rng() % 4) {
          case 0: bytes[at] = char(rng()); break;
          case 1: bytes[at] = char(bytes[at] ^ (1 << (rng() % 8))); break;
          case 2: bytes[at] = char(0xFF); break;
          default: bytes.resize(at); break;
        }
        if (bytes.empty()) break;
      }
      run(bytes);
    }
  }
  std::printf("%zu inputs replayed from %zu seeds\n", runs, seeds.size());
  return seeds.empty() ? 1 : 0;
}
