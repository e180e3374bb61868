# The Windows program and its tests under Wine.
# Size: the program throws nothing, so it needs no unwind tables; each function in
# its own section lets the linker drop what nothing calls.
set(WH_SMALL_CODE -fno-asynchronous-unwind-tables -fno-unwind-tables -ffunction-sections
    -fdata-sections)
set(WH_WIN32_FLAGS -Wall -Wextra -fno-exceptions -fno-rtti -DUNICODE -D_UNICODE -DWINVER=0x0501
    -D_WIN32_WINNT=0x0501 -D_WIN32_IE=0x0600 ${WH_SMALL_CODE})
target_compile_options(wh_portable PRIVATE -fno-exceptions ${WH_SMALL_CODE})

add_library(wh_win32 STATIC
    app/runtime_win32.cpp
    ui/window_layer_win32.cpp
    ui/images_win32.cpp
    target/target_system_win32.cpp
    target/window_marks_win32.cpp
    hotkeys/hotkey_service_win32.cpp)
target_link_libraries(wh_win32 PUBLIC wh_portable comctl32 gdi32 user32 kernel32)
# The portable code calls the runtime back (blocks, the fatal report).
target_link_libraries(wh_portable INTERFACE wh_win32)
target_compile_options(wh_win32 PRIVATE ${WH_WIN32_FLAGS})

# Static runtime: the executable needs no DLL that Windows does not ship.
# No time stamp in the header, so that two builds of one commit are the same file.
set(WH_STATIC_LINK -static -static-libgcc -static-libstdc++ -Wl,--dynamicbase -Wl,--nxcompat
    -Wl,--no-insert-timestamp)

enable_language(RC)
configure_file(ui/images/version.h.in ${CMAKE_BINARY_DIR}/generated/version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
add_executable(WindowHider WIN32 app/main_win32.cpp ui/images/WindowHider.rc)
target_compile_options(WindowHider PRIVATE ${WH_WIN32_FLAGS})
target_link_libraries(WindowHider PRIVATE wh_win32)
target_link_options(WindowHider PRIVATE ${WH_STATIC_LINK} -s -Wl,--gc-sections)

# --- tests under Wine ---
set(WH_WINE_ENV ${CMAKE_SOURCE_DIR}/tests/wine/wine-env.sh)
add_test(NAME wine_env_start COMMAND ${WH_WINE_ENV} start)
set_tests_properties(wine_env_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
add_test(NAME wine_env_stop COMMAND ${WH_WINE_ENV} stop)
set_tests_properties(wine_env_stop PROPERTIES FIXTURES_CLEANUP wine)

function(wh_wine_test name)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RUN_SERIAL TRUE)
endfunction()

add_executable(win32_tests
    tests/win32/test_main.cpp
    tests/win32/window_tests.cpp
    tests/win32/lifecycle_tests.cpp
    tests/win32/image_tests.cpp
    tests/win32/target_tests.cpp
    tests/win32/hotkey_tests.cpp
    tests/win32/value_tests.cpp
    tests/win32/mark_tests.cpp
    tests/win32/win32_test_support.cpp
    ui/images/WindowHider.rc)
target_compile_options(win32_tests PRIVATE -DUNICODE -D_UNICODE -DWINVER=0x0501 -D_WIN32_WINNT=0x0501)
target_link_libraries(win32_tests PRIVATE wh_win32 GTest::gtest psapi)
target_link_options(win32_tests PRIVATE ${WH_STATIC_LINK})
add_test(NAME win32_tests COMMAND win32_tests)
wh_wine_test(win32_tests)

# The probe: a small program that looks at the running tool from outside.
add_executable(wh_probe tests/e2e/probe.cpp)
target_compile_options(wh_probe PRIVATE -DUNICODE -D_UNICODE -municode)
target_link_options(wh_probe PRIVATE ${WH_STATIC_LINK} -municode)

# A window of another process, for the tool to pick, hide and show.
add_executable(wh_target_app tests/e2e/target_app.cpp)
target_compile_options(wh_target_app PRIVATE -DUNICODE -D_UNICODE -municode)
target_link_options(wh_target_app PRIVATE ${WH_STATIC_LINK} -municode)

find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME e2e_window
    COMMAND ${WH_WINE_ENV} run ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/test_window.py
            $<TARGET_FILE:WindowHider> $<TARGET_FILE:wh_probe> $<TARGET_FILE:wh_fixture>
            ${CMAKE_BINARY_DIR}/xcursor)
