# Puts everything a release publishes into one folder (make dist): the two Debian packages,
# the Windows zip, the web zip, the source as git archive makes it from HEAD, and
# SHA256SUMS over them. Every file is built elsewhere, reproducibly; this only gathers.
# Usage: cmake -DBUILD=<native build> -DWINDOWS=<Windows build> -DWEB=<web build>
#              -DSOURCE=<git work tree> -DOUT=<folder> -P dist.cmake
include(${BUILD}/packaging/release_facts.cmake)  # VERSION

# The one file of a pattern: none or several means a build is missing or stale.
function(find_one pattern result)
  file(GLOB found ${pattern})
  list(LENGTH found count)
  if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one ${pattern}, found ${count}: ${found}")
  endif()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

find_one(${BUILD}/packages/dorminax_${VERSION}_*.deb demo_package)
find_one(${BUILD}/packages/dorminax-tools_${VERSION}_*.deb tools_package)
find_one(${WINDOWS}/dorminax-${VERSION}-windows-x64.zip windows_zip)
find_one(${WEB}/dorminax-${VERSION}-web.zip web_zip)

file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
file(COPY ${demo_package} ${tools_package} ${windows_zip} ${web_zip} DESTINATION ${OUT})

set(source_archive dorminax-${VERSION}-source.tar.gz)
execute_process(COMMAND git status --porcelain --untracked-files=no
                WORKING_DIRECTORY ${SOURCE} OUTPUT_VARIABLE changes RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${SOURCE} is not a git work tree: no source archive")
endif()
if(changes)
  message(WARNING "${source_archive} holds the last commit, not the changes since")
endif()
execute_process(COMMAND git archive --format=tar.gz --prefix=dorminax-${VERSION}/
                        --output=${OUT}/${source_archive} HEAD
                WORKING_DIRECTORY ${SOURCE} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "git archive failed")
endif()

# As sha256sum writes them, so that sha256sum -c checks the folder.
file(GLOB files RELATIVE ${OUT} ${OUT}/*)
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
  file(SHA256 ${OUT}/${file} sum)
  string(APPEND sums "${sum}  ${file}\n")
endforeach()
file(WRITE ${OUT}/SHA256SUMS "${sums}")
message(STATUS "Release ${VERSION} in ${OUT}:\n${sums}")
