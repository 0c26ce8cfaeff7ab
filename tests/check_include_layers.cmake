# The layers of src/ and the one direction their includes may point:
#   demo -> scenes -> render3d / fx2d -> assets -> core -> platform
# A file may include its own folder and any folder below it, never one above or beside
# it (render3d and fx2d stand side by side and do not use each other). Only src/platform/
# may include SDL, windows.h or Emscripten headers. Fails listing every offending line.
# Usage: cmake -DSOURCE_DIR=<the repository> -P check_include_layers.cmake

set(rank_platform 0)
set(rank_core 1)
set(rank_assets 2)
set(rank_render3d 3)
set(rank_fx2d 3)
set(rank_scenes 4)
set(rank_demo 5)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(violations "")
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" layer "${source}")
  if(NOT DEFINED rank_${layer})
    list(APPEND violations "src/${source}: in a folder that is not a layer")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${source} includes REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${includes})
    if(line MATCHES "#[ \t]*include[ \t]*[<\"](SDL|windows\\.h|emscripten)" AND
       NOT layer STREQUAL "platform")
      list(APPEND violations "src/${source}: ${line} (only src/platform/ knows the platform)")
    elseif(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/")
      set(target ${CMAKE_MATCH_1})
      if(NOT DEFINED rank_${target})
        list(APPEND violations "src/${source}: ${line} (not a layer)")
      elseif(NOT target STREQUAL layer AND NOT rank_${target} LESS rank_${layer})
        list(APPEND violations "src/${source}: ${line} (${layer} may not use ${target})")
      endif()
    endif()
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that point up or sideways:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files, every include points down")
