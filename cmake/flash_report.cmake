# The show's photosensitivity report. Its source is docs/flash-report.json, the frame
# tool's flash check of the default show, committed: the build makes from it the note of
# --help (flash_report.h), the lines of the manual page (flash-report.man), the table of
# docs/photosensitivity.md (flash-report.md), the line of the web page's start prompt
# (flash-prompt.txt) and a copy of the JSON for the web page's seek bar, so that no build
# measures the show. The flash_check test measures it and fails when the file is stale;
# `make flash-report` measures it again into the file.
# Usage: cmake [-DFRAME_TOOL=<dorminax-frame> -DDATA_DIR=<data set>] -DREPORT_JSON=<file>
#              [-DOUT_DIR=<folder>] -P flash_report.cmake
# With the frame tool it measures the show into REPORT_JSON first; with OUT_DIR it makes
# the files above there (each rewritten only when it changes, so that an unchanged report
# rebuilds nothing).

if(FRAME_TOOL)
  execute_process(
    COMMAND ${FRAME_TOOL} --data ${DATA_DIR} --flash-check --json ${REPORT_JSON}.new
    OUTPUT_QUIET
    RESULT_VARIABLE result)
  # 1 is the verdict "fails", which the default show earns; anything else is an error.
  if(NOT result EQUAL 0 AND NOT result EQUAL 1)
    message(FATAL_ERROR "the flash check did not run (${result})")
  endif()
  file(RENAME ${REPORT_JSON}.new ${REPORT_JSON})
endif()
if(NOT OUT_DIR)
  return()
endif()

function(write_if_changed path text)
  file(WRITE ${path}.new "${text}")
  file(COPY_FILE ${path}.new ${path} ONLY_IF_DIFFERENT)
  file(REMOVE ${path}.new)
endfunction()

# The spaces that fill a text out to a column (at least one).
function(pad_to text column result)
  string(LENGTH "${text}" width)
  math(EXPR count "${column} - ${width}")
  if(count LESS 1)
    set(count 1)
  endif()
  string(REPEAT " " ${count} spaces)
  set(${result} "${spaces}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${OUT_DIR})
file(READ ${REPORT_JSON} json)
write_if_changed(${OUT_DIR}/flash-report.json "${json}")

set(help "")
set(man "")
set(markdown "| Show time | Scene | Verdict | Worst, transitions in a second |\n|---|---|---|---|\n")
set(failing_scenes "")
string(JSON count LENGTH "${json}" summary)
if(count GREATER 0)
  math(EXPR last "${count} - 1")
  foreach(i RANGE ${last})
    string(JSON where GET "${json}" summary ${i} span)
    string(JSON scene GET "${json}" summary ${i} scene)
    string(JSON name GET "${json}" summary ${i} name)
    string(JSON level GET "${json}" summary ${i} level)
    string(JSON worst GET "${json}" summary ${i} worstPerSecond)
    if(level STREQUAL "fail")
      set(verdict "fails")
      list(APPEND failing_scenes ${scene})
    else()
      set(verdict "warns")
    endif()
    set(what "scene ${scene} ${name}")
    pad_to("${where}" 15 gap1)
    pad_to("${what}" 28 gap2)
    string(APPEND help "  ${where}${gap1}${what}${gap2}${verdict}, up to ${worst} a second\\n")
    string(APPEND man ".br\n${where}: scene ${scene}, ${name}: ${verdict}, up to ${worst} transitions a second\n")
    string(APPEND markdown "| ${where} | ${scene} ${name} | ${verdict} | ${worst} |\n")
  endforeach()
endif()
list(REMOVE_DUPLICATES failing_scenes)

# The prompt's line: "Scene 1 flashes rapidly" or "Scenes 1 and 8 flash rapidly".
list(LENGTH failing_scenes failing_count)
if(failing_count EQUAL 0)
  set(prompt "")
elseif(failing_count EQUAL 1)
  set(prompt "Scene ${failing_scenes} flashes rapidly; choose Gentle to soften it")
else()
  list(POP_BACK failing_scenes final)
  list(JOIN failing_scenes ", " others)
  set(prompt "Scenes ${others} and ${final} flash rapidly; choose Gentle to soften them")
endif()

string(CONCAT header
  "// Made by the build from the flash check of the default show; do not edit.\n"
  "#pragma once\n\n"
  "constexpr const char* kPhotosensitivityNote =\n"
  "    \"photosensitivity: by the flash test of the broadcast and web guidelines\\n\"\n"
  "    \"(ITU-R BT.1702, WCAG 2.x) the show flashes:\\n\"\n"
  "    \"${help}\"\n"
  "    \"--gentle softens the flashing: the gentle show passes the test.\\n\";\n")
write_if_changed(${OUT_DIR}/flash_report.h "${header}")
write_if_changed(${OUT_DIR}/flash-report.man "${man}")
write_if_changed(${OUT_DIR}/flash-report.md "${markdown}")
write_if_changed(${OUT_DIR}/flash-prompt.txt "${prompt}")
