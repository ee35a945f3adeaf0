# Every header compiles on its own: each is included alone by a generated
# source, built with the include folders and definitions of the library it
# belongs to. A header that leans on what its includer happened to include
# first breaks the build here, not in the next file that includes it.
function(corvanel_check_headers target)
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  set(sources)
  foreach(header IN LISTS headers)
    file(RELATIVE_PATH relative "${CMAKE_SOURCE_DIR}" "${header}")
    string(MAKE_C_IDENTIFIER "${relative}" name)
    set(source "${CMAKE_BINARY_DIR}/header_check/${name}.cpp")
    file(CONFIGURE OUTPUT "${source}" CONTENT "#include \"${header}\"\n" @ONLY)
    list(APPEND sources "${source}")
  endforeach()
  add_library(${target}_headers OBJECT ${sources})
  target_compile_options(${target}_headers PRIVATE ${CORVANEL_WARNINGS})
  target_include_directories(${target}_headers PRIVATE $<TARGET_PROPERTY:${target},INCLUDE_DIRECTORIES>)
  target_compile_definitions(${target}_headers PRIVATE $<TARGET_PROPERTY:${target},COMPILE_DEFINITIONS>)
  target_link_libraries(${target}_headers PRIVATE ${target} ${ARGN})
endfunction()
