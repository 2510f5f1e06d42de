# Run by cpack after it has staged the package's files (CPACK_PRE_BUILD_SCRIPTS): adds the
# libraries the program and the engines link with to the package's Depends, as found by
# dpkg-shlibdeps. CPack's own scan (CPACK_DEBIAN_PACKAGE_SHLIBDEPS) would do the same, but it also
# takes our private engine in /usr/lib/torvane for a system library and adds ldconfig calls to the
# package's maintainer scripts, which then serve no purpose.
set(staging "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE "${staging}" "${staging}/*")
set(elf_files) # relative to the staging folder
foreach(path IN LISTS staged)
  if(NOT IS_SYMLINK "${staging}/${path}")
    file(READ "${staging}/${path}" magic LIMIT 4 HEX)
    if(magic STREQUAL "7f454c46")
      list(APPEND elf_files "${path}")
    endif()
  endif()
endforeach()
if(NOT elf_files)
  message(FATAL_ERROR "shlibdeps: no program or library among the staged files")
endif()

# dpkg-shlibdeps wants to be run in a source package (an empty debian/control makes one), on files
# in a package folder (debian/<package>/ with a DEBIAN folder): links to the staged folders make one.
set(work "${CPACK_TOPLEVEL_DIRECTORY}/shlibdeps")
set(root "${work}/debian/${CPACK_PACKAGE_NAME}")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${root}/DEBIAN")
file(TOUCH "${work}/debian/control")
file(GLOB top RELATIVE "${staging}" "${staging}/*")
foreach(name IN LISTS top)
  file(CREATE_LINK "${staging}/${name}" "${root}/${name}" SYMBOLIC)
endforeach()
list(TRANSFORM elf_files PREPEND "debian/${CPACK_PACKAGE_NAME}/")
execute_process(
  COMMAND dpkg-shlibdeps -O ${elf_files}
  WORKING_DIRECTORY "${work}"
  OUTPUT_VARIABLE substvars
  RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT substvars MATCHES "shlibs:Depends=([^\n]+)")
  message(FATAL_ERROR "shlibdeps: dpkg-shlibdeps failed (${result}): ${substvars}")
endif()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${CMAKE_MATCH_1}, ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
message(STATUS "shlibdeps: Depends: ${CPACK_DEBIAN_PACKAGE_DEPENDS}")
