// Two texts from any bytes: the comparison is an order (antisymmetric, and 0
// exactly for equal bytes) and reads nothing past either end.
#include "app/value_rules.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const size_t split = size == 0 ? 0 : data[0] % (size + 1);
    char* a = static_cast<char*>(std::malloc(split + 1));
    char* b = static_cast<char*>(std::malloc(size - split + 1));
    std::memcpy(a, data, split);
    a[split] = '\0';
    std::memcpy(b, data + split, size - split);
    b[size - split] = '\0';
    const int ab = CompareText(a, b);
    const int ba = CompareText(b, a);
    const int expected = std::strcmp(a, b);
    const int sign = expected < 0 ? -1 : (expected > 0 ? 1 : 0);
    if (ab != -ba || ab != sign || CompareText(a, a) != 0) {
        std::abort();
    }
    std::free(a);
    std::free(b);
    return 0;
}
