# The browser build, with Emscripten: dorminax.js and dorminax.wasm (the library, this
# backend and the web entry), the page, and the data set of the desktop build packed for
# the page's in-memory file system (dorminax.data, whose file list dorminax-data.js loads);
# the web app manifest with the desktop build's icons, and the service worker that keeps
# them all for playing offline.
set(DORMINAX_DATA_DIR "" CACHE PATH "The generated data folder (of the desktop build)")
if(NOT EXISTS ${DORMINAX_DATA_DIR}/.generated)
  message(FATAL_ERROR "DORMINAX_DATA_DIR must name a generated data folder (build/data)")
endif()
set(DORMINAX_ICON_DIR "" CACHE PATH "The desktop build's icons folder (build/packaging)")
set(WEB_ICON_SIZES 180 192 512)  # an iPhone's home screen; Android's, and its splash
foreach(size IN LISTS WEB_ICON_SIZES)
  if(NOT EXISTS ${DORMINAX_ICON_DIR}/dorminax-${size}.png)
    message(FATAL_ERROR "DORMINAX_ICON_DIR must hold the web icons (cmake --build build --target web_icons)")
  endif()
endforeach()

set(WEB_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})

# WebAssembly's 128-bit vector instructions (every current browser has them): the
# compiler vectorises the pixel loops with them as it does natively, with the same results.
foreach(layer ${DORMINAX_LAYERS})
  target_compile_options(${layer} PRIVATE -msimd128)
endforeach()

add_executable(dorminax src/demo/web_main.cpp ${WEB_SOURCE_DIR}/web_platform.cpp)
target_compile_options(dorminax PRIVATE -msimd128)
target_link_libraries(dorminax PRIVATE dorminax_demo)
set_target_properties(dorminax PROPERTIES SUFFIX .js LINK_DEPENDS ${WEB_SOURCE_DIR}/browser.js)
# The page starts the program itself (with the answer to "Window Mode?"), so main does not
# run on load. The program's static tables and stack need more than the default 16 MB to
# start; scene data grows the memory from there.
target_link_options(dorminax PRIVATE
  "SHELL:--js-library ${WEB_SOURCE_DIR}/browser.js"
  -sENVIRONMENT=web -sINVOKE_RUN=0 -sEXPORTED_RUNTIME_METHODS=callMain
  -sEXPORTED_FUNCTIONS=_main,_dorminax_next_frame,_dorminax_scene_start,_dorminax_scene_moment,_dorminax_set_gentle,_dorminax_audio_offset
  -sINITIAL_MEMORY=33554432 -sALLOW_MEMORY_GROWTH=1 -sFORCE_FILESYSTEM=1)

# From the main build's flash report: the start prompt names the scenes that flash, the
# seek bar marks the spans that flash ([from, to] in show seconds, as --help lists them),
# and a link's moment is checked against the show's length, the frames the report
# measured over their rate. The footer names the version.
set(FLASH_PROMPT_FILE ${FLASH_REPORT_DIR}/flash-prompt.txt)
set(FLASH_JSON_FILE ${FLASH_REPORT_DIR}/flash-report.json)
if(NOT EXISTS ${FLASH_PROMPT_FILE} OR NOT EXISTS ${FLASH_JSON_FILE})
  message(FATAL_ERROR "DORMINAX_FLASH_REPORT_DIR must name a measured flash report (build/flash-report)")
endif()
file(READ ${FLASH_PROMPT_FILE} FLASH_PROMPT)
file(READ ${FLASH_JSON_FILE} flash_json)
set(spans "")
string(JSON span_count LENGTH "${flash_json}" summary)
if(span_count GREATER 0)
  math(EXPR last "${span_count} - 1")
  foreach(i RANGE ${last})
    string(JSON from GET "${flash_json}" summary ${i} from)
    string(JSON to GET "${flash_json}" summary ${i} to)
    list(APPEND spans "[${from},${to}]")
  endforeach()
endif()
list(JOIN spans "," spans)
set(FLASH_SPANS "[${spans}]")
string(JSON frames GET "${flash_json}" frames)
string(JSON fps GET "${flash_json}" fps)
set(SHOW_SECONDS "${frames} / ${fps}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${FLASH_PROMPT_FILE}
             ${FLASH_JSON_FILE})
configure_file(${WEB_SOURCE_DIR}/index.html ${CMAKE_BINARY_DIR}/index.html @ONLY)
configure_file(${WEB_SOURCE_DIR}/manifest.webmanifest ${CMAKE_BINARY_DIR}/manifest.webmanifest
               COPYONLY)
set(WEB_ICONS "")
foreach(size IN LISTS WEB_ICON_SIZES)
  set(icon ${CMAKE_BINARY_DIR}/dorminax-${size}.png)
  add_custom_command(OUTPUT ${icon}
                     COMMAND ${CMAKE_COMMAND} -E copy ${DORMINAX_ICON_DIR}/dorminax-${size}.png ${icon}
                     DEPENDS ${DORMINAX_ICON_DIR}/dorminax-${size}.png)
  list(APPEND WEB_ICONS ${icon})
