# The benchmark's programs; bench/run.sh builds them into its own tree by name, so they are out
# of the default build. Nothing here is a test.
# The floor is built exactly as the tool is, so that the two executables compare.
add_executable(wh_floor WIN32 EXCLUDE_FROM_ALL bench/floor.cpp)
target_compile_options(wh_floor PRIVATE ${WH_WIN32_FLAGS})
target_link_options(wh_floor PRIVATE ${WH_STATIC_LINK} -s -Wl,--gc-sections)

add_executable(wh_bench_driver EXCLUDE_FROM_ALL bench/bench_driver.cpp)
target_compile_options(wh_bench_driver PRIVATE -DUNICODE -D_UNICODE -municode)
target_link_options(wh_bench_driver PRIVATE ${WH_STATIC_LINK} -municode)

add_executable(wh_bench_target EXCLUDE_FROM_ALL bench/bench_target.cpp)
target_compile_options(wh_bench_target PRIVATE -DUNICODE -D_UNICODE -municode)
target_link_options(wh_bench_target PRIVATE ${WH_STATIC_LINK} -municode)
