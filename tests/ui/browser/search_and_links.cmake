# Tests of the search box and the list's link menu. The window tests run in Qt's offscreen
# platform against the loopback site server; the query encoder is a plain library test.
set(_browser_src ${PROJECT_SOURCE_DIR}/src/ui/browser)

add_executable(test_query_encoding test_search_box_query_encoding.cpp
    ${_browser_src}/query_encoding.cpp)
target_include_directories(test_query_encoding PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(test_query_encoding PRIVATE varneth_text GTest::gtest_main)
gtest_discover_tests(test_query_encoding PROPERTIES TIMEOUT 30)

# The handlers under test, compiled once for the window tests below.
add_library(search_and_links_under_test STATIC
    ${_browser_src}/search_box.cpp ${_browser_src}/search_box.h
    ${_browser_src}/link_actions.cpp ${_browser_src}/link_actions.h
    ${_browser_src}/query_encoding.cpp)
target_include_directories(search_and_links_under_test PUBLIC
    ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
target_link_libraries(search_and_links_under_test PUBLIC
    varneth_ui_common varneth_web varneth_platform varneth_matcher varneth_text Qt6::Widgets)

function(_search_and_links_test name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE search_and_links_under_test varneth_test_support
        Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

_search_and_links_test(test_search_box test_search_box.cpp)
_search_and_links_test(test_search_box_browser_handoff test_search_box_browser_handoff.cpp)
_search_and_links_test(test_link_actions test_link_actions.cpp)
# The loopback server answers on threads of its own.
set_tests_properties(test_link_actions test_search_box_browser_handoff PROPERTIES LABELS threaded)
