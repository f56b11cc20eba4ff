# Tests of the search box and the list's link menu. The window tests run in Qt's offscreen
# platform against the loopback site server; the query encoder is a plain library test.
add_executable(test_query_encoding test_search_box_query_encoding.cpp)
target_link_libraries(test_query_encoding PRIVATE varneth_ui_browser GTest::gtest_main)
gtest_discover_tests(test_query_encoding PROPERTIES TIMEOUT 30)

function(_search_and_links_test name source library)
    add_executable(${name} ${source})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${library} varneth_test_support Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 60 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

_search_and_links_test(test_search_box test_search_box.cpp varneth_ui_browser)
_search_and_links_test(test_link_actions test_link_actions.cpp varneth_ui_browser)
# The loopback server answers on threads of its own.
set_tests_properties(test_link_actions PROPERTIES LABELS threaded)
# The real hand-off to xdg-open, through the program's own desktop seam; it starts a private
# Xvfb (the offscreen platform has no desktop services).
if(TARGET varneth_app)
    _search_and_links_test(test_search_box_browser_handoff test_search_box_browser_handoff.cpp
        varneth_app)
endif()
