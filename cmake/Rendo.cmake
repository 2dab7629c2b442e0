# One static library per source folder; every .cpp below the folder belongs to it.
#   LAYERS  the folders under src/ whose headers the library may include (its own is added)
#   QT      the library may include Qt
#   EXCLUDE sources below the folder that belong to an executable, not to the library
# The build checks both before it compiles the library (cmake/CheckLayers.cmake), so a
# dependency pointing upwards, or Qt in a headless layer, fails the build.
function(rendo_library name dir)
  cmake_parse_arguments(ARG "QT" "" "DEPS;LAYERS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  foreach(excluded IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM srcs ${CMAKE_SOURCE_DIR}/${excluded})
  endforeach()
  file(GLOB_RECURSE checked CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  get_filename_component(layer ${dir} NAME)
  set(allowed ${layer} ${ARG_LAYERS})
  string(REPLACE ";" "|" allowed_arg "${allowed}")
  string(REPLACE ";" "|" checked_arg "${checked}")
  set(stamp ${CMAKE_BINARY_DIR}/layers/${layer}.checked)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DLAYER=${layer} "-DALLOWED=${allowed_arg}" -DQT=${ARG_QT}
            "-DSOURCES=${checked_arg}" -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    DEPENDS ${checked} ${CMAKE_SOURCE_DIR}/cmake/CheckLayers.cmake
    COMMENT "Checking the layer rule of src/${layer}" VERBATIM)
  add_custom_target(${name}_layers DEPENDS ${stamp})
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    add_dependencies(${name} ${name}_layers)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    add_dependencies(${name} ${name}_layers)
  endif()
endfunction()

# One test executable per test folder, linked with the layer it tests.
function(rendo_tests name dir)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(srcs)
    add_executable(${name} ${srcs})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} testsupport GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT
        "RENDO_SOURCE_DIR=${CMAKE_SOURCE_DIR};QT_QPA_PLATFORM=offscreen;RENDO_UDR_MODULE=${CMAKE_BINARY_DIR}/librendoudr.so")
    add_dependencies(${name} rendoudr)
  endif()
endfunction()
