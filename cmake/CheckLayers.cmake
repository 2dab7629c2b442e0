# Fails when a source of a layer includes a layer it must not depend on, or includes Qt
# although it is one of the headless layers. Run by the build before each library compiles
# (see rendo_library), with:
#   LAYER    the folder under src/ being checked
#   ALLOWED  the folders under src/ that the layer may include (its own among them)
#   QT       ON when the layer may include Qt
#   SOURCES  the files to check, separated by "|"
#   STAMP    the file to touch when everything passes
string(REPLACE "|" ";" files "${SOURCES}")
string(REPLACE "|" ";" allowed "${ALLOWED}")
set(errors "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z]+)/")
      list(FIND allowed "${CMAKE_MATCH_1}" found)
      if(found EQUAL -1)
        string(APPEND errors "  ${file}: ${line}  (${LAYER} may include: ${ALLOWED})\n")
      endif()
    elseif(NOT QT AND line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z0-9_]*)")
      string(APPEND errors "  ${file}: ${line}  (${LAYER} is headless: no Qt)\n")
    endif()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Layer rule broken in src/${LAYER}:\n${errors}")
endif()
file(TOUCH "${STAMP}")