wh_wine_test(e2e_window)
add_test(NAME e2e_pick
    COMMAND ${WH_WINE_ENV} run ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/test_pick.py
            $<TARGET_FILE:WindowHider> $<TARGET_FILE:wh_probe> $<TARGET_FILE:wh_target_app>
            ${CMAKE_BINARY_DIR}/xcursor)
wh_wine_test(e2e_pick)

# A native helper that reports the cursor the X display really shows.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/xcursor
    COMMAND cc -O2 -o ${CMAKE_BINARY_DIR}/xcursor ${CMAKE_SOURCE_DIR}/tests/e2e/xcursor.c -lX11 -lXfixes
    DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/xcursor.c)
add_custom_target(xcursor_tool ALL DEPENDS ${CMAKE_BINARY_DIR}/xcursor)

add_executable(wh_fixture WIN32 tests/e2e/fixture.cpp ui/images/WindowHider.rc)
target_compile_options(wh_fixture PRIVATE ${WH_WIN32_FLAGS} -municode)
target_link_libraries(wh_fixture PRIVATE wh_win32)
target_link_options(wh_fixture PRIVATE ${WH_STATIC_LINK} -municode)

add_test(NAME executable COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/exe/test_executable.py
         $<TARGET_FILE:WindowHider> ${PROJECT_VERSION})
add_test(NAME reproducible_build
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/exe/test_reproducible.py
         ${CMAKE_SOURCE_DIR})
set_tests_properties(reproducible_build PROPERTIES TIMEOUT 600)

add_executable(wh_poke tests/e2e/poke.cpp)
target_compile_options(wh_poke PRIVATE -DUNICODE -D_UNICODE -municode)
target_link_options(wh_poke PRIVATE ${WH_STATIC_LINK} -municode)
add_test(NAME e2e_hotkeys
    COMMAND ${WH_WINE_ENV} run ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/test_hotkeys.py
            $<TARGET_FILE:WindowHider> $<TARGET_FILE:wh_probe> $<TARGET_FILE:wh_target_app>
            ${CMAKE_BINARY_DIR}/xcursor $<TARGET_FILE:wh_poke>)
wh_wine_test(e2e_hotkeys)
add_test(NAME e2e_reliability
    COMMAND ${WH_WINE_ENV} run ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/e2e/test_reliability.py
            $<TARGET_FILE:WindowHider> $<TARGET_FILE:wh_probe> $<TARGET_FILE:wh_target_app>
            ${CMAKE_BINARY_DIR}/xcursor $<TARGET_FILE:wh_poke>)
wh_wine_test(e2e_reliability)

# Long use, on the tool's window in process. CI runs a short one; scripts/soak.sh the full one.
add_executable(win32_soak tests/soak/soak_tests.cpp tests/win32/win32_test_support.cpp
    ui/images/WindowHider.rc)
target_compile_options(win32_soak PRIVATE -DUNICODE -D_UNICODE -DWINVER=0x0501 -D_WIN32_WINNT=0x0501)
target_link_libraries(win32_soak PRIVATE wh_win32 GTest::gtest psapi shell32)
target_link_options(win32_soak PRIVATE ${WH_STATIC_LINK})
add_test(NAME soak_short COMMAND win32_soak --cycles=1000 --picks=100)
wh_wine_test(soak_short)

# The benchmark's own programs (built on demand by its command, not by the tests).
include(bench/bench.cmake OPTIONAL)
