# Man pages made by help2man from each program's --help and --version, so the usage text lives in
# the program alone. <program>.h2m beside the program holds the page's name line and the sections
# --help does not (details, examples, exit status, files); further .h2m files given after the
# program add sections shared by several pages. The page is also left uncompressed in the build
# folder for `man -l`.
find_program(QN7_HELP2MAN help2man)
find_program(QN7_GZIP gzip)
if(CMAKE_CROSSCOMPILING)
  set(QN7_MAN_PAGES OFF)
elseif(QN7_HELP2MAN AND QN7_GZIP)
  set(QN7_MAN_PAGES ON)
else()
  set(QN7_MAN_PAGES OFF)
  message(STATUS "help2man not found: the man pages are not built (tools/deps.sh package)")
endif()

function(qn7_add_man_page program)
  if(NOT QN7_MAN_PAGES)
    return()
  endif()
  set(includes ${CMAKE_CURRENT_SOURCE_DIR}/${program}.h2m ${ARGN})
  list(TRANSFORM includes PREPEND --include= OUTPUT_VARIABLE include_options)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/${program}.1)
  add_custom_command(
    OUTPUT ${page} ${page}.gz
    COMMAND ${QN7_HELP2MAN} --no-info --section=1 ${include_options} --output=${page}
            $<TARGET_FILE:${program}>
    COMMAND ${QN7_GZIP} -9nkf ${page}
    DEPENDS ${program} ${includes}
    COMMENT "Man page ${program}.1"
    VERBATIM)
  add_custom_target(${program}-man ALL DEPENDS ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
