# The backup tool shares nothing with the console but the plain helpers of
# src/common: a file in src/backup may include only headers of common/ and
# backup/, and a file in src/common only headers of common/. Fails the build
# naming every include that crosses the line.
# Usage: cmake -DSRC=<src folder> -P check_boundaries.cmake
set(bad "")
foreach(rule "backup:common|backup" "common:common")
  string(REPLACE ":" ";" parts "${rule}")
  list(GET parts 0 dir)
  list(GET parts 1 allowed)
  file(GLOB_RECURSE files "${SRC}/${dir}/*.h" "${SRC}/${dir}/*.cpp")
  foreach(f ${files})
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
        list(APPEND bad "${f}: ${inc}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  string(REPLACE ";" "\n  " shown "${bad}")
  message(FATAL_ERROR "Includes across the backup tool's boundary:\n  ${shown}")
endif()
