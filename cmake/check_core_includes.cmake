# Three include rules of the core folders, checked in every build:
# - no Qt header (Qt belongs in src/qt);
# - console/main_window.h only inside src/console: the other subsystems reach
#   the settings through console/console_settings.h and the main window's
#   areas through App;
# - the backup tool shares nothing with the console but the plain helpers of
#   src/common: src/backup includes only headers of common/ and backup/, and
#   src/common only headers of common/.
# Usage: cmake -DSRC=<src folder> -P check_core_includes.cmake
set(qt "")
set(main_window "")
set(crossing "")
foreach(dir common monitor console telnet settings backup)
  file(GLOB_RECURSE files "${SRC}/${dir}/*.h" "${SRC}/${dir}/*.cpp")
  foreach(f ${files})
    file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]Q[A-Za-z]")
    if(lines)
      list(APPEND qt "${f}")
    endif()
    if(dir STREQUAL "backup" OR dir STREQUAL "common")
      set(allowed "common")
      if(dir STREQUAL "backup")
        set(allowed "common|backup")
      endif()
      file(STRINGS "${f}" lines REGEX "^[ \t]*#[ \t]*include")
      foreach(line ${lines})
        # A quoted include is the project's own; an angle-bracket include is
        # a system header unless it names one of the project's folders.
        if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]*)\"")
          set(inc "${CMAKE_MATCH_1}")
        elseif(line MATCHES "#[ \t]*include[ \t]*<((common|monitor|console|telnet|settings|backup|qt)/[^>]*)>")
          set(inc "${CMAKE_MATCH_1}")
        else()
          continue()
        endif()
        if(NOT inc MATCHES "^(${allowed})/")
          list(APPEND crossing "${f}: ${inc}")
        endif()
      endforeach()
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
if(crossing)
  string(REPLACE ";" "\n  " shown "${crossing}")
  message(SEND_ERROR "Includes across the backup tool's boundary:\n  ${shown}\n")
endif()
