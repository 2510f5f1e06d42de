# The default settings file of the program folder. Copied only while there is none: the one there may
# hold what the user saved. Included from the top-level CMakeLists.txt.
set(torvaneSettingsFile "${TORVANE_PROGRAM_DIR}/torvane.ini")
add_custom_target(settings_file ALL
  COMMAND "${CMAKE_COMMAND}" "-DSOURCE=${CMAKE_CURRENT_LIST_DIR}/torvane.ini" "-DTARGET=${torvaneSettingsFile}"
          -P "${CMAKE_CURRENT_LIST_DIR}/../cmake/CopyIfMissing.cmake"
  COMMENT "Putting the default settings file into the program folder"
  VERBATIM)
