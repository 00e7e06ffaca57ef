# Runs the view-table generator on small tables and checks what it writes or refuses.
#   cmake -DGENERATOR=cmake/GenerateViewTable.cmake -DWORK=DIR -P ViewTableGeneratorTest.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

set(row_bubbles [=[{"id": "crypto_bubbles", "title": "Crypto Bubbles", "description": "Bubbles", "image": "crypto_bubbles", "location": "local", "page": "index.html", "module": "pages/app/bubbles.mjs", "script": "js/bubbles.js"}]=])

# generate(NAME JSON RESULT): runs the generator on JSON (where ROW stands for a valid
# row); RESULT is its exit status.
function(generate name json result)
  string(REPLACE "ROW" "${row_bubbles}" json "${json}")
  file(WRITE "${WORK}/${name}.json" "${json}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DVIEWS_JSON=${WORK}/${name}.json -DOUTPUT=${WORK}/${name}.h -P ${GENERATOR}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result} "${status}" PARENT_SCOPE)
  set(${result}_message "${err}" PARENT_SCOPE)
endfunction()

function(expect_refused name json why)
  generate(${name} "${json}" status)
  if(status EQUAL 0)
    message(FATAL_ERROR "${name}: a table with ${why} was accepted")
  endif()
  if(EXISTS "${WORK}/${name}.h")
    message(FATAL_ERROR "${name}: a refused table still wrote a header")
  endif()
endfunction()

# Five rows, one of them remote and coming soon, with text that needs escaping: each
# becomes one row of the C++ table, in order.
generate(five [=[{"unknownViewPage": "view.html", "views": [
  ROW,
  {"id": "b", "title": "Say \"hi\" \\ there", "description": "d", "image": "b", "location": "remote", "page": "b.html", "comingSoon": true},
  {"id": "c", "title": "C", "description": "d", "image": "c", "location": "local", "page": "cIndex.html"},
  {"id": "d", "title": "D", "description": "d", "image": "d", "location": "remote", "page": "d.html", "comingSoon": false},
  {"id": "eth_gas", "title": "ETH Gas", "description": "Gas", "image": "eth_gas", "location": "local", "page": "gasIndex.html"}
]}]=] status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "five: a valid table was refused: ${status_message}")
endif()
file(READ "${WORK}/five.h" header)
foreach(expected
    "std::array<Row, 5> table"
    [=[{"crypto_bubbles", "Crypto Bubbles", "Bubbles", "crypto_bubbles", false, PageLocation::bundle, "index.html"},]=]
    [=[{"b", "Say \"hi\" \\ there", "d", "b", true, PageLocation::viewSite, "b.html"},]=]
    [=[{"d", "D", "d", "d", false, PageLocation::viewSite, "d.html"},]=]
    [=[{"eth_gas", "ETH Gas", "Gas", "eth_gas", false, PageLocation::bundle, "gasIndex.html"},]=]
    [=[unknownViewPage = "view.html";]=])
  string(FIND "${header}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "five: the header lacks ${expected}:\n${header}")
  endif()
endforeach()
string(FIND "${header}" "\"eth_gas\"" fifth)
string(FIND "${header}" "\"c\"" third)
if(fifth LESS third)
  message(FATAL_ERROR "five: rows are out of the table's order")
endif()

expect_refused(no_views [=[{"unknownViewPage": "view.html", "views": []}]=] "no views")
expect_refused(repeated [=[{"unknownViewPage": "view.html", "views": [ROW, ROW]}]=] "a repeated ID")
expect_refused(bad_location [=[{"unknownViewPage": "view.html", "views": [{"id": "x", "title": "X", "description": "d", "image": "x", "location": "cloud", "page": "x.html"}]}]=] "an unknown location")
expect_refused(page_in_folder [=[{"unknownViewPage": "view.html", "views": [{"id": "x", "title": "X", "description": "d", "image": "x", "location": "local", "page": "../x.html"}]}]=] "a page outside the folder")
expect_refused(no_title [=[{"unknownViewPage": "view.html", "views": [{"id": "x", "description": "d", "image": "x", "location": "local", "page": "x.html"}]}]=] "a row without a title")
expect_refused(no_unknown_page [=[{"views": [ROW]}]=] "no page for unknown IDs")
message(STATUS "view table generator: all cases behave")
