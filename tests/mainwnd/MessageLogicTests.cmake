# The message view's window-free logic.
corvanel_test(message_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageMarkupTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MessageTimesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MessageItemsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ShownMarkup.cpp
  LIBS corvanel_message_logic mireloom_testing)
