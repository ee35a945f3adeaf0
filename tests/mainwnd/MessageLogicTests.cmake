# The message view's window-free logic.
corvanel_test(message_logic_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/MessageMarkupTest.cpp ${CMAKE_CURRENT_LIST_DIR}/MessageTimesTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/MessageItemsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ShownMarkup.cpp
  LIBS corvanel_message_logic mireloom_testing)

# A benchmark, not a test: run by hand.
add_executable(message_text_benchmark ${CMAKE_CURRENT_LIST_DIR}/MessageTextBenchmark.cpp)
target_compile_options(message_text_benchmark PRIVATE ${CORVANEL_WARNINGS})
target_link_libraries(message_text_benchmark PRIVATE corvanel_message_logic)
