# Run with cmake -P: lays out the emoji pictures the emoji tables name.
#   DATA     the tables' data file (src/emoji/EmojiData.cpp)
#   PACKAGE  the fetched emoji package (LICENSE, NOTICE, img/google/64/<hex>[-fe0f].png)
#   MOGRIFY  ImageMagick's mogrify
#   OUT      the folder to fill: emoji_<hex>.png for every image name, and the notices
#
# The pictures are scaled to the 20 x 20 they are drawn at, once here: the
# framework stretches alpha pictures without filtering (jagged edges), and the
# picker decodes all of them when it first paints, which at 64 x 64 is ten
# times the pixels and a good part of the image cache.
foreach(variable DATA PACKAGE MOGRIFY OUT)
  if(NOT ${variable})
    message(FATAL_ERROR "EmojiPictures.cmake needs ${variable}")
  endif()
endforeach()

file(STRINGS "${DATA}" records REGEX "\"emoji_[0-9a-f]+\"")
set(names "")
foreach(record IN LISTS records)
  string(REGEX MATCH "emoji_([0-9a-f]+)" name "${record}")
  list(APPEND names "${name}")
endforeach()
list(REMOVE_DUPLICATES names)

set(staging "${OUT}.staging")
file(REMOVE_RECURSE "${staging}")
file(MAKE_DIRECTORY "${staging}")
set(pictures "${PACKAGE}/img/google/64")
foreach(name IN LISTS names)
  string(REGEX REPLACE "^emoji_" "" hex "${name}")
  # Pictures that take a variation selector are named with it.
  if(EXISTS "${pictures}/${hex}.png")
    set(source "${pictures}/${hex}.png")
  elseif(EXISTS "${pictures}/${hex}-fe0f.png")
    set(source "${pictures}/${hex}-fe0f.png")
  else()
    message(FATAL_ERROR "The emoji package has no picture for ${name}")
  endif()
  file(COPY_FILE "${source}" "${staging}/${name}.png")
endforeach()

file(GLOB staged "${staging}/*.png")
execute_process(COMMAND "${MOGRIFY}" -strip -filter Lanczos -resize 20x20 ${staged} RESULT_VARIABLE scaled)
if(NOT scaled EQUAL 0)
  message(FATAL_ERROR "mogrify could not scale the emoji pictures")
endif()
foreach(notice LICENSE LICENSE-Apache-2.0 NOTICE)
  file(COPY_FILE "${PACKAGE}/${notice}" "${staging}/${notice}")
endforeach()

file(REMOVE_RECURSE "${OUT}")
file(RENAME "${staging}" "${OUT}")
list(LENGTH names count)
message(STATUS "Emoji pictures: ${count} in ${OUT}")
