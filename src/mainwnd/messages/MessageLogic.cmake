# The message view's window-free logic: texts, markup, emoji split, times,
# sizes and name readers. Its own library so that the main window and its
# tests link it without a window.
corvanel_library(corvanel_message_logic
  ${CMAKE_CURRENT_LIST_DIR}/AttachmentCard.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EmojiSplit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageItemNames.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageLayout.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageMarkup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageSender.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MessageTimes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShareTexts.cpp
)
target_link_libraries(corvanel_message_logic PUBLIC corvanel_app corvanel_emoji mireloom duilib)
