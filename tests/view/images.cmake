# Tests of the picture decoders, the environment files and our own environments. Included from the
# view tests' CMakeLists.txt. The tests write JPEG files of their own, hence libjpeg.
find_package(JPEG REQUIRED)

torvane_add_test(view_images_tests LABEL view
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageDecodersTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ImageDecodersGarbageTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/EnvFileTest.cpp ${CMAKE_CURRENT_LIST_DIR}/EnvironmentAssetsTest.cpp
  DEPS view_images JPEG::JPEG)

if(TARGET view_images_tests)
  # The shipped environments are checked where they are kept, not in the program folder.
  cmake_path(SET environmentDir NORMALIZE "${CMAKE_CURRENT_LIST_DIR}/../../assets/Environment")
  target_compile_definitions(view_images_tests PRIVATE TORVANE_ENVIRONMENT_DIR="${environmentDir}")
endif()
