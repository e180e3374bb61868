// The window layer's interface for the native tests: properties live in the
// fake system, and every write is logged beside its system calls.
#include "tests/host/host_system.h"
#include "ui/window_api.h"

#include <string>

int32_t ReadProperty(int32_t, int32_t recordId, int32_t property) {
    return System().properties[{recordId, property}];
}

void WriteProperty(int32_t, int32_t recordId, int32_t property, int32_t value) {
    System().log.push_back("Write " + std::to_string(recordId) + " " + std::to_string(property) +
                           " " + std::to_string(value));
    System().properties[{recordId, property}] = value;
}

void WriteProperty(int32_t, int32_t recordId, int32_t property, const char* text) {
    System().log.push_back("WriteText " + std::to_string(recordId) + " " +
                           std::to_string(property));
    System().captions[recordId] = text != nullptr ? text : "";
}

void WriteProperty(int32_t, int32_t recordId, int32_t property, const DimArray* bytes) {
    System().values[{recordId, property}] = bytes;
}

void* ControlHandle(int32_t, int32_t recordId) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(recordId & 0xFFFF));
}
