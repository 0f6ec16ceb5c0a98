#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

namespace zarkent::test {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zarkent-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(no error)";
}

std::vector<std::uint8_t> PatternBytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> bytes(size);
    std::uint32_t state = seed * 2654435761u + 12345u;
    for (auto& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(state >> 24);
    }
    return bytes;
}

} // namespace zarkent::test
