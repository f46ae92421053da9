# Two include rules of the core folders, checked in every build:
# - no Qt header (Qt belongs in src/qt);
# - console/main_window.h only inside src/console: the other subsystems reach
#   the settings through console/console_settings.h and the main window's
#   areas through App.
set(qt "")
set(main_window "")
foreach(dir common monitor console telnet settings backup)
  file(GLOB_RECURSE files "${SRC}/${dir}/*.h" "${SRC}/${dir}/*.cpp")
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
    if(lines)
      list(APPEND qt "${f}")
    endif()
    if(NOT dir STREQUAL "console")
      file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]console/main_window\\.h[>\"]")
      if(lines)
        list(APPEND main_window "${f}")
      endif()
    endif()
  endforeach()
endforeach()
if(qt)
  message(SEND_ERROR "Qt headers in the core folders (they belong in src/qt): ${qt}")
endif()
if(main_window)
  message(SEND_ERROR "console/main_window.h included outside src/console "
                     "(use console/console_settings.h and App): ${main_window}")
endif()