endforeach()

# The file list goes to a loader of its own, so that the same program can be served with
# another data set (the tests serve one with a file missing).
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/dorminax.data ${CMAKE_BINARY_DIR}/dorminax-data.js
  COMMAND ${CMAKE_COMMAND} -DDATA_DIR=${DORMINAX_DATA_DIR}
          -DPACKAGER=${EMSCRIPTEN_ROOT_PATH}/tools/file_packager.py -P ${WEB_SOURCE_DIR}/pack_data.cmake
  DEPENDS ${DORMINAX_DATA_DIR}/.generated ${WEB_SOURCE_DIR}/pack_data.cmake
  WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
  COMMENT "Packing the data set for the page")
add_custom_target(web_data ALL
  DEPENDS ${CMAKE_BINARY_DIR}/dorminax.data ${CMAKE_BINARY_DIR}/dorminax-data.js)

# The service worker caches every file the page needs under a name of this build: the
# version and a digest of the files, so that a new release (or any other build) replaces
# the cache of the last.
set(PAGE_FILES index.html dorminax.js dorminax.wasm dorminax-data.js dorminax.data
    manifest.webmanifest)
foreach(size IN LISTS WEB_ICON_SIZES)
  list(APPEND PAGE_FILES dorminax-${size}.png)
endforeach()
set(SERVICE_WORKER ${CMAKE_BINARY_DIR}/service-worker.js)
list(JOIN PAGE_FILES "," page_files)
add_custom_command(
  OUTPUT ${SERVICE_WORKER}
  COMMAND ${CMAKE_COMMAND} -DIN=${WEB_SOURCE_DIR}/service-worker.js -DOUT=${SERVICE_WORKER}
          -DVERSION=${PROJECT_VERSION} -DFOLDER=${CMAKE_BINARY_DIR} -DFILES=${page_files}
          -P ${WEB_SOURCE_DIR}/service_worker.cmake
  DEPENDS dorminax web_data ${CMAKE_BINARY_DIR}/dorminax.data ${CMAKE_BINARY_DIR}/index.html
          ${CMAKE_BINARY_DIR}/manifest.webmanifest ${WEB_ICONS}
          ${WEB_SOURCE_DIR}/service-worker.js ${WEB_SOURCE_DIR}/service_worker.cmake
  COMMENT "Writing the service worker")
add_custom_target(web_offline ALL DEPENDS ${SERVICE_WORKER})

# The zip of the web folder, for any static host: the page, the program and the data set
# in dorminax-VERSION-web/, with a README.txt and the licence. Its bytes depend on the
# files' contents alone (packaging/release_zip.py).
find_program(PYTHON3 python3)
if(NOT PYTHON3)
  message(FATAL_ERROR "python3 not found: it writes the release zip")
endif()
set(WEB_RELEASE_NAME dorminax-${PROJECT_VERSION}-web)
set(WEB_RELEASE_DIR ${CMAKE_BINARY_DIR}/release)
set(WEB_ZIP ${CMAKE_BINARY_DIR}/${WEB_RELEASE_NAME}.zip)
set(WEB_TEXTS ${CMAKE_BINARY_DIR}/texts)
configure_file(${CMAKE_SOURCE_DIR}/packaging/web/README.txt.in ${WEB_TEXTS}/README.txt @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${WEB_TEXTS}/LICENSE.txt COPYONLY)
set(RELEASE_ZIP_SCRIPT ${CMAKE_SOURCE_DIR}/packaging/release_zip.py)
add_custom_command(
  OUTPUT ${WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${WEB_RELEASE_DIR} ${WEB_ZIP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${WEB_RELEASE_DIR}/${WEB_RELEASE_NAME}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/index.html $<TARGET_FILE:dorminax>
          ${CMAKE_BINARY_DIR}/dorminax.wasm ${CMAKE_BINARY_DIR}/dorminax.data
          ${CMAKE_BINARY_DIR}/dorminax-data.js ${CMAKE_BINARY_DIR}/manifest.webmanifest
          ${WEB_ICONS} ${SERVICE_WORKER} ${WEB_TEXTS}/README.txt ${WEB_TEXTS}/LICENSE.txt
          ${WEB_RELEASE_DIR}/${WEB_RELEASE_NAME}
  COMMAND ${PYTHON3} ${RELEASE_ZIP_SCRIPT} ${DORMINAX_SOURCE_DATE_EPOCH} ${WEB_ZIP}
          ${WEB_RELEASE_DIR}
  DEPENDS dorminax web_data web_offline ${CMAKE_BINARY_DIR}/dorminax.data
          ${CMAKE_BINARY_DIR}/index.html ${SERVICE_WORKER} ${WEB_TEXTS}/README.txt
          ${WEB_TEXTS}/LICENSE.txt ${RELEASE_ZIP_SCRIPT}
  COMMENT "Packing ${WEB_RELEASE_NAME}.zip")
add_custom_target(web_zip ALL DEPENDS ${WEB_ZIP})
