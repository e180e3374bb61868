#include "app/dim_array.h"

#include "app/runtime.h"

#include <cstring>

namespace {

int32_t ReadInt32(const unsigned char* at) {
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

} // namespace

ArrayCount ArrayCountAndData(const DimArray* array) {
    if (array == nullptr) {
        return {0, nullptr};
    }
    auto* bytes = reinterpret_cast<unsigned char*>(const_cast<DimArray*>(array));
    const int32_t dimensions = ReadInt32(bytes);
    if (dimensions <= 0) {
        return {0, bytes + 4};
    }
    uint32_t count = 1; // 32-bit multiplication, wrapping as the layout defines
    for (int32_t k = 0; k < dimensions; ++k) {
        count *= static_cast<uint32_t>(ReadInt32(bytes + 4 + 4 * k));
    }
    return {static_cast<int32_t>(count), bytes + 4 + 4 * dimensions};
}

void* ElementLocation(const DimArray* array, int32_t index, size_t width) {
    const ArrayCount a = ArrayCountAndData(array);
    // Signed, and computed in 64 bits so index 0x80000000 - 1 cannot wrap.
    if (!(static_cast<int64_t>(index) - 1 < a.count) || index < 1) {
        ReportRuntimeError(kErrorIndexOutOfRange, "array index out of range");
    }
    return a.data + static_cast<size_t>(index - 1) * width;
}

DimArray* NewVector(int32_t count, size_t width) {
    const uint32_t bytes = 8 + static_cast<uint32_t>(count) * static_cast<uint32_t>(width);
    auto* block = static_cast<unsigned char*>(AllocBlock(bytes));
    const int32_t header[2] = {1, count};
    std::memcpy(block, header, sizeof header);
    std::memset(block + 8, 0, bytes - 8);
    return reinterpret_cast<DimArray*>(block);
}

uint32_t ArrayByteSize(const DimArray* array, size_t width) {
    if (array == nullptr) {
        return 0;
    }
    const ArrayCount a = ArrayCountAndData(array);
    const auto* start = reinterpret_cast<const unsigned char*>(array);
    const uint32_t header = static_cast<uint32_t>(a.data - start);
    return header + static_cast<uint32_t>(a.count) * static_cast<uint32_t>(width);
}

void AssignArray(DimArray** variable, const DimArray* source, size_t width) {
    DimArray* copy = nullptr;
    if (source != nullptr) {
        const uint32_t bytes = ArrayByteSize(source, width);
        copy = static_cast<DimArray*>(AllocBlock(bytes));
        std::memcpy(copy, source, bytes);
    }
    FreeBlock(*variable);
    *variable = copy;
}
