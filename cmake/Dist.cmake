# Lays out the program as it runs:
#   dist/bin/Corvanel.exe (working directory), the tray icons beside it,
#   dist/Mireloom/skin = "../Mireloom/skin" and dist/Mireloom/demo.
set(CORVANEL_DIST_DIR "${CMAKE_SOURCE_DIR}/dist" CACHE PATH "Where the runnable program is laid out")

# The emoji pictures, named and scaled for the skin from the package the setup
# script fetched; made again only when the tables change.
set(CORVANEL_EMOJI_PACKAGE "${THIRD_PARTY_DIR}/emoji-datasource-google-16.0.0")
find_program(CORVANEL_MOGRIFY mogrify PATHS /usr/bin NO_DEFAULT_PATH REQUIRED)
set(CORVANEL_EMOJI_DIR "${CMAKE_BINARY_DIR}/emoji")
add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/emoji.stamp"
  COMMAND ${CMAKE_COMMAND} -DDATA=${CMAKE_SOURCE_DIR}/src/emoji/EmojiData.cpp -DPACKAGE=${CORVANEL_EMOJI_PACKAGE}
          -DMOGRIFY=${CORVANEL_MOGRIFY} -DOUT=${CORVANEL_EMOJI_DIR} -P ${CMAKE_SOURCE_DIR}/cmake/EmojiPictures.cmake
  COMMAND ${CMAKE_COMMAND} -E touch "${CMAKE_BINARY_DIR}/emoji.stamp"
  DEPENDS "${CMAKE_SOURCE_DIR}/src/emoji/EmojiData.cpp" "${CMAKE_SOURCE_DIR}/cmake/EmojiPictures.cmake"
          "${CORVANEL_EMOJI_PACKAGE}/LICENSE"
  COMMENT "Scaling the emoji pictures"
  VERBATIM)
add_custom_target(emoji_pictures DEPENDS "${CMAKE_BINARY_DIR}/emoji.stamp")

add_custom_target(dist ALL
  COMMAND ${CMAKE_COMMAND} -E make_directory "${CORVANEL_DIST_DIR}/bin" "${CORVANEL_DIST_DIR}/Mireloom"
  # Without its debug information: the build's copy keeps it, and a program
  # many times its size takes Wine several hundred milliseconds more to start.
  COMMAND ${CMAKE_STRIP} -o "${CORVANEL_DIST_DIR}/bin/Corvanel.exe" $<TARGET_FILE:Corvanel>
  COMMAND ${CMAKE_COMMAND} -E copy_if_different "${CMAKE_SOURCE_DIR}/skin/icons/Corvanel.ico"
          "${CMAKE_SOURCE_DIR}/skin/icons/CorvanelGrey.ico" "${CORVANEL_DIST_DIR}/bin/"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/skin" "${CORVANEL_DIST_DIR}/Mireloom/skin"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CMAKE_SOURCE_DIR}/demo" "${CORVANEL_DIST_DIR}/Mireloom/demo"
  COMMAND ${CMAKE_COMMAND} -E copy_directory "${CORVANEL_EMOJI_DIR}" "${CORVANEL_DIST_DIR}/Mireloom/skin/emoji"
  COMMENT "Laying out ${CORVANEL_DIST_DIR}"
  VERBATIM)
add_dependencies(dist Corvanel emoji_pictures)
