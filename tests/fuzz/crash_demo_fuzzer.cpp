// A fuzz target with a planted bug, built only on request and never shipped:
// tests/fuzz/fuzz_script_selftest.sh runs scripts/fuzz.sh on it to show that
// a finding fails the run.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::vector<uint8_t> copy(data, data + size);
  // An input starting with "BUG" reads one byte past the copy.
  if (size >= 3 && std::memcmp(copy.data(), "BUG", 3) == 0) {
    volatile uint8_t pastTheEnd = copy.data()[size];
    (void)pastTheEnd;
  }
  return 0;
}
