include(cmake/images-tests.cmake)

# Native build of the portable parts: unit tests under sanitizers, and fuzzers.
set(WH_SAN_FLAGS)
if(WH_SANITIZE)
    set(WH_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        list(APPEND WH_SAN_FLAGS -fsanitize=fuzzer-no-link)
    endif()
endif()
target_compile_options(wh_portable PRIVATE ${WH_SAN_FLAGS})

add_library(wh_host_runtime STATIC tests/host/host_runtime.cpp tests/host/host_window_api.cpp
    tests/host/host_system.cpp)
target_link_libraries(wh_host_runtime PUBLIC wh_portable)
# The portable code calls the runtime back (blocks, the fatal report).
target_link_libraries(wh_portable INTERFACE wh_host_runtime)
target_compile_options(wh_host_runtime PRIVATE ${WH_SAN_FLAGS})

add_executable(host_tests
    tests/host/value_rules_tests.cpp
    tests/host/globals_tests.cpp
    tests/host/definition_tests.cpp
    tests/host/image_parse_tests.cpp
    tests/host/target_tests.cpp
    tests/host/hotkey_tests.cpp)
target_compile_options(host_tests PRIVATE ${WH_SAN_FLAGS})
target_link_options(host_tests PRIVATE ${WH_SAN_FLAGS})
target_link_libraries(host_tests PRIVATE wh_host_runtime GTest::gtest_main)
add_test(NAME host_tests COMMAND host_tests)

# libFuzzer targets, clang only; each run is bounded by the caller.
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    foreach(fuzzer fuzz_text_to_number fuzz_compare_text fuzz_image_parse)
        add_executable(${fuzzer} tests/fuzz/${fuzzer}.cpp)
        target_compile_options(${fuzzer} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_options(${fuzzer} PRIVATE -fsanitize=fuzzer,address,undefined)
        target_link_libraries(${fuzzer} PRIVATE wh_host_runtime)
    endforeach()
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    set(WH_FUZZ_SECONDS 30 CACHE STRING "How long each fuzzer runs in the test run")
    foreach(fuzzer fuzz_text_to_number fuzz_compare_text fuzz_image_parse)
        add_test(NAME ${fuzzer} COMMAND ${fuzzer} -max_total_time=${WH_FUZZ_SECONDS} -rss_limit_mb=2048)
    endforeach()
endif()
