# Checks the committed cursor and icon files, and that tools/make_images.py still gives them.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME image_files COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/images/test_image_files.py)
