// The window layer's interface for the native tests: writes are recorded.
#include "tests/host/host_runtime.h"
#include "ui/window_api.h"

#include <string>

int32_t ReadProperty(int32_t, int32_t, int32_t) {
    return 0;
}

void WriteProperty(int32_t, int32_t recordId, int32_t property, int32_t value) {
    Host().calls.push_back("Write " + std::to_string(recordId) + " " + std::to_string(property) +
                           " " + std::to_string(value));
}
void WriteProperty(int32_t, int32_t recordId, int32_t property, const char* text) {
    Host().calls.push_back("WriteText " + std::to_string(recordId) + " " +
                           std::to_string(property) + " " + (text ? text : ""));
}
void WriteProperty(int32_t, int32_t recordId, int32_t property, const DimArray* bytes) {
    Host().calls.push_back("WriteBytes " + std::to_string(recordId) + " " +
                           std::to_string(property) + " " +
                           std::to_string(reinterpret_cast<uintptr_t>(bytes)));
}
void* ControlHandle(int32_t, int32_t) {
    return nullptr;
}
