# The program's files without the toolkit: the settings file's appearance sections and the saved games,
# so that tests without a display and the fuzz build have them. Included from the app's CMakeLists.txt
# and by the fuzz build.
torvane_add_library(app_files
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/Settings.cpp ${CMAKE_CURRENT_LIST_DIR}/SavedGame.cpp
  DEPS ini model)
