# Fails when the recorded usage requirements of the skin format library (its link libraries, the
# include path and definitions it compiles with, and what it hands on to those that link it) or the
# skin tool's link libraries name Qt Widgets. Run as: cmake -DUSAGE=<file written at generation time> -P no_widgets_in_usage.cmake
if(NOT EXISTS "${USAGE}")
  message(FATAL_ERROR "no usage record at '${USAGE}'")
endif()
file(STRINGS "${USAGE}" lines)
set(seen 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Z_]+)=(.*)$")
    math(EXPR seen "${seen} + 1")
    set(name "${CMAKE_MATCH_1}")
    set(value "${CMAKE_MATCH_2}")
    # Qt's widget module shows as the target Qt6::Widgets, its include folder QtWidgets and the
    # definition QT_WIDGETS_LIB; any of them means widgets reach the library.
    if(value MATCHES "Widgets|WIDGETS")
      message(FATAL_ERROR "the skin format library has Qt Widgets in ${name}: ${value}")
    endif()
    if(name STREQUAL "INCLUDE_DIRECTORIES" AND NOT value MATCHES "QtGui")
      # The record must be the library's real path, which holds Qt Gui; else the check proves nothing.
      message(FATAL_ERROR "the usage record holds no Qt Gui include folder: ${value}")
    endif()
  endif()
endforeach()
if(NOT seen EQUAL 5)
  message(FATAL_ERROR "the usage record has ${seen} entries instead of 5")
endif()
message(STATUS "the skin format library builds with Qt Core and Gui only")
