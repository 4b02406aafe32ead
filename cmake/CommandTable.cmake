# The command table of test-tool/command-ids as C++, written at configure time into
# ${BRELTA_GENERATED_DIR} (and again whenever the table changes):
#   CommandIds.inc    BRELTA_COMMAND_IDS(X): X(id, delay) for each row, for any program;
#   CommandTable.inc  the task headers and BRELTA_COMMANDS(X): X(id, delay, class), for the
#                     tool's factory;
# and the tool's manual page, share/man/man1/brelta_test_tool.1, its ids from the table.
set(BRELTA_COMMAND_LIST ${PROJECT_SOURCE_DIR}/test-tool/command-ids)
set(BRELTA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${BRELTA_COMMAND_LIST})
file(STRINGS ${BRELTA_COMMAND_LIST} rows REGEX "^[^#]")
set(headers "")
set(ids "")
set(tasks "")
set(man_ids "")
foreach(row IN LISTS rows)
  # An id reaches C++ as a string literal: only the characters an id may hold pass.
  if(NOT row MATCHES "^([A-Za-z0-9._-]+)[ \t]+([0-9]+)[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+([A-Za-z0-9_.-]+\\.h)[ \t]+([^ \t].*)$")
    message(FATAL_ERROR
      "${BRELTA_COMMAND_LIST}: not a row of id, delay, class, header, what it does: '${row}'")
  endif()
  set(id ${CMAKE_MATCH_1})
  set(delay ${CMAKE_MATCH_2})
  # For roff: a backslash as \e, a hyphen as \- (an ASCII one, as in an option).
  string(REPLACE "\\" "\\e" what "${CMAKE_MATCH_5}")
  string(REPLACE "-" "\\-" what "${what}")
  string(SUBSTRING "${what}" 0 1 first)
  string(TOUPPER "${first}" first)
  string(SUBSTRING "${what}" 1 -1 what)
  string(APPEND man_ids ".TP\n.B ${id}\n${first}${what}. The run ends ${delay} s after its work.\n")
  string(APPEND ids " \\\n    X(\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2})")
  string(APPEND tasks " \\\n    X(\"${CMAKE_MATCH_1}\", ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3})")
  string(FIND "${headers}" "\"${CMAKE_MATCH_4}\"" seen)
  if(seen EQUAL -1)
    string(APPEND headers "#include \"${CMAKE_MATCH_4}\"\n")
  endif()
endforeach()
set(made "// Made from test-tool/command-ids by cmake/CommandTable.cmake: edit the table.\n")
file(GENERATE OUTPUT ${BRELTA_GENERATED_DIR}/CommandIds.inc
  CONTENT "${made}#define BRELTA_COMMAND_IDS(X)${ids}\n")
file(GENERATE OUTPUT ${BRELTA_GENERATED_DIR}/CommandTable.inc
  CONTENT "${made}${headers}#define BRELTA_COMMANDS(X)${tasks}\n")
configure_file(${PROJECT_SOURCE_DIR}/test-tool/brelta_test_tool.1.in
  ${CMAKE_BINARY_DIR}/share/man/man1/brelta_test_tool.1 @ONLY)
