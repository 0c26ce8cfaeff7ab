# The first step of an install, before any file is copied: notes which of the install's
# folders (and their parents) do not exist yet, beside CMake's install manifest, so that
# an uninstall removes the folders it created, once empty, and no others.
# Set before it runs: DORMINAX_FOLDERS (relative to the prefix) and DORMINAX_RECORD_FOLDER.
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
if(CMAKE_INSTALL_COMPONENT)
  set(record "${DORMINAX_RECORD_FOLDER}/install_folders_${CMAKE_INSTALL_COMPONENT}.txt")
else()
  set(record "${DORMINAX_RECORD_FOLDER}/install_folders.txt")
endif()

# Folders noted by an earlier install that has not been uninstalled stay noted.
set(created "")
if(EXISTS "${record}")
  file(STRINGS "${record}" created)
endif()
foreach(folder IN LISTS DORMINAX_FOLDERS)
  if(IS_ABSOLUTE "${folder}")
    set(path "$ENV{DESTDIR}${folder}")
  else()
    set(path "${root}/${folder}")
  endif()
  get_filename_component(path "${path}" ABSOLUTE)
  while(NOT EXISTS "${path}")
    list(APPEND created "${path}")
    get_filename_component(path "${path}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES created)
string(REPLACE ";" "\n" lines "${created}")
file(WRITE "${record}" "${lines}")
