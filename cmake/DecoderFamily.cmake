# trovik_decoder_family(<Family> ROWS <function>... SOURCES <file>...)
#
# Compiles a decoder family's sources into trovik_core and writes the
# family's <Family>Types() (declared in its <Family>Decoders.h): the rows
# that the ROWS functions return, one after the other in the order named
# here, which is the order of the request dialog and --list-types. Each ROWS
# function is defined at the end of its decoder file, beside the decoders
# its rows name, as `DumpTypeRows <function>()`.
function(trovik_decoder_family family)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "ROWS;SOURCES")
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  set(declarations "")
  set(calls "")
  foreach(rows IN LISTS arg_ROWS)
    string(APPEND declarations "DumpTypeRows ${rows}();\n")
    string(APPEND calls "${rows}(), ")
  endforeach()
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/${family}Types.cpp)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/FamilyTypes.cpp.in ${generated} @ONLY)
  target_sources(trovik_core PRIVATE ${arg_SOURCES} ${generated})
endfunction()
