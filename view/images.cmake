# Picture decoders and environment files: no GL and no toolkit, so that they are tested without a
# display. Included from the view's CMakeLists.txt; the texture loaders link it.
find_package(JPEG REQUIRED)

torvane_add_library(view_images
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ImageDecoders.cpp ${CMAKE_CURRENT_LIST_DIR}/EnvFile.cpp
  PRIVATE_DEPS ini JPEG::JPEG)
