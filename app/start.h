#pragma once
#include <cstdint>

// The program's entry, called once by the GUI runtime after its own start-up.
int32_t StartProgram();
