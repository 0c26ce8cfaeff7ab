# The Debian packages, made by CPack's DEB generator from this build (make package):
#   dorminax        the demo as Debian lays out a game (install_demo's deb_demo layout)
#   dorminax-tools  the frame tool and the video capture, apart so that watching does not
#                   pull in FFmpeg's libraries
# Each has its copyright file, changelog and manual pages; their dependencies are those
# dpkg-shlibdeps finds for the libraries the programs link.

set(DORMINAX_MAINTAINER "The Dorminax authors <maintainers@dorminax.invalid>" CACHE STRING
    "The packages' maintainer and upstream contact, as Name <address>")

# The licence in Debian's machine-readable form: the copyright line and the text of
# LICENSE, each line of the text indented, an empty one written as " .".
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
file(READ ${CMAKE_SOURCE_DIR}/LICENSE licence)
string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" copyright_line "${licence}")
set(LICENSE_COPYRIGHT ${CMAKE_MATCH_1})
string(FIND "${licence}" "Permission is hereby granted" text_start)
if(NOT copyright_line OR text_start EQUAL -1)
  message(FATAL_ERROR "LICENSE is not the MIT licence with its copyright line")
endif()
string(SUBSTRING "${licence}" ${text_start} -1 text)
string(STRIP "${text}" text)
string(REPLACE "\n" ";" lines "${text}")
set(LICENSE_TEXT "")
foreach(line IN LISTS lines)
  if(line STREQUAL "")
    string(APPEND LICENSE_TEXT " .\n")
  else()
    string(APPEND LICENSE_TEXT " ${line}\n")
  endif()
endforeach()
string(REGEX REPLACE "\n$" "" LICENSE_TEXT "${LICENSE_TEXT}")
set(DEBIAN_DIR ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(debian/copyright.in ${DEBIAN_DIR}/copyright @ONLY)
configure_file(debian/changelog.in ${DEBIAN_DIR}/changelog @ONLY)
add_gzip_command(${DEBIAN_DIR}/changelog ${DEBIAN_DIR}/changelog.gz)

set(TOOLS dorminax-frame)
if(TARGET dorminax-capture)
  list(APPEND TOOLS dorminax-capture)
endif()
set(TOOL_PAGES "")
foreach(tool IN LISTS TOOLS)
  configure_file(${tool}.1.in ${tool}.1 @ONLY)
  add_gzip_command(${CMAKE_CURRENT_BINARY_DIR}/${tool}.1 ${CMAKE_CURRENT_BINARY_DIR}/${tool}.1.gz)
  list(APPEND TOOL_PAGES ${CMAKE_CURRENT_BINARY_DIR}/${tool}.1.gz)
endforeach()
add_custom_target(debian_files ALL DEPENDS ${DEBIAN_DIR}/changelog.gz ${TOOL_PAGES})

# Only the packages install these, never make install.
install_demo(deb_demo games EXCLUDE_FROM_ALL)
install(TARGETS ${TOOLS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT deb_tools EXCLUDE_FROM_ALL)
install(FILES ${TOOL_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
        COMPONENT deb_tools EXCLUDE_FROM_ALL)
install(FILES ${DEBIAN_DIR}/copyright ${DEBIAN_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorminax COMPONENT deb_demo EXCLUDE_FROM_ALL)
install(FILES ${DEBIAN_DIR}/copyright ${DEBIAN_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/dorminax-tools COMPONENT deb_tools
        EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME dorminax)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL deb_demo deb_tools)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Folders that the install creates along the way get these, whatever the umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_PACKAGE_SOURCE dorminax)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DORMINAX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${DORMINAX_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_DEB_DEMO_PACKAGE_NAME dorminax)
set(CPACK_DEBIAN_DEB_DEMO_PACKAGE_SECTION games)
set(CPACK_COMPONENT_DEB_DEMO_DESCRIPTION "real-time audiovisual demo drawn in software
Dorminax plays a fixed show of nine timed scenes, drawn entirely in software
into a 320x240 frame of 256 palette colours, with a music track: torus rings
and a wireframe logo, a deforming lit sphere, an environment-mapped knot seen
through a mode filter, swirling pictures, metaballs, a morphing supertoroid
and attractor particle trails. Its pictures, models and music are made by
its own code.

The show flashes, rapidly in scene 1 and in single bright frames in scene 8;
dorminax --gentle softens the flashing.")

set(CPACK_DEBIAN_DEB_TOOLS_PACKAGE_NAME dorminax-tools)
set(CPACK_DEBIAN_DEB_TOOLS_PACKAGE_SECTION video)
set(CPACK_DEBIAN_DEB_TOOLS_PACKAGE_DEPENDS "dorminax (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_DEB_TOOLS_DESCRIPTION "frame renderer and video capture for the Dorminax demo
dorminax-frame draws any frame of the Dorminax show as a PNG picture without a
display, and times every scene. dorminax-capture records the show, exactly
frame by frame and with its music, as an MP4, a lossless Matroska or a WebM
video through FFmpeg's libraries.")

# Every file in the packages carries the release's time (cmake/release.cmake), which
# CPack takes from SOURCE_DATE_EPOCH when it runs.
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/cpack_options.cmake)
file(WRITE ${CPACK_PROJECT_CONFIG_FILE}
     "set(ENV{SOURCE_DATE_EPOCH} ${DORMINAX_SOURCE_DATE_EPOCH})\n")
include(CPack)
