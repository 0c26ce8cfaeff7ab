# The manual page, with the photosensitivity report of the build's flash check.
# Usage: cmake -DIN=<dorminax.6.in> -DOUT=<dorminax.6> -DREPORT=<flash-report.man>
#              -DPROJECT_VERSION=... -DCMAKE_INSTALL_BINDIR=... -DCMAKE_INSTALL_DATADIR=...
#              -P manual_page.cmake
file(READ ${REPORT} FLASH_REPORT)
configure_file(${IN} ${OUT} @ONLY)
