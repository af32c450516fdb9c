# Helpers that turn a source folder into a library or a test program, so adding a file needs no build edit.

# corsaire_module(<name> <folder> DEPS <targets...> [EXCLUDE <subfolders...>]): a static library of every .cpp
# below src/<folder>, less the subfolders that form libraries of their own.
function(corsaire_module name folder)
  cmake_parse_arguments(ARG "" "" "DEPS;EXCLUDE" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
  foreach(sub ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/src/${folder}/${sub}/")
  endforeach()
  if(NOT sources)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# corsaire_tests(<name> <folder> DEPS <targets...>): one GoogleTest program of every .cpp below tests/<folder>.
function(corsaire_tests name folder)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  # Every test program can use the sample-content writers as fixtures.
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} contentgen_lib GTest::gtest GTest::gmock GTest::gtest_main)
  # Tests find generated fixtures and write scratch files through these.
  target_compile_definitions(${name} PRIVATE
    CORSAIRE_GAME_DIR="${CORSAIRE_GAME_DIR}"
    CORSAIRE_CONTENTGEN="$<TARGET_FILE:contentgen>")
  add_dependencies(${name} contentgen)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy")
endfunction()
