# Writes the C++ view table from the JSON one (shared/views.json): the rows the
# catalogue and the page resolution read. Run as a script so that the build redoes it
# whenever the table changes:
#   cmake -DVIEWS_JSON=shared/views.json -DOUTPUT=ViewTable.h -P cmake/GenerateViewTable.cmake
# A row that could not work (no ID, a repeated ID, an unknown location, a page that is
# no plain .html file name) stops the build with a message naming it.
cmake_minimum_required(VERSION 3.25)

if(NOT VIEWS_JSON OR NOT OUTPUT)
  message(FATAL_ERROR "usage: cmake -DVIEWS_JSON=FILE -DOUTPUT=FILE -P GenerateViewTable.cmake")
endif()
file(READ "${VIEWS_JSON}" table)

function(c_string out value)
  string(REPLACE "\\" "\\\\" value "${value}")
  string(REPLACE "\"" "\\\"" value "${value}")
  set(${out} "\"${value}\"" PARENT_SCOPE)
endfunction()

function(checked_page out page where)
  if(NOT page MATCHES "^[A-Za-z0-9_.-]+\\.html$")
    message(FATAL_ERROR "${VIEWS_JSON}: ${where}: page \"${page}\" is not an .html file name")
  endif()
  set(${out} "${page}" PARENT_SCOPE)
endfunction()

string(JSON unknown_page GET "${table}" unknownViewPage)
checked_page(unknown_page "${unknown_page}" "unknownViewPage")
string(JSON count LENGTH "${table}" views)
if(count EQUAL 0)
  message(FATAL_ERROR "${VIEWS_JSON}: the table has no views")
endif()

set(rows "")
set(seen_ids "")
math(EXPR last "${count} - 1")
foreach(index RANGE ${last})
  foreach(field id title description image location page)
    string(JSON ${field} ERROR_VARIABLE missing GET "${table}" views ${index} ${field})
    if(missing OR "${${field}}" STREQUAL "")
      message(FATAL_ERROR "${VIEWS_JSON}: view ${index} has no ${field}")
    endif()
  endforeach()
  if(id IN_LIST seen_ids)
    message(FATAL_ERROR "${VIEWS_JSON}: view ID \"${id}\" appears twice")
  endif()
  list(APPEND seen_ids "${id}")
  if(location STREQUAL "local")
    set(location_value "PageLocation::bundle")
  elseif(location STREQUAL "remote")
    set(location_value "PageLocation::viewSite")
  else()
    message(FATAL_ERROR "${VIEWS_JSON}: view \"${id}\": location must be local or remote, not \"${location}\"")
  endif()
  checked_page(page "${page}" "view \"${id}\"")
  string(JSON coming_soon ERROR_VARIABLE no_flag GET "${table}" views ${index} comingSoon)
  if(no_flag OR NOT coming_soon)
    set(coming_soon "false")
  else()
    set(coming_soon "true")
  endif()
  foreach(field id title description image page)
    c_string(${field} "${${field}}")
  endforeach()
  string(APPEND rows "    {${id}, ${title}, ${description}, ${image}, ${coming_soon}, ${location_value}, ${page}},\n")
endforeach()

c_string(unknown_page "${unknown_page}")
set(text "#pragma once

// Generated from ${VIEWS_JSON} by cmake/GenerateViewTable.cmake: edit the table there.

#include <array>

namespace views {

enum class PageLocation {
    bundle,    // a page at the top level of the deliverable's resources
    viewSite,  // a page at the root of the view site
};

struct Row {
    const char* id;
    const char* title;
    const char* description;
    const char* imageName;
    bool isComingSoon;
    PageLocation location;
    const char* page;  // a file name ending in .html
};

// In the order the settings window shows them.
inline constexpr std::array<Row, ${count}> table{{
${rows}}};

// The view site's page for a view ID the table does not hold.
inline constexpr const char* unknownViewPage = ${unknown_page};

}  // namespace views
")

# Rewritten only when it changes, so an unchanged table rebuilds nothing.
file(WRITE "${OUTPUT}.new" "${text}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
