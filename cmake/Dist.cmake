# Lays out the program as it runs:
#   dist/bin/Corvanel.exe (working directory), the tray icons beside it,
#   dist/Mireloom/skin = "../Mireloom/skin" and dist/Mireloom/demo.
set(CORVANEL_DIST_DIR "${CMAKE_SOURCE_DIR}/dist" CACHE PATH "Where the runnable program is laid out")

add_custom_target(dist ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVANEL_DIST_DIR}/bin" "${CORVANEL_DIST_DIR}/Mireloom"
  # Without its debug information: the build's copy keeps it, and a program
  # many times its size takes Wine several hundred milliseconds more to start.
  COMMAND ${CMAKE_STRIP} -o "${CORVANEL_DIST_DIR}/bin/Corvanel.exe" $<TARGET_FILE:Corvanel>
  COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_SOURCE_DIR}/skin/icons/Corvanel.ico"
          "${CMAKE_SOURCE_DIR}/skin/icons/CorvanelGrey.ico" "${CORVANEL_DIST_DIR}/bin/"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/skin" "${CORVANEL_DIST_DIR}/Mireloom/skin"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/demo" "${CORVANEL_DIST_DIR}/Mireloom/demo"
  COMMENT "Laying out ${CORVANEL_DIST_DIR}"
  VERBATIM)
add_dependencies(dist Corvanel)
