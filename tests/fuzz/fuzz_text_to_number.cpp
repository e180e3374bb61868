// Any bytes as a text: folding and conversion stay inside the text.
#include "app/value_rules.h"
#include "tests/host/host_runtime.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A text block holds no zero byte before its end: cut at the first one.
    char* text = static_cast<char*>(std::malloc(size + 1));
    std::memcpy(text, data, size);
    text[size] = '\0';
    const double value = TextToNumber(text);
    (void)RealToInt32(value);
    const uint32_t length = FoldFullWidth(text);
    if (length > size || text[length] != '\0') {
        std::abort();
    }
    std::free(text);
    if (Host().live != 0) {
        std::abort(); // a block leaked
    }
    return 0;
}
