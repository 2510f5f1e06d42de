# Tests of the picture decoders and the environment files. Included from the view tests'
# CMakeLists.txt. The tests write JPEG files of their own, hence libjpeg.
find_package(JPEG REQUIRED)

torvane_add_test(view_images_tests LABEL view
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageDecodersTest.cpp
  DEPS view_images JPEG::JPEG)
