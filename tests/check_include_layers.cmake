# The layers of src/ and the one direction their includes may point:
#   demo -> show -> scenes -> render3d / fx2d -> assets -> core -> platform;
#   show -> safety -> core
# A file may include its own folder and any folder below it, never one above or beside
# it (render3d, fx2d and safety stand side by side and do not use each other). Only
# src/platform/ may include SDL, windows.h or Emscripten headers.
# Within a folder the includes form no circle: a header and its source file count as one
# unit (x.h with x.cpp), and no unit may reach itself through the units it includes.
# What a layer declares is defined in that layer: no member function of a type declared
# in a lower layer, and no function declared in a lower layer's header, is defined in a
# higher one.
# No tool (tools/) includes the program's headers (src/demo/).
# Fails listing every offending line. Usage:
#   cmake -DSOURCE_DIR=<the repository> -P check_include_layers.cmake
cmake_minimum_required(VERSION 3.16)

set(rank_platform 0)
set(rank_core 1)
set(rank_assets 2)
set(rank_render3d 3)
set(rank_fx2d 3)
set(rank_safety 3)
set(rank_scenes 4)
set(rank_show 5)
set(rank_demo 6)

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(violations "")
set(units "")
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" layer "${source}")
  if(NOT DEFINED rank_${layer})
    list(APPEND violations "src/${source}: in a folder that is not a layer")
    continue()
  endif()
  # The unit a file belongs to: its path without the extension, as "folder/name".
  string(REGEX REPLACE "\\.(h|cpp)$" "" unit "${source}")
  get_filename_component(folder "${source}" DIRECTORY)
  list(APPEND units "${unit}")
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
    # An include of a header in the file's own folder: an edge between two units.
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\\.h\"")
      set(included "${CMAKE_MATCH_1}")
      get_filename_component(includedFolder "${included}" DIRECTORY)
      if(includedFolder STREQUAL folder AND NOT included STREQUAL unit)
        list(APPEND reaches_${unit} "${included}")
      endif()
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES units)

# Circles: every unit's reach, grown by the reach of what it reaches until it stops
# growing; a unit within its own reach lies on a circle.
set(growing TRUE)
while(growing)
  set(growing FALSE)
  foreach(unit ${units})
    set(reach ${reaches_${unit}})
    foreach(next ${reaches_${unit}})
      list(APPEND reach ${reaches_${next}})
    endforeach()
    if(reach)
      list(REMOVE_DUPLICATES reach)
    endif()
    list(LENGTH reach after)
    list(LENGTH reaches_${unit} before)
    if(after GREATER before)
      set(reaches_${unit} ${reach})
      set(growing TRUE)
    endif()
  endforeach()
endwhile()
foreach(unit ${units})
  if("${unit}" IN_LIST reaches_${unit})
    set(circle "")
    foreach(other ${reaches_${unit}})
      if("${unit}" IN_LIST reaches_${other})
        list(APPEND circle "${other}")
      endif()
    endforeach()
    list(SORT circle)
    list(JOIN circle ", " members)
    list(APPEND violations "src/${unit}: its includes run in a circle through ${members}")
  endif()
endforeach()

# The lines of a file as a list, each semicolon written as "@semicolon@" so that it
# neither splits a line nor is lost.
function(read_lines path out)
  file(READ ${path} text)
  string(REPLACE ";" "@semicolon@" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# What each layer's headers declare: types (struct and class definitions) and functions
# (declarations at the start of a line in lower camel case).
set(functionStart "^[A-Za-z_][A-Za-z0-9_:<>,*& ]*[ *&]([a-z][A-Za-z0-9_]*)\\(")
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" layer "${source}")
  if(NOT source MATCHES "\\.h$" OR NOT DEFINED rank_${layer})
    continue()
  endif()
  read_lines(${SOURCE_DIR}/src/${source} lines)
  foreach(line ${lines})
    if(line MATCHES "^(struct|class) ([A-Za-z_][A-Za-z0-9_]*)")
      set(name ${CMAKE_MATCH_2})
      if(NOT line MATCHES "@semicolon@$")  # not a forward declaration
        set(typeLayer_${name} ${layer})
      endif()
    elseif(line MATCHES "${functionStart}")
      set(name ${CMAKE_MATCH_1})
      if(NOT line MATCHES "^(inline|constexpr|static|template|typedef|using|return) " AND
         NOT DEFINED functionLayer_${name})
        set(functionLayer_${name} ${layer})
      endif()
    endif()
  endforeach()
endforeach()

# Definitions in each layer's source files, of members (Type::name) and of functions.
foreach(source ${sources})
  string(REGEX MATCH "^[^/]+" layer "${source}")
  if(NOT source MATCHES "\\.cpp$" OR NOT DEFINED rank_${layer})
    continue()
  endif()
  read_lines(${SOURCE_DIR}/src/${source} lines)
  foreach(line ${lines})
    if(line MATCHES "@semicolon@$")
      continue()  # a declaration, not a definition
    endif()
    set(declaredIn "")
    if(line MATCHES "^([A-Za-z_][A-Za-z0-9_:<>,*& ]*[ *&])?(([A-Z][A-Za-z0-9_]*)::~?[A-Za-z_][A-Za-z0-9_]*)\\(")
      set(name ${CMAKE_MATCH_2})
      if(DEFINED typeLayer_${CMAKE_MATCH_3})
        set(declaredIn ${typeLayer_${CMAKE_MATCH_3}})
      endif()
    elseif(line MATCHES "${functionStart}")
      set(name ${CMAKE_MATCH_1})
      if(DEFINED functionLayer_${name})
        set(declaredIn ${functionLayer_${name}})
      endif()
    endif()
    if(declaredIn AND rank_${declaredIn} LESS rank_${layer})
      list(APPEND violations "src/${source}: defines ${name}, which ${declaredIn} declares")
    endif()
  endforeach()
endforeach()

# The tools stand on the show, beside the program: none includes the program's headers.
file(GLOB_RECURSE tool_sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/tools/*.h
     ${SOURCE_DIR}/tools/*.cpp)
foreach(source ${tool_sources})
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"demo/")
  foreach(line ${includes})
    list(APPEND violations "${source}: ${line} (a tool may not use the program)")
  endforeach()
endforeach()

if(violations)
  list(JOIN violations "\n  " text)
  message(FATAL_ERROR "Includes that point up, sideways or in a circle, or code beside its "
                      "layer:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files: every include points down, no circle, every definition "
               "in its layer")
