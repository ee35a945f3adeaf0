# Import libraries whose DLL is loaded at the first call of one of its
# functions, not when the program starts: under Wine every DLL loaded before
# the first window adds to the time a person waits for it. Each is made from
# the toolchain's own import library, so it offers every function that one
# does; mingw-w64's delayimp loads the DLL at the first call.
find_program(CORVANEL_DLLTOOL NAMES ${MINGW_PREFIX}-dlltool REQUIRED)
find_program(CORVANEL_NM NAMES ${MINGW_PREFIX}-nm REQUIRED)

# corvanel_delay_loaded(<name> <dll>) makes the INTERFACE target
# delayed_<name> in place of the system library <name>.
function(corvanel_delay_loaded name dll)
  set(folder "${CMAKE_BINARY_DIR}/delayload")
  set(def "${folder}/${name}.def")
  set(library "${folder}/lib${name}_delayed.a")
  find_library(import_library_${name} NAMES ${name} lib${name}.a REQUIRED)
  set(import_library "${import_library_${name}}")
  if(NOT EXISTS "${library}" OR "${import_library}" IS_NEWER_THAN "${library}")
    execute_process(COMMAND ${CORVANEL_NM} --defined-only "${import_library}" OUTPUT_VARIABLE symbols
                    RESULT_VARIABLE failed)
    # The DLL's functions: those with an import address ("__imp_" name). The
    # library's own code and data (GDI+'s GUIDs) stay with it, linked after.
    string(REGEX MATCHALL "[0-9a-f]+ T [A-Za-z_][A-Za-z0-9_@]*" code "${symbols}")
    list(TRANSFORM code REPLACE "^[0-9a-f]+ T " "")
    list(REMOVE_DUPLICATES code)
    set(functions "")
    foreach(function IN LISTS code)
      string(FIND "${symbols}" " __imp_${function}\n" imported)
      if(NOT imported EQUAL -1)
        list(APPEND functions "${function}")
      endif()
    endforeach()
    list(JOIN functions "\n" exports)
    file(WRITE "${def}" "LIBRARY ${dll}\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CORVANEL_DLLTOOL} --input-def "${def}" --output-delaylib "${library}"
                    RESULT_VARIABLE failed_too)
    if(failed OR failed_too OR NOT functions)
      message(FATAL_ERROR "No delay-loading import library could be made for ${dll}")
    endif()
  endif()
  add_library(delayed_${name} INTERFACE)
  target_link_libraries(delayed_${name} INTERFACE "${library}" delayimp "${import_library}")
endfunction()

# The libraries the first window does not need: the HTTP client's, the crash
# dump's, GDI+ (the first window draws with GDI alone) and COM.
corvanel_delay_loaded(wininet wininet.dll)
corvanel_delay_loaded(dbghelp dbghelp.dll)
corvanel_delay_loaded(gdiplus gdiplus.dll)
corvanel_delay_loaded(ole32 ole32.dll)
