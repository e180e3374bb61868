// DimArray: a 32-bit dimension count, one 32-bit size per dimension, then the
// elements. Every element access checks its index.
#pragma once
#include <cstddef>
#include <cstdint>

struct DimArray; // opaque: only the block layout exists

struct ArrayCount {
    int32_t count;
    unsigned char* data;
};

ArrayCount ArrayCountAndData(const DimArray* array);

// The location of element `index` (from 1); runtime error 1 when out of range.
void* ElementLocation(const DimArray* array, int32_t index, size_t width);

template <class T> T& Element(DimArray* array, int32_t index) {
    return *static_cast<T*>(ElementLocation(array, index, sizeof(T)));
}

// A new one-dimensional array of `count` elements, each set to zero bytes.
DimArray* NewVector(int32_t count, size_t width);

// Header plus the elements' bytes.
uint32_t ArrayByteSize(const DimArray* array, size_t width);

// Whole-array assignment: copy the source into a new block, release the
// variable's old block, let the variable refer to the copy.
void AssignArray(DimArray** variable, const DimArray* source, size_t width);
