# Our own environments, copied into the program folder's "Environment" subfolder, where the settings
# dialogs look for ".env" files. Included from the top-level CMakeLists.txt.
file(GLOB_RECURSE torvaneEnvironmentFiles CONFIGURE_DEPENDS "${CMAKE_CURRENT_LIST_DIR}/Environment/*")

set(torvaneEnvironmentStamp "${CMAKE_CURRENT_BINARY_DIR}/environment.stamp")
add_custom_command(
  OUTPUT "${torvaneEnvironmentStamp}"
  COMMAND "${CMAKE_COMMAND}" -E copy_directory "${CMAKE_CURRENT_LIST_DIR}/Environment"
          "${TORVANE_PROGRAM_DIR}/Environment"
  COMMAND "${CMAKE_COMMAND}" -E touch "${torvaneEnvironmentStamp}"
  DEPENDS ${torvaneEnvironmentFiles}
  COMMENT "Copying the environments into the program folder"
  VERBATIM)
add_custom_target(environment_assets ALL DEPENDS "${torvaneEnvironmentStamp}")
