# trradio_version_quad(out x.y): the version as the four numbers that Windows version resources take (x.y.0.0).
function(trradio_version_quad out version)
  string(REPLACE "." ";" parts "${version}.0.0.0")
  list(SUBLIST parts 0 4 parts)
  string(REPLACE ";" "." quad "${parts}")
  set(${out} ${quad} PARENT_SCOPE)
endfunction()

# trradio_add_identity(target NAME name DESCRIPTION text VERSION x.y): gives the program `target` its
# application manifest and its version information (product "TiroRadio", the file description, the version the
# program announces). windres runs by itself here, so that the C++ compile options never reach it.
function(trradio_add_identity target)
  cmake_parse_arguments(ARG "" "NAME;DESCRIPTION;VERSION" "" ${ARGN})
  trradio_version_quad(TRRADIO_ID_QUAD ${ARG_VERSION})
  string(REPLACE "." "," TRRADIO_ID_COMMAS "${TRRADIO_ID_QUAD}")
  set(TRRADIO_ID_NAME ${ARG_NAME})
  set(TRRADIO_ID_DESCRIPTION ${ARG_DESCRIPTION})
  set(TRRADIO_ID_VERSION ${ARG_VERSION})
  set(TRRADIO_ID_FILE "${ARG_NAME}.exe")
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(TRRADIO_ID_ARCH amd64)
  else()
    set(TRRADIO_ID_ARCH x86)
  endif()
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_identity)
  set(TRRADIO_ID_MANIFEST ${dir}/program.manifest)
  configure_file(${CMAKE_SOURCE_DIR}/assets/program.manifest.in ${TRRADIO_ID_MANIFEST} @ONLY)
  configure_file(${CMAKE_SOURCE_DIR}/assets/program_identity.rc.in ${dir}/identity.rc @ONLY)
  add_custom_command(OUTPUT ${dir}/identity.o
    COMMAND ${CMAKE_RC_COMPILER} -O coff -i ${dir}/identity.rc -o ${dir}/identity.o
    DEPENDS ${dir}/identity.rc ${TRRADIO_ID_MANIFEST}
    VERBATIM)
  target_sources(${target} PRIVATE ${dir}/identity.o)
endfunction()
