// Any bytes as a picture or pointer value: the parse reads only inside them,
// and what it accepts lies inside them too.
#include "ui/image_parse.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
void Inside(const unsigned char* start, size_t size, const unsigned char* p, uint32_t n) {
    if (p < start || n > size || p - start > static_cast<std::ptrdiff_t>(size - n)) {
        std::abort();
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so ASan sees any read past the end.
    auto* copy = static_cast<unsigned char*>(std::malloc(size == 0 ? 1 : size));
    std::memcpy(copy, data, size);
    const ByteView view = {copy, static_cast<uint32_t>(size)};
    IconImage picture;
    if (FindPictureImage(view, &picture)) {
        Inside(copy, size, picture.bits, picture.size);
    }
    CursorImage cursor;
    if (FindCursorImage(view, &cursor)) {
        Inside(copy, size, cursor.image.bits, cursor.image.size);
    }
    std::free(copy);
    return 0;
}
